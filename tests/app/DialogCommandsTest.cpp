// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainSession.h"
#include "jobs/JobTestFiles.h"
#include "support/FakeSeams.h"
#include "support/Printers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

class DialogCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        session = std::make_unique<MainSession>(prompts, shell, dir.filePath("Vessimo.ini"),
                                                dir.filePath("no-skin"));
        session->AudioFileRead().SetEnabled(true);
        session->settingsDialog().setOutputDirBox([] { return QString("/music/"); }, {});
    }

    QStringList segmentRanges()
    {
        QStringList r;
        for (int i = 0; i < session->jobs().segments().count(); ++i)
            r << session->jobs().segments().range(i);
        return r;
    }

    QTemporaryDir dir;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<MainSession> session;
};

} // namespace

TEST_F(DialogCommands, SettingsAndSetOpenTheSettingsDialogAlsoDuringAJob)
{
    session->commands().click("Settings");
    session->state().setMode(SessionState::Mode::Running);
    session->commands().click("Set");
    EXPECT_EQ(prompts.shown,
              (QList<Prompts::Dialog>{Prompts::Dialog::Settings, Prompts::Dialog::Settings}));
}

TEST_F(DialogCommands, TheSegmentListFollowsTheChoiceOnlyAtOk)
{
    const QString wav = dir.filePath("long.wav");
    jobtest::makeWav(wav, 25);
    ASSERT_EQ(session->jobs().addFilePaths({wav}), 1);
    const QStringList custom = segmentRanges();
    ASSERT_EQ(custom.size(), 1);

    settings::SettingsDialogModel& dialog = session->settingsDialog();
    dialog.FormShow();
    dialog.rb_timeClick();
    dialog.setTimeText("10");
    dialog.CancelClick();
    session->jobs().lvClick();
    EXPECT_EQ(segmentRanges(), custom) << "a cancelled choice never shows";

    dialog.FormShow();
    dialog.rb_timeClick();
    dialog.setTimeText("10");
    ASSERT_TRUE(dialog.OkClick());
    EXPECT_EQ(segmentRanges().size(), 3) << "Ok rebuilds the segment list at once";
    EXPECT_EQ(session->options().functionChoice, 1);
}

TEST_F(DialogCommands, TheTagEditorEditsTheJobListsRecordsAndCaptions)
{
    const QString mp3 = dir.filePath("song.mp3");
    const QString wav = dir.filePath("quiet.wav");
    jobtest::makeMp3(mp3, 2, {"-metadata", "title=Song A", "-metadata", "artist=Band"});
    jobtest::makeWav(wav, 2);
    ASSERT_EQ(session->jobs().addFilePaths({mp3, wav}), 2);
    JobList& list = session->jobs().list();
    ASSERT_EQ(list.caption(0), "Song A");

    tags::TagEditorModel& editor = session->tagEditor();
    editor.FormShow(session->tagRecords());
    EXPECT_EQ(editor.fieldText(TagField::Artist), "Band");
    editor.setField(TagField::Title, "Song B");
    editor.fieldExit(TagField::Title);
    editor.lv_id3Click(1);
    editor.setField(TagField::Year, "2024");
    editor.btn_okClick(session->tagRecords());

    EXPECT_EQ(list.caption(0), "Song B");
    EXPECT_EQ(list.info(0).title, "Song B");
    EXPECT_EQ(list.info(0).artist, "Band");
    EXPECT_EQ(list.caption(1), "quiet.wav");
    EXPECT_EQ(list.info(1).title, "") << "the second file was shown from its record";
    EXPECT_EQ(list.info(1).year, "2024");

    // Moving a row takes its record along; the editor shows it at its place.
    list.select(1);
    session->jobs().MoveFileUp();
    editor.FormShow(session->tagRecords());
    EXPECT_EQ(editor.rows(), (QStringList{"quiet.wav", "Song B"}));
    EXPECT_EQ(editor.fieldText(TagField::Year), "2024");
    editor.FormCloseQuery();
}
