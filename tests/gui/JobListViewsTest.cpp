// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/JobListViews.h"
#include "gui/Tfm_main.h"
#include "gui/skin/SkinView.h"
#include "jobs/JobTestFiles.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

namespace {

using jobtest::makeWav;

class JobListViewsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sources = new QTemporaryDir;
        makeWav(src("long.wav"), 240);
        makeWav(src("short.wav"), 30);
        QDir(sources->path()).mkdir("folder");
        makeWav(src("folder/one.wav"), 5);
        makeWav(src("folder/two.wav"), 6);
        testsupport::writeAll(src("folder/junk.ogg"), "no ogg");
    }
    static void TearDownTestSuite() { delete sources; }
    static QString src(const QString& name) { return sources->filePath(name); }

    void SetUp() override
    {
        window = std::make_unique<Tfm_main>(prompts, shell, config.filePath("Vessimo.ini"),
                                            testsupport::sourceDir() + "/skin/vessimo.skin");
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void clickElement(const QString& name)
    {
        SkinnedWindow* form = window->session().skin().GetSkinnedWindow(window.get());
        QTest::mouseClick(window->Skin1, Qt::LeftButton, {},
                          form->element(name)->GetBounds().toQRect().center());
    }
    void clickRow(QTreeView* view, int row)
    {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }
    static QStringList column(QTreeView* view, int col)
    {
        QStringList texts;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            texts << view->model()->index(r, col).data().toString();
        return texts;
    }
    // Drops `urls` over the middle of `over` as the desktop delivers a drop:
    // to the widget under the pointer that accepts drops, or else its
    // nearest ancestor that does. Returns whether the drag and the drop were
    // accepted; the drop's handling has returned by then.
    bool drop(QWidget* over, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint inWindow = over->mapTo(window.get(), over->rect().center());
        QWidget* target = window->childAt(inWindow);
        while (target && !target->isWindow() && !target->acceptDrops())
            target = target->parentWidget();
        if (!target || !target->acceptDrops())
            return false;
        const QPoint at = target->mapFrom(window.get(), inWindow);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted();
    }
    // Waits until the file list holds `rows` rows.
    bool waitForRows(int rows)
    {
        return QTest::qWaitFor([&] { return window->lv->model()->rowCount() == rows; }, 10000);
    }

    static QTemporaryDir* sources;
    QTemporaryDir config;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<Tfm_main> window;
};

QTemporaryDir* JobListViewsTest::sources = nullptr;

} // namespace

TEST_F(JobListViewsTest, SegmentColumnsHoldTheirWidestTextsWithoutScrollingSideways)
{
    QTreeView* lv_time = window->lv_time;
    const QFontMetrics metrics(lv_time->font());
    const QStringList widest = {"00:00:00 - 00:00:00", "00:00:00", "Converting"};
    int total = 0;
    for (int i = 0; i < widest.size(); ++i) {
        EXPECT_GE(lv_time->columnWidth(i), metrics.horizontalAdvance(widest[i]) + 8)
            << qPrintable(widest[i]);
        total += lv_time->columnWidth(i);
    }
    EXPECT_LE(total, lv_time->width() - 2 * lv_time->frameWidth());
}

TEST_F(JobListViewsTest, AddClickAndMarkASegmentThroughThePanel)
{
    QTreeView* lv = window->lv;
    QTreeView* lv_time = window->lv_time;
    EXPECT_EQ(lv->columnWidth(0), 143);
    EXPECT_EQ(lv->columnWidth(1), 61);
    EXPECT_EQ(lv->model()->headerData(0, Qt::Horizontal).toString(), "File name");
    EXPECT_EQ(lv_time->model()->headerData(2, Qt::Horizontal).toString(), "Status");
    EXPECT_TRUE(window->sm->isVisible());

    prompts.filesAnswer = {src("long.wav"), src("short.wav")};
    clickElement("addfile");
    EXPECT_EQ(column(lv, 0), (QStringList{"long.wav", "short.wav"}));
    EXPECT_EQ(column(lv, 1), (QStringList{"00:04:00", "00:00:30"}));
    EXPECT_FALSE(window->sm->isVisible());
    EXPECT_EQ(window->session().panel().tataltime().GetText(), "00:04:30");

    clickRow(lv, 1);
    EXPECT_EQ(column(lv_time, 0), QStringList{"00:00:00 - 00:00:30"});
    // A click below the rows keeps the file.
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, QPoint(20, lv->viewport()->height() - 5));
    EXPECT_EQ(window->session().jobs().list().selectedRow(), 1);
    clickRow(lv, 0);
    EXPECT_EQ(column(lv_time, 0), QStringList{"00:00:00 - 00:04:00"});

    // A 240 s file: slider maximum 1084, thumb 168, travel 916.
    SkinScroller& pb = window->session().panel().pb();
    EXPECT_EQ(pb.GetMax(), 1084);
    pb.SetPosition(305);
    clickElement("Begin");
    pb.SetPosition(458);
    clickElement("End");
    clickElement("Ok");
    EXPECT_EQ(column(lv_time, 0), (QStringList{"00:01:20 - 00:02:00", "00:00:00 - 00:04:00"}));
    EXPECT_EQ(column(lv_time, 1), (QStringList{"00:00:40", "00:04:00"}));
    EXPECT_EQ(column(lv_time, 2), (QStringList{"Ok", "Uncertain"}));
    EXPECT_EQ(window->session().panel().tataltime().GetText(), "00:01:10");

    // After a click on the segment list, Remove removes the segment, not the file.
    clickRow(lv_time, 0);
    EXPECT_TRUE(window->session().state().SegmentSelected());
    clickElement("Remove");
    EXPECT_EQ(column(lv_time, 2), QStringList{"Uncertain"});
    EXPECT_EQ(lv->model()->rowCount(), 2);
    EXPECT_TRUE(prompts.informations.isEmpty());
}

TEST_F(JobListViewsTest, DroppedFilesAndFoldersAreAddedUnlessAJobRuns)
{
    window->session().state().setMode(SessionState::Mode::Running);
    EXPECT_FALSE(drop(window->lv, {QUrl::fromLocalFile(src("short.wav"))}));
    QApplication::processEvents();
    EXPECT_EQ(window->lv->model()->rowCount(), 0);
    window->session().state().setMode(SessionState::Mode::Idle);

    EXPECT_FALSE(drop(window->lv_time, {QUrl("https://example.org/a.mp3")})) << "only local files";

    // The empty window is covered by the help memo: a drop there is taken.
    ASSERT_TRUE(window->sm->isVisible());
    EXPECT_TRUE(
        drop(window->sm, {QUrl::fromLocalFile(src("short.wav")), QUrl::fromLocalFile(src("folder")),
                          QUrl::fromLocalFile(src("long.wav"))}));
    // The drop returned before anything was probed or any box shown: the
    // file manager is let go at once.
    EXPECT_EQ(window->lv->model()->rowCount(), 0);
    EXPECT_TRUE(prompts.informations.isEmpty());
    ASSERT_TRUE(waitForRows(4));
    EXPECT_EQ(column(window->lv, 0), (QStringList{"short.wav", "one.wav", "two.wav", "long.wav"}));
    EXPECT_EQ(prompts.boxTexts(), QStringList{"junk.ogg this File is not supported."});
    EXPECT_TRUE(prompts.folderCaptions.isEmpty()) << "no dialog for a dropped folder";

    // Anywhere else on the window too: the lists, the panel.
    EXPECT_TRUE(drop(window->lv_time, {QUrl::fromLocalFile(src("short.wav"))}));
    ASSERT_TRUE(waitForRows(5));
    EXPECT_TRUE(drop(window->lv, {QUrl::fromLocalFile(src("short.wav"))}));
    ASSERT_TRUE(waitForRows(6));
    EXPECT_TRUE(drop(window->Skin1, {QUrl::fromLocalFile(src("short.wav"))}));
    ASSERT_TRUE(waitForRows(7));
}

TEST_F(JobListViewsTest, CommandLinePathsAddAsTheDialogsDo)
{
    window->addPaths({src("folder"), src("missing.wav"), src("long.wav")});
    EXPECT_EQ(column(window->lv, 0), (QStringList{"one.wav", "two.wav", "long.wav"}));
    EXPECT_EQ(prompts.boxTexts(), (QStringList{"junk.ogg this File is not supported.",
                                               "missing.wav this File is not supported."}));
    EXPECT_EQ(window->session().jobs().list().selectedRow(), 0);
}

TEST_F(JobListViewsTest, TheListMenusRunTheirCommands)
{
    QStringList captions;
    for (QAction* a : window->p_lv->actions())
        captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions, (QStringList{"Add File", "Add Path", "-", "Clear", "Remove", "-",
                                     "ID3 info", "-", "Import cue sheet…", "Use chapters",
                                     "Find silences…", "-", "UP", "Down", "-", "Stop"}));
    window->addPaths({src("short.wav"), src("long.wav")});
    const auto trigger = [](QMenu* menu, const QString& text) {
        for (QAction* a : menu->actions())
            if (a->text() == text)
                a->trigger();
    };
    window->session().jobs().list().select(1);
    trigger(window->p_action, "File Up");
    EXPECT_EQ(column(window->lv, 0), (QStringList{"long.wav", "short.wav"}));

    // The menus' Remove removes files only, and not after a segment click.
    clickRow(window->lv_time, 0);
    trigger(window->p_lv, "Remove");
    EXPECT_EQ(window->lv->model()->rowCount(), 2);
    clickRow(window->lv, 1);
    trigger(window->p_file, "Remove");
    EXPECT_EQ(column(window->lv, 0), QStringList{"long.wav"});

    window->session().state().setMode(SessionState::Mode::Running);
    trigger(window->p_lv, "Clear");
    EXPECT_EQ(window->lv->model()->rowCount(), 1) << "nothing during a job";
    trigger(window->p_lv, "Stop");
    EXPECT_FALSE(window->session().state().JobRunning());
    trigger(window->p_lv, "Clear");
    EXPECT_EQ(window->lv->model()->rowCount(), 0);
    EXPECT_TRUE(window->sm->isVisible());
}

TEST_F(JobListViewsTest, TheListsCanBeDestroyedInEitherOrder)
{
    // A viewport's last events reach the filter while its view is being
    // destroyed; the filter must not ask that view for anything then.
    window->addPaths({src("short.wav"), src("long.wav")});
    for (const bool filesFirst : {true, false}) {
        auto* lv = new QTreeView;
        auto* lvTime = new QTreeView;
        QPlainTextEdit sm;
        QMenu menu;
        new JobListViews(window->session(), lv, lvTime, &sm, &menu);
        lv->resize(300, 200);
        lv->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(lv));
        if (filesFirst) {
            delete lv;
            delete lvTime;
            continue;
        }
        delete lvTime;
        // The file list still answers its clicks without its partner.
        clickRow(lv, 1);
        EXPECT_EQ(window->session().state().SelectedFileIndex(), 1);
        delete lv;
    }
}
