// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/HelpLinks.h"
#include "gui/Tfm_main.h"
#include "gui/WidgetPrompts.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/dialogs/Tfm_dir.h"
#include "gui/skin/SkinView.h"
#include "jobs/JobTestFiles.h"
#include "support/DialogDriver.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<Tfm_main>(prompts, shell, dir.filePath("Vessimo.ini"),
                                            testsupport::sourceDir() + "/skin/vessimo.skin");
    }

    void showWindow()
    {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QPoint centreOf(const QString& name) const
    {
        SkinnedWindow* form = window->session().skin().GetSkinnedWindow(window.get());
        return form->element(name)->GetBounds().toQRect().center();
    }

    QStringList captions(QTreeView* view) const
    {
        QStringList out;
        for (int i = 0; i < view->model()->columnCount(); ++i)
            out << view->model()->headerData(i, Qt::Horizontal).toString();
        return out;
    }

    QTemporaryDir dir;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<Tfm_main> window;
};

} // namespace

TEST_F(MainWindowTest, LayoutCaptionsAndTexts)
{
    EXPECT_EQ(window->windowTitle(), "Vessimo");
    EXPECT_EQ(window->objectName(), "fm_main");
    EXPECT_EQ(window->size(), QSize(521, 380));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);

    EXPECT_EQ(window->lv->geometry(), QRect(37, 103, 205, 182));
    EXPECT_EQ(window->lv_time->geometry(), QRect(242, 103, 245, 182));
    EXPECT_EQ(window->sm->geometry(), QRect(36, 119, 453, 167));
    EXPECT_EQ(window->edt_dir->geometry(), QRect(232, 39, 131, 18));
    EXPECT_EQ(window->cb_format->geometry().topLeft(), QPoint(432, 37));

    EXPECT_EQ(captions(window->lv), QStringList({"File name", "Time"}));
    EXPECT_EQ(window->lv->columnWidth(0), 143);
    EXPECT_EQ(window->lv->columnWidth(1), 61);
    EXPECT_EQ(captions(window->lv_time),
              QStringList({"Begin Time - End Time", "Length", "Status"}));
    EXPECT_EQ(window->lv->model()->rowCount(), 0);
    EXPECT_EQ(window->lv_time->model()->rowCount(), 0);

    EXPECT_EQ(window->sm->toPlainText(),
              "\n\n"
              "       1. Click \"Add\" to add files you want to convert\n"
              "       2. Set begin-time/end-time for every file.            \n"
              "       3. Click \"OK\" button to notarize.\n"
              "       4. Set Output Format\n"
              "       5. To cut piece from one big audio file, Click \"Cutter\"\n"
              "       6. To terminate the conversion, click \"Stop\" button. \n"
              " ");
    EXPECT_EQ(window->sm->document()->blockCount(), 9);
    EXPECT_TRUE(window->sm->isReadOnly());
    EXPECT_FALSE(window->sm->isEnabled());
    // The memo lies over both lists.
    for (const QPoint pt : {QPoint(100, 200), QPoint(400, 200)}) {
        QWidget* top = window->childAt(pt);
        EXPECT_TRUE(top == window->sm || window->sm->isAncestorOf(top));
    }

    EXPECT_EQ(window->edt_dir->text(), "C:\\My Music") << "design-time text before showing";
    ASSERT_EQ(window->cb_format->count(), 4);
    EXPECT_EQ(window->cb_format->itemText(0), "MP3");
    EXPECT_EQ(window->cb_format->itemText(1), "WAV");
    EXPECT_EQ(window->cb_format->itemText(2), "WMA");
    EXPECT_EQ(window->cb_format->itemText(3), "OGG");
    EXPECT_EQ(window->cb_format->currentIndex(), 0);
    // The controls' colours come from the style sheet in the resources.
    EXPECT_TRUE(window->styleSheet().contains("QComboBox#cb_format"));
    EXPECT_EQ(window->Skin1->geometry(), window->rect());
    EXPECT_EQ(window->lv->accessibleName(), "Files");
    EXPECT_EQ(window->lv_time->accessibleName(), "Segments");
    EXPECT_EQ(window->edt_dir->accessibleName(), "Output folder");
    EXPECT_EQ(window->cb_format->accessibleName(), "Output format");
    EXPECT_EQ(window->childAt(QPoint(3, 200)), window->Skin1)
        << "the panel lies under the controls";
}

TEST_F(MainWindowTest, TheHelpTextNamesWhatThePanelShows)
{
    // Every "word" the help memo quotes is the caption or in the hint of a
    // clickable element, so that the reader finds what the text tells to click.
    const QRegularExpression quoted("\"([^\"]+)\"");
    QStringList words;
    for (auto it = quoted.globalMatch(Tfm_main::helpText()); it.hasNext();)
        words << it.next().captured(1);
    EXPECT_EQ(words, QStringList({"Add", "OK", "Cutter", "Stop"}));

    showWindow();
    const SkinnedWindow* form = window->session().skin().GetSkinnedWindow(window.get());
    ASSERT_NE(form, nullptr);
    for (const QString& word : words) {
        const QRegularExpression whole("\\b" + QRegularExpression::escape(word) + "\\b");
        bool found = false;
        for (const auto& e : form->elements())
            found = found || (e->isInteractive() && (whole.match(e->attribute("text")).hasMatch() ||
                                                     whole.match(e->attribute("hint")).hasMatch()));
        EXPECT_TRUE(found) << qPrintable(word);
    }
}

TEST_F(MainWindowTest, AnOutputFolderLongerThanTheBoxShowsItsBeginningAndAllInTheTooltip)
{
    const QString folder = "/home/somebody/Music/Recordings of the year/";
    window->session().options().outputDir = folder;
    window->edt_dir->setText(folder);
    EXPECT_EQ(window->edt_dir->toolTip(), folder);
    EXPECT_EQ(window->edt_dir->cursorPosition(), 0) << "the first characters stay in view";
    showWindow();
    EXPECT_EQ(window->edt_dir->toolTip(), window->edt_dir->text());
    EXPECT_EQ(window->edt_dir->cursorPosition(), 0);
    EXPECT_GT(window->edt_dir->fontMetrics().horizontalAdvance(folder), window->edt_dir->width())
        << "the folder is longer than the box";
}

TEST_F(MainWindowTest, FilesFromTheCommandLineAreAddedInOrderOnceNoJobRuns)
{
    const QString a = dir.filePath("b first.wav");
    const QString b = dir.filePath("a second.wav");
    for (const QString& path : {a, b})
        jobtest::makeWav(path, 2);
    showWindow();
    JobList& list = window->session().jobs().list();

    // A job walks the list: the files wait for it rather than being dropped.
    window->session().state().setMode(SessionState::Mode::Running);
    window->receiveFiles({a, b});
    QTest::qWait(600);
    EXPECT_EQ(list.count(), 0);

    window->session().state().setMode(SessionState::Mode::Idle);
    ASSERT_TRUE(testsupport::waitFor([&] { return list.count() >= 2; }, "the files added"));
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.entry(0).path, a) << "in the order given, not sorted";
    EXPECT_EQ(list.entry(1).path, b);
    EXPECT_EQ(list.entry(0).duration, 2);
    EXPECT_EQ(list.selectedRow(), 0) << "as after the open-files dialog";
    EXPECT_TRUE(prompts.errors.isEmpty()) << qPrintable(prompts.errors.join("; "));

    // A later hand-over adds to what is there; a folder as the folder dialog adds it.
    QTemporaryDir folder;
    jobtest::makeWav(folder.filePath("in.wav"), 1);
    window->receiveFiles({folder.path(), a});
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.entry(2).path, folder.filePath("in.wav"));
    EXPECT_EQ(list.entry(3).path, a);
}

TEST_F(MainWindowTest, ShowingLoadsTheOptionsOnceAndClosingSavesThem)
{
    showWindow();
    EXPECT_EQ(window->edt_dir->text(), Options::defaultOutputDir());
    EXPECT_NE(window->session().skin().GetSkinnedWindow(window.get()), nullptr);

    // A second showing (after minimising) loads nothing again.
    window->session().options().outputDir = "/changed/";
    window->hide();
    window->show();
    EXPECT_EQ(window->edt_dir->text(), Options::defaultOutputDir());

    bool closed = false;
    QObject::connect(window.get(), &Tfm_main::closed, [&] { closed = true; });
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closed);
    const QString ini = QString::fromUtf8(testsupport::readAll(dir.filePath("Vessimo.ini")));
    EXPECT_TRUE(ini.contains("[Output]\nDir=/changed/\n"));
    EXPECT_EQ(ini.count('='), 9);
    EXPECT_EQ(ini.count('['), 5);
}

TEST_F(MainWindowTest, AClickOnThePanelRaisesOnClickWithThatElement)
{
    showWindow();
    QStringList clicked;
    QObject::connect(&window->session().skin(), &Skin::OnClick,
                     [&](SkinObject* s) { clicked << s->GetName(); });
    for (const char* name : {"Split", "addfile", "qian", "Ok"})
        QTest::mouseClick(window->Skin1, Qt::LeftButton, {}, centreOf(name));
    EXPECT_EQ(clicked, QStringList({"Split", "addfile", "qian", "Ok"}));
    QTest::mouseClick(window->Skin1, Qt::LeftButton, {}, QPoint(3, 200)); // bare panel
    EXPECT_EQ(clicked.size(), 4);
}

TEST_F(MainWindowTest, ThePanelIsPaintedFromTheSkinWithHoverAndPressedFaces)
{
    showWindow();
    auto pixelAt = [&](const QPoint& p) { return window->Skin1->grab().toImage().pixelColor(p); };
    EXPECT_EQ(pixelAt(QPoint(5, 200)), QColor("#171d29")) << "the form's background";

    // A point on the Stop button's face, clear of its icon and caption.
    SkinnedWindow* form = window->session().skin().GetSkinnedWindow(window.get());
    const QRect stop = form->element("Stop")->GetBounds().toQRect();
    const QPoint face(stop.left() + 4, stop.center().y());
    const QColor normal = pixelAt(face);
    EXPECT_GT(normal.red(), normal.blue() + 60) << "a red face";

    QTest::mouseMove(window->Skin1, stop.center());
    const QColor hover = pixelAt(face);
    EXPECT_NE(hover, normal);
    QTest::mousePress(window->Skin1, Qt::LeftButton, {}, stop.center());
    const QColor pressed = pixelAt(face);
    EXPECT_NE(pressed, hover);
    EXPECT_NE(pressed, normal);
    QTest::mouseRelease(window->Skin1, Qt::LeftButton, {}, stop.center());

    // The slider's thumb is drawn white at position 0.
    const QRect pb = form->element("pb")->GetBounds().toQRect();
    const QColor thumb = pixelAt(QPoint(pb.left() + pb.height() / 2, pb.center().y()));
    EXPECT_GT(thumb.lightness(), 200);
}

TEST_F(MainWindowTest, HelpPopsUpItsMenuUnderTheTopBar)
{
    Tfm_about about(shell, window.get());
    window->setAboutBox(&about);
    showWindow();
    QTest::mouseClick(window->Skin1, Qt::LeftButton, {}, centreOf("Help"));
    ASSERT_TRUE(window->p_help->isVisible());
    EXPECT_EQ(window->p_help->pos(), window->mapToGlobal(QPoint(383, 32)));

    QStringList items;
    for (QAction* a : window->p_help->actions()) {
        items << (a->isSeparator() ? "-" : a->text());
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << qPrintable(a->text());
        }
    }
    EXPECT_EQ(items, QStringList({"Content", "-", "HomePage", "-", "About"}));

    window->p_help->actions()[0]->trigger();
    window->p_help->actions()[2]->trigger();
    ASSERT_EQ(shell.calls.size(), 2);
    EXPECT_TRUE(shell.calls[0].startsWith("help:"));
    EXPECT_TRUE(shell.calls[0].endsWith("help/index.html"));
    EXPECT_EQ(shell.calls[1], "web:" + kHomePage);

    window->p_help->actions()[4]->trigger();
    EXPECT_TRUE(about.isVisible());
    EXPECT_FALSE(about.isModal());
}

TEST_F(MainWindowTest, HelpfileOpensTheGuideAndDirOpensTheChooser)
{
    showWindow();
    QTest::mouseClick(window->Skin1, Qt::LeftButton, {}, centreOf("helpfile"));
    ASSERT_EQ(shell.calls.size(), 1);
    EXPECT_TRUE(shell.calls[0].endsWith("help/index.html"));

    QTest::mouseClick(window->Skin1, Qt::LeftButton, {}, centreOf("dir"));
    EXPECT_EQ(prompts.folderCaptions, QStringList{"Output Directory"});
}

// The whole way from the element "dir" through the real prompts to the modal
// chooser and back.
TEST(MainWindowPromptsTest, DirShowsTheModalChooserWithItsCaption)
{
    QTemporaryDir dir;
    RecordingShell shell;
    WidgetPrompts prompts;
    Tfm_main window(prompts, shell, dir.filePath("Vessimo.ini"),
                    testsupport::sourceDir() + "/skin/vessimo.skin");
    prompts.setOwner(&window);
    Tfm_dir chooser(prompts, window.session().options(), window.session().ini(), *window.edt_dir,
                    &window);
    prompts.setFolderChooser(&chooser);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QString caption;
    bool modal = false;
    testsupport::whenModalShows<Tfm_dir>([&](Tfm_dir& shown) {
        caption = shown.windowTitle();
        modal = &shown == &chooser;
        shown.btn_cancel->click();
    });
    SkinnedWindow* form = window.session().skin().GetSkinnedWindow(&window);
    QTest::mouseClick(window.Skin1, Qt::LeftButton, {},
                      form->element("dir")->GetBounds().toQRect().center());
    EXPECT_EQ(caption, "Output Directory");
    EXPECT_TRUE(modal);
    EXPECT_FALSE(chooser.isVisible());
    EXPECT_EQ(window.edt_dir->text(), Options::defaultOutputDir());
}
