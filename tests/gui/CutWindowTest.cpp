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
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

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
        session.jobs().addFiles({dir.filePath("Song.wav")});
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
    EXPECT_FALSE(window->session().runner().JobRunning);
    EXPECT_EQ(shell.calls.size(), 1);
}

TEST_F(CutWindowTest, StopDuringTheJobKeepsThePieceAndEndsTheJob)
{
    QObject::connect(form, &SkinnedWindow::redrawRequested, [this] {
        if (window->session().runner().JobRunning &&
            window->session().panel().pbpos().GetText() == "50%")
            click("Stop");
    });
    click("Split");
    EXPECT_EQ(outputs(), QStringList{"Song_1.wav"});
    EXPECT_EQ(statuses[0], (QStringList{"Converting", "Finish"}));
    EXPECT_EQ(window->lv_time->model()->index(1, 2).data().toString(), "Unconvert");
    EXPECT_FALSE(window->session().runner().JobRunning);
    EXPECT_EQ(window->session().panel().convertpb().GetBounds().width(), 0);
}

TEST_F(CutWindowTest, TheJoinDialogsTypeShowsInTheFormatBox)
{
    prompts.joinAnswer = {dir.filePath("out/all"), 4};
    click("Join");
    EXPECT_EQ(window->cb_format->currentIndex(), 3);
    EXPECT_EQ(outputs(), QStringList{"all.ogg"});
}

} // namespace
