// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/EndRequests.h"
#include "gui/Tfm_main.h"
#include "gui/skin/SkinView.h"
#include "skin/SkinnedWindow.h"
#include "support/FakeSeams.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <csignal>

namespace {

// A cut run from the window, offscreen: the status column and the panel's
// percentage follow it, and Stop ends it.
class CutWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir("out");
        testsupport::makeAudio(dir.filePath("Song.wav"), {.seconds = 8, .channels = 2});
        window = std::make_unique<Tfm_main>(prompts, shell, dir.filePath("Vessimo.ini"),
                                            testsupport::sourceDir() + "/skin/vessimo.skin");
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        MainSession& session = window->session();
        session.options().outputDir = dir.filePath("out") + "/";
        session.options().functionChoice = 1;
        session.options().pieceSeconds = 4;
        session.jobs().addFilePaths({dir.filePath("Song.wav")});
        window->cb_format->setCurrentIndex(1);

        QAbstractItemModel* rows = window->lv_time->model();
        QObject::connect(rows, &QAbstractItemModel::dataChanged,
                         [this, rows](const QModelIndex& from, const QModelIndex& to) {
                             for (int r = from.row(); r <= to.row(); ++r)
                                 statuses[r] << rows->index(r, 2).data().toString();
                         });
        form = session.skin().GetSkinnedWindow(window.get());
        ASSERT_NE(form, nullptr);
        QObject::connect(form, &SkinnedWindow::redrawRequested, [this] {
            const QString text = window->session().panel().pbpos().GetText();
            if (!text.isEmpty() && (percents.isEmpty() || percents.last() != text))
                percents << text;
        });
    }

    void click(const QString& element)
    {
        const QPoint at = form->element(element)->GetBounds().toQRect().center();
        QTest::mouseClick(window->Skin1, Qt::LeftButton, {}, at);
    }
    QStringList outputs() const
    {
        return QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<Tfm_main> window;
    SkinnedWindow* form = nullptr;
    std::map<int, QStringList> statuses;
    QStringList percents;
};

TEST_F(CutWindowTest, SplitShowsEveryPieceConvertingThenFinished)
{
    click("Split");
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    EXPECT_EQ(outputs(), (QStringList{"Song_1.wav", "Song_2.wav", "Song_3.wav"}));
    EXPECT_EQ(statuses[0], (QStringList{"Converting", "Finish"}));
    EXPECT_EQ(statuses[1], (QStringList{"Converting", "Finish"}));
    EXPECT_EQ(window->lv_time->model()->index(2, 2).data().toString(), "Finish");
    // Each piece of four seconds is two blocks: half way, then the end.
    EXPECT_EQ(percents, (QStringList{"50%", "100%", "50%", "100%"}));
    EXPECT_EQ(window->session().panel().pbpos().GetText(), "");
    EXPECT_FALSE(window->session().state().JobRunning());
    EXPECT_EQ(shell.calls.size(), 1);
}

TEST_F(CutWindowTest, StopDuringTheJobKeepsThePieceAndEndsTheJob)
{
    QObject::connect(form, &SkinnedWindow::redrawRequested, [this] {
        if (window->session().state().JobRunning() &&
            window->session().panel().pbpos().GetText() == "50%")
            click("Stop");
    });
    click("Split");
    EXPECT_EQ(outputs(), QStringList{"Song_1.wav"});
    EXPECT_EQ(statuses[0], (QStringList{"Converting", "Finish"}));
    EXPECT_EQ(window->lv_time->model()->index(1, 2).data().toString(), "Unconvert");
    EXPECT_FALSE(window->session().state().JobRunning());
    EXPECT_EQ(window->session().panel().convertpb().GetBounds().width(), 0);
}

// A format chosen during a cut would mix formats and numbering; the box is
// locked while the job runs and free again afterwards.
TEST_F(CutWindowTest, TheFormatBoxIsLockedWhileAJobRuns)
{
    QComboBox* box = window->cb_format;
    bool lockedDuringJob = true;
    QObject::connect(form, &SkinnedWindow::redrawRequested, [&] {
        if (!window->session().state().JobRunning())
            return;
        lockedDuringJob = lockedDuringJob && !box->isEnabled() && window->edt_dir->isReadOnly();
        // The user tries another format half way through.
        if (window->session().panel().pbpos().GetText() == "50%") {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Down);
        }
    });
    EXPECT_TRUE(box->isEnabled());
    click("Split");
    EXPECT_TRUE(lockedDuringJob) << "the format and the folder box";
    EXPECT_TRUE(box->isEnabled());
    EXPECT_FALSE(window->edt_dir->isReadOnly());
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(outputs(), (QStringList{"Song_1.wav", "Song_2.wav", "Song_3.wav"}));
}

// A folder typed into the box counts on Enter, on leaving the box, and
// before a cut that starts while the typing is still in the box; the pieces
// go where the box says, and that folder opens afterwards.
TEST_F(CutWindowTest, AFolderTypedIntoTheBoxIsWhereThePiecesGo)
{
    QDir(dir.path()).mkdir("typed");
    QDir(dir.path()).mkdir("left");
    QDir(dir.path()).mkdir("pending");
    QLineEdit* box = window->edt_dir;
    const auto typeInto = [&](const QString& folder) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, folder);
    };
    Options& options = window->session().options();

    typeInto(dir.filePath("typed"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(options.outputDir, dir.filePath("typed") + "/");
    EXPECT_EQ(box->text(), options.outputDir);

    typeInto(dir.filePath("left"));
    window->lv->setFocus(); // the user moves on
    EXPECT_EQ(options.outputDir, dir.filePath("left") + "/");

    typeInto(dir.filePath("elsewhere"));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->text(), options.outputDir) << "Escape puts the output folder back";

    typeInto(dir.filePath("pending"));
    click("Split");
    EXPECT_TRUE(prompts.informations.isEmpty()) << qPrintable(prompts.informations.join("; "));
    EXPECT_EQ(QDir(dir.filePath("pending")).entryList(QDir::Files),
              (QStringList{"Song_1.wav", "Song_2.wav", "Song_3.wav"}));
    EXPECT_EQ(box->text(), dir.filePath("pending") + "/");
    EXPECT_EQ(shell.calls, QStringList{"folder:" + dir.filePath("pending") + "/"});
}

// A logout during a job: the window closes as if the user had closed it,
// which stops the job, keeps the piece as far as it got and leaves no
// hidden file behind.
TEST_F(CutWindowTest, SigtermDuringTheJobStopsItAndClosesTheWindow)
{
    EndRequests ends; // as the program's entry point sets it up
    QObject::connect(&ends, &EndRequests::endRequested, window.get(), &QWidget::close);
    bool sent = false;
    QObject::connect(form, &SkinnedWindow::redrawRequested, [this, &sent] {
        if (!sent && window->session().state().JobRunning() &&
            window->session().panel().pbpos().GetText() == "50%") {
            sent = true;
            ::raise(SIGTERM);
        }
    });
    click("Split");
    EXPECT_TRUE(sent);
    EXPECT_EQ(outputs(), QStringList{"Song_1.wav"});
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->session().state().JobRunning());
    EXPECT_TRUE(QFile::exists(dir.filePath("Vessimo.ini"))) << "the options were saved";
}

TEST_F(CutWindowTest, TheJoinDialogsTypeShowsInTheFormatBox)
{
    prompts.joinAnswer = {dir.filePath("out/all"), 4};
    click("Join");
    EXPECT_EQ(window->cb_format->currentIndex(), 3);
    EXPECT_EQ(outputs(), QStringList{"all.ogg"});
}

} // namespace
