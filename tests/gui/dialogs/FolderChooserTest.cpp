// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainSession.h"
#include "dialogs/OutputFolder.h"
#include "gui/dialogs/Tfm_dir.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QAccessible>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session = std::make_unique<MainSession>(prompts, shell, config.filePath("Vessimo.ini"),
                                                config.filePath("no-skin"));
        session->options().outputDir = "/before/";
        edtDir.setText("/before/");
        mainWindow.move(120, 80);
        mainWindow.resize(521, 380);
        chooser = std::make_unique<Tfm_dir>(prompts, session->options(), session->ini(), edtDir,
                                            &mainWindow);
        chooser->setWindowTitle("Output Directory");
    }

    // Shows the chooser without a nested loop, as exec() would show it.
    void open()
    {
        chooser->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(chooser.get()));
    }

    QString iniText() const
    {
        return QString::fromUtf8(testsupport::readAll(config.filePath("Vessimo.ini")));
    }

    QTemporaryDir config;
    QTemporaryDir music;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<MainSession> session;
    QLineEdit edtDir;
    QWidget mainWindow;
    std::unique_ptr<Tfm_dir> chooser;
};

} // namespace

TEST_F(FolderChooserTest, FirstShowingOpensOnTheOutputFolderBesideTheMainWindow)
{
    session->options().outputDir = music.path() + "/";
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    open();
    EXPECT_EQ(chooser->size(), QSize(286, 281));
    EXPECT_EQ(chooser->pos(), mainWindow.pos() + QPoint(10, 10));
    EXPECT_EQ(chooser->geometry().topLeft(), mainWindow.geometry().topLeft() + QPoint(10, 10))
        << "placed by its client area, which does not depend on a frame not known yet";
    EXPECT_EQ(chooser->selectedFolder(), music.path());
    EXPECT_TRUE(chooser->ChosenFolder().isEmpty());
    EXPECT_EQ(chooser->Button1->text(), "New Folder");
    EXPECT_EQ(chooser->btn_ok->text(), "Ok");
    EXPECT_EQ(chooser->btn_cancel->text(), "Cancel");
    EXPECT_LT(chooser->Button1->x(), chooser->btn_ok->x());
    EXPECT_LT(chooser->btn_ok->x(), chooser->btn_cancel->x());
    EXPECT_EQ(chooser->ShellTreeView1->size(), QSize(280, 248));
    // A screen reader can name the tree.
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(chooser->ShellTreeView1);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->text(QAccessible::Name), "Folders");
}

TEST_F(FolderChooserTest, FirstShowingScrollsTheOutputFolderIntoView)
{
    // An output folder far down the tree: many siblings sort before it, and
    // the tree reads the folders in the background.
    QTemporaryDir deep;
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(QDir(deep.path()).mkdir(QString("a%1").arg(i, 2, 10, QChar('0'))));
    const QString home = deep.filePath("home");
    ASSERT_TRUE(QDir().mkpath(home + "/Music"));
    session->options().outputDir = home + "/";
    open();

    ASSERT_EQ(chooser->selectedFolder(), home);
    QTreeView* tree = chooser->ShellTreeView1;
    const auto selectionInView = [&] {
        const QModelIndex current = tree->currentIndex();
        return tree->isExpanded(current) &&
               tree->viewport()->rect().contains(tree->visualRect(current));
    };
    // Until the tree has read the home folder's siblings, which push it down.
    const QPersistentModelIndex parent = tree->currentIndex().parent();
    ASSERT_TRUE(testsupport::waitFor([&] { return tree->model()->rowCount(parent) >= 41; },
                                     "the tree to list the folder"));
    ASSERT_EQ(tree->model()->rowCount(parent), 41);
    EXPECT_TRUE(
        testsupport::waitFor(selectionInView, "the output folder selected, expanded and in view"));
}

TEST_F(FolderChooserTest, OkMakesTheFolderTheOutputFolderAndRecreatesARemovedOne)
{
    const QString folder = music.filePath("Albums");
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(QDir().mkdir(music.filePath("Singles")));
    session->options().outputDir = music.path() + "/";
    open();
    // The user picks the folder once the tree has listed it.
    QTreeView* tree = chooser->ShellTreeView1;
    const QPersistentModelIndex parent = tree->currentIndex();
    ASSERT_TRUE(testsupport::waitFor([&] { return tree->model()->rowCount(parent) >= 2; },
                                     "the tree to list the folder"));
    ASSERT_EQ(tree->model()->rowCount(parent), 2);
    const QModelIndexList albums =
        tree->model()->match(tree->model()->index(0, 0, parent), Qt::DisplayRole, "Albums");
    ASSERT_EQ(albums.size(), 1);
    tree->setCurrentIndex(albums.first());
    ASSERT_EQ(chooser->selectedFolder(), folder);
    QTest::qWait(200);
    ASSERT_TRUE(QDir().rmdir(folder)); // removed behind the tree's back
    // Long enough for a watching tree to notice and move the selection on.
    QTest::qWait(1500);
    ASSERT_EQ(chooser->selectedFolder(), folder) << "the tree does not refresh by itself";

    chooser->btn_ok->click();
    EXPECT_TRUE(QFileInfo(folder).isDir()) << "Ok creates the folder again";
    EXPECT_EQ(chooser->ChosenFolder(), folder);
    EXPECT_EQ(chooser->result(), QDialog::Accepted);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(session->options().outputDir, folder + "/");
    EXPECT_EQ(edtDir.text(), folder) << "the box shows the folder as the tree reports it";
    EXPECT_EQ(iniText(), "[Output]\nDir=" + folder + "\n") << "written unchanged, at once";

    // The next showing starts with an empty result.
    open();
    EXPECT_TRUE(chooser->ChosenFolder().isEmpty());
}

TEST_F(FolderChooserTest, TheRootKeepsASingleSeparator)
{
    open();
    chooser->selectFolder(QDir::rootPath());
    chooser->btn_ok->click();
    EXPECT_EQ(chooser->ChosenFolder(), "/");
    EXPECT_EQ(session->options().outputDir, "/");
}

TEST_F(FolderChooserTest, NewFolderTwiceCreatesOneAndKeepsItsContent)
{
    open();
    chooser->selectFolder(music.path());
    chooser->Button1->click();
    const QString created = music.filePath("New Folder");
    ASSERT_TRUE(QFileInfo(created).isDir());
    testsupport::writeAll(created + "/keep.txt", "mine");

    chooser->Button1->click();
    EXPECT_EQ(QDir(music.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"New Folder"});
    EXPECT_EQ(testsupport::readAll(created + "/keep.txt"), "mine");
    EXPECT_EQ(chooser->selectedFolder(), music.path()) << "the selection stays";
    QTreeView* tree = chooser->ShellTreeView1;
    const QPersistentModelIndex selected = tree->currentIndex();
    ASSERT_EQ(tree->model()->rowCount(selected), 1) << "the new folder shows under the selection";
    EXPECT_EQ(tree->model()->index(0, 0, selected).data().toString(), "New Folder");
    EXPECT_TRUE(chooser->ChosenFolder().isEmpty());
    EXPECT_EQ(session->options().outputDir, "/before/");
    EXPECT_TRUE(chooser->isVisible());
}

TEST_F(FolderChooserTest, CancelOrClosingChangesNothing)
{
    open();
    chooser->selectFolder(music.path());
    chooser->btn_cancel->click();
    EXPECT_EQ(chooser->result(), QDialog::Rejected);
    EXPECT_FALSE(chooser->isVisible());

    open();
    EXPECT_EQ(chooser->selectedFolder(), music.path()) << "the tree keeps its selection";
    chooser->close();

    EXPECT_TRUE(chooser->ChosenFolder().isEmpty());
    EXPECT_EQ(session->options().outputDir, "/before/");
    EXPECT_EQ(edtDir.text(), "/before/");
    EXPECT_FALSE(QFile::exists(config.filePath("Vessimo.ini")));
}

TEST_F(FolderChooserTest, AFailedWriteKeepsTheDialogOpenAndCancelStillChoosesNothing)
{
    // A folder where the options file should be: the write is refused even for root.
    ASSERT_TRUE(QDir(config.path()).mkdir("Vessimo.ini"));
    open();
    chooser->selectFolder(music.path());
    chooser->btn_ok->click();
    EXPECT_EQ(prompts.errors, QStringList{"Unable to write to " + config.filePath("Vessimo.ini")});
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(edtDir.text(), "/before/");
    EXPECT_EQ(session->options().outputDir, "/before/") << "the output folder is not half changed";
    chooser->btn_cancel->click();
    EXPECT_TRUE(chooser->ChosenFolder().isEmpty());
}

TEST_F(FolderChooserTest, LeavesOutPseudoFileSystemsAndHiddenFolders)
{
    ASSERT_TRUE(QDir().mkdir(music.filePath(".cache")));
    ASSERT_TRUE(QDir().mkdir(music.filePath("Live")));
    session->options().outputDir = music.path() + "/";
    open();
    QTreeView* tree = chooser->ShellTreeView1;
    const auto names = [&](const QModelIndex& parent) {
        QStringList out;
        for (int row = 0; row < tree->model()->rowCount(parent); ++row)
            out << tree->model()->index(row, 0, parent).data().toString();
        return out;
    };
    const QPersistentModelIndex current = tree->currentIndex();
    ASSERT_TRUE(testsupport::waitFor([&] { return !names(current).isEmpty(); },
                                     "the tree to list the folder"));
    EXPECT_EQ(names(current), QStringList{"Live"});

    QModelIndex root = tree->currentIndex();
    while (root.parent().isValid())
        root = root.parent();
    const QStringList top = names(root);
    EXPECT_FALSE(top.isEmpty());
    for (const char* pseudo : {"proc", "sys", "dev"})
        EXPECT_FALSE(top.contains(pseudo)) << pseudo;
}

TEST(OutputFolderTest, TheTreeOpensOnTheNearestFolderItShows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(".hidden/Music")));
    EXPECT_EQ(FolderToOpenOn(dir.path() + "/"), dir.path());
    EXPECT_EQ(FolderToOpenOn(dir.filePath("gone/deeper/")), dir.path()) << "missing folders";
    EXPECT_EQ(FolderToOpenOn(dir.filePath(".hidden/Music/")), dir.path()) << "a hidden one";
    EXPECT_EQ(FolderToOpenOn("/proc/self/"), "/");
    EXPECT_EQ(FolderToOpenOn(""), QDir::homePath());
    EXPECT_EQ(FolderToOpenOn("relative/"), QDir::homePath());

    EXPECT_TRUE(IsHiddenFromFolderTree("/proc"));
    EXPECT_TRUE(IsHiddenFromFolderTree("/sys/kernel"));
    EXPECT_TRUE(IsHiddenFromFolderTree("/dev/"));
    EXPECT_TRUE(IsHiddenFromFolderTree("/home/me/.config"));
    EXPECT_FALSE(IsHiddenFromFolderTree("/devices")) << "only the folder itself, not a prefix";
    EXPECT_FALSE(IsHiddenFromFolderTree("/home/me/Music"));
    EXPECT_FALSE(IsHiddenFromFolderTree("/"));
}

TEST(OutputFolderTest, NewFolderThatCannotBeCreatedReportsNothing)
{
    QTemporaryDir dir;
    // A file where the parent folder should be.
    testsupport::writeAll(dir.filePath("plain"), "x");
    EXPECT_EQ(CreateNewFolder(dir.filePath("plain")), QString());
    EXPECT_EQ(CreateNewFolder(dir.path() + "/"), dir.path() + "/New Folder");
    EXPECT_TRUE(QFileInfo(dir.filePath("New Folder")).isDir());
}
