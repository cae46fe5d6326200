// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/WidgetPrompts.h"
#include "support/DialogDriver.h"

#include "base/SessionState.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>

using testsupport::whenModalShows;

// The open dialog gets one Qt filter a file type, with the patterns spaced
// and a description's own parentheses replaced by the patterns.
TEST(WidgetPromptsTest, OpenDialogTakesEveryFileTypeOfTheFilter)
{
    WidgetPrompts prompts;
    QStringList filters;
    whenModalShows<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        dialog.reject();
    });
    const QStringList chosen = prompts.openFiles(
        "All Supported Files|*.mp3;*.wav|MP3 Files(*.mp3;*.mp2)|*.mp3;*.mp2|WAV File(*.wav)|*.wav");
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_EQ(filters, (QStringList{"All Supported Files (*.mp3 *.wav)", "MP3 Files (*.mp3 *.mp2)",
                                    "WAV File (*.wav)"}));
}

// A filter without file types reaches the dialog as it is.
TEST(WidgetPromptsTest, OpenDialogKeepsAPlainQtFilter)
{
    WidgetPrompts prompts;
    QStringList filters;
    whenModalShows<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        dialog.reject();
    });
    prompts.openFiles("Audio (*.mp3 *.wav);;Any (*)");
    EXPECT_EQ(filters, (QStringList{"Audio (*.mp3 *.wav)", "Any (*)"}));
}

// The save dialog shows the chosen file type with its suffix, follows a
// change of type with the suffix, and reports the type the user ends with.
TEST(WidgetPromptsTest, JoinTargetFollowsTheFileType)
{
    QTemporaryDir dir;
    WidgetPrompts prompts;
    QStringList filters;
    QString firstFilter;
    QString firstSuffix;
    QString laterSuffix;
    whenModalShows<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        firstFilter = dialog.selectedNameFilter();
        firstSuffix = dialog.defaultSuffix();
        dialog.selectNameFilter("OGG Files(*.ogg)");
        emit dialog.filterSelected("OGG Files(*.ogg)");
        laterSuffix = dialog.defaultSuffix();
        dialog.selectFile(dir.filePath("joined.ogg"));
        static_cast<QDialog&>(dialog).accept(); // public as a QDialog
    });
    const Prompts::SaveChoice choice = prompts.joinTarget(
        "MP3 Files(*.mp3)|*.mp3|WAV Files(*.wav)|*.wav|OGG Files(*.ogg)|*.ogg", 2, dir.path());
    EXPECT_EQ(filters, (QStringList{"MP3 Files(*.mp3)", "WAV Files(*.wav)", "OGG Files(*.ogg)"}));
    EXPECT_EQ(firstFilter, "WAV Files(*.wav)");
    EXPECT_EQ(firstSuffix, "wav");
    EXPECT_EQ(laterSuffix, "ogg");
    EXPECT_EQ(choice.fileName, dir.filePath("joined.ogg"));
    EXPECT_EQ(choice.filterIndex, 3);
}

// A job runs on the window's thread: a box or dialog waited for in a nested
// event loop would halt it unseen. While a job runs they show, modal, and
// the call returns at once; without a job they are waited for as before.
TEST(WidgetPromptsTest, WhileAJobRunsBoxesAndDialogsShowWithoutHaltingIt)
{
    QWidget owner;
    owner.show();
    SessionState state;
    WidgetPrompts prompts;
    prompts.setOwner(&owner);
    prompts.setState(&state);
    QDialog settings(&owner);
    prompts.setDialog(Prompts::Dialog::Settings, &settings);

    state.setMode(SessionState::Mode::Running);
    prompts.showModal(Prompts::Dialog::Settings); // returns: nothing closes it here
    EXPECT_TRUE(settings.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), &settings);
    prompts.showModal(Prompts::Dialog::Settings); // a second click only brings it forward
    EXPECT_TRUE(settings.isVisible());
    prompts.information("The job goes on.");
    prompts.error("A failure.");
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes << box;
    ASSERT_EQ(boxes.size(), 2);
    for (QMessageBox* box : boxes) {
        EXPECT_TRUE(box->isModal());
        EXPECT_TRUE(box->testAttribute(Qt::WA_DeleteOnClose));
        box->accept();
    }
    settings.reject();

    // Idle: waited for, as before.
    state.leave(SessionState::Mode::Running);
    bool shownModal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownModal = box->text() == "Idle.";
        box->accept();
    });
    prompts.information("Idle.");
    EXPECT_TRUE(shownModal);
}
