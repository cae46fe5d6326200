// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobAreaFixture.h"
#include "JobTestFiles.h"
#include "support/ChildChecks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Source files shared by every test of this file; made once.
class Sources {
public:
    static Sources& get()
    {
        static Sources s;
        return s;
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;

private:
    Sources()
    {
        jobtest::makeWav(path("a.wav"), 3);
        jobtest::makeWav(path("b.wav"), 5);
        jobtest::makeWav(path("c.wav"), 62);
        jobtest::makeWav(path("half.wav"), 0.5);
        jobtest::makeMp3(path("titled.mp3"), 4,
                         {"-metadata", "title=Song: One/Two", "-metadata", "artist=Band",
                          "-metadata", "album=LP", "-metadata", "comment=Fine", "-metadata",
                          "genre=Rock", "-metadata", "date=1999"});
        jobtest::makeMp3(path("v1.mp3"), 2, {"-id3v2_version", "0"});
        QByteArray v1 = "TAGA/B";
        v1.append(QByteArray(128 - v1.size(), '\0'));
        QFile mp3(path("v1.mp3"));
        if (mp3.open(QIODevice::Append))
            mp3.write(v1);
        jobtest::makeOgg(path("song.ogg"), 3,
                         {"-metadata", "title= Ogg*Title ", "-metadata", "artist=Singer"});
        testsupport::makeAudio(path("live.wma"), {.seconds = 3.5, .rate = 22050},
                               {"-metadata", "title=Live | Loud", "-metadata", "artist=Crowd",
                                "-metadata", "album=Tour"});
        testsupport::writeAll(path("notes.mp3"), "These are my notes, not audio.\n");
        testsupport::writeAll(path("empty.wav"), {});
        testsupport::writeAll(path("cut.wav"), testsupport::readAll(path("a.wav")).left(30));
    }
};

class JobListTest : public ::testing::Test, public JobAreaFixture {
protected:
    QString src(const QString& name) { return Sources::get().path(name); }
    void addFiles(const QStringList& names)
    {
        prompts.filesAnswer.clear();
        for (const QString& n : names)
            prompts.filesAnswer << src(n);
        area->AddFiles();
    }
    // Row i, its entry and its tag record still describe the same file.
    void expectPaired(int row, const QString& name, const QString& title = {})
    {
        EXPECT_EQ(QFileInfo(area->list().entry(row).path).fileName(), name) << "row " << row;
        EXPECT_EQ(area->list().info(row).title, title) << "row " << row;
    }
};

} // namespace

TEST_F(JobListTest, AddingThroughTheFileDialogProbesNamesAndSelectsTheFirstRow)
{
    addFiles({"a.wav", "titled.mp3", "c.wav"});
    EXPECT_EQ(prompts.fileFilters, QStringList{JobArea::kFileFilter});
    EXPECT_EQ(captions(), (QStringList{"a.wav", "Song OneTwo", "c.wav"}));
    EXPECT_EQ(area->list().timeText(2), "00:01:02");
    const listrecord& c = area->list().entry(2);
    EXPECT_EQ(c.duration, 62);
    EXPECT_EQ(c.sliderMaximum, 1084) << "124 steps raised to the file dialog's bound";
    EXPECT_EQ(c.sampleCount, 62 * 8000);
    EXPECT_EQ(c.segments(), (QVector<Segment>{{0, 62}}));
    const AudioFileinfo& tags = area->list().info(1);
    EXPECT_EQ(tags.title, "Song OneTwo");
    EXPECT_EQ(tags.artist, "Band");
    EXPECT_EQ(tags.album, "LP");
    EXPECT_EQ(tags.genre, "Rock");
    EXPECT_EQ(tags.year, "1999");
    EXPECT_EQ(tags.comment, "Fine");
    EXPECT_TRUE(tags.track.isEmpty()) << "the source's track does not number its pieces";
    EXPECT_EQ(area->list().selectedRow(), 0);
    EXPECT_EQ(state.SelectedFileIndex(), 0);
    EXPECT_FALSE(area->helpMemoVisible());
    EXPECT_EQ(ranges(), QStringList{"00:00:00 - 00:00:03"});
    EXPECT_EQ(area->totalLengthText(), "00:01:09");
    EXPECT_GE(pumps, 3);
    EXPECT_TRUE(prompts.informations.isEmpty());
}

TEST_F(JobListTest, BadFilesAreRefusedOneByOneAndTheRestStaysPaired)
{
    QFile::copy(src("a.wav"), src("locked.wav"));
    QFile::setPermissions(src("locked.wav"), QFileDevice::Permissions{});
    const bool locked = !QFile(src("locked.wav")).open(QIODevice::ReadOnly);
    addFiles({"titled.mp3", "notes.mp3", "empty.wav", "b.wav", "cut.wav", "half.wav", "locked.wav",
              "song.ogg"});
    QStringList expected{
        "notes.mp3 this File is not supported.", "empty.wav this File is not supported.",
        "cut.wav this File is not supported.", "half.wav this File is Error or not supported."};
    if (locked)
        expected << "locked.wav this File is not supported.";
    EXPECT_EQ(prompts.boxTexts(), expected);
    ASSERT_EQ(area->list().count(), locked ? 3 : 4);
    expectPaired(0, "titled.mp3", "Song OneTwo");
    expectPaired(1, "b.wav");
    expectPaired(locked ? 2 : 3, "song.ogg", "OggTitle");
    EXPECT_EQ(area->list().info(locked ? 2 : 3).artist, "Singer");
    EXPECT_TRUE(reader.IsEnabled()) << "the reader accepts files again after a failure";
    EXPECT_FALSE(reader.IsOpen());
    for (const char* name : {"notes.mp3", "cut.wav"})
        EXPECT_TRUE(QFile::exists(src(name))) << "refused files are left alone";
}

TEST_F(JobListTest, TheFolderDialogAddsSupportedKindsUncleanedAndWithoutTheLengthCheck)
{
    QTemporaryDir folder;
    for (const char* name : {"half.wav", "v1.mp3", "titled.mp3", "notes.mp3"})
        QFile::copy(src(name), folder.filePath(name));
    testsupport::writeAll(folder.filePath("readme.txt"), "not listed");
    QDir(folder.path()).mkdir("sub.wav.d");
    addFiles({"a.wav"});
    area->list().select(0);
    prompts.folderAnswer = folder.path();
    area->AddFolder();
    EXPECT_EQ(prompts.folderCaptions, QStringList{"Add File Directory"});
    EXPECT_EQ(captions(), (QStringList{"a.wav", "half.wav", "Song: One/Two", "v1.mp3"}))
        << "the failed file's row alone is gone; titles stay as read; no version 1 title";
    EXPECT_EQ(prompts.boxTexts(), QStringList{"notes.mp3 this File is not supported."});
    EXPECT_EQ(area->list().timeText(1), "00:00:00");
    EXPECT_EQ(area->list().entry(1).sliderMaximum, 1014);
    expectPaired(2, "titled.mp3", "Song: One/Two");
    expectPaired(3, "v1.mp3");
    EXPECT_EQ(area->list().selectedRow(), 0) << "the selection stays where it was";
}

// The box keeps its described text and names the cause on a second line;
// the job list hands both to its callers (the command-line tool prints them).
TEST_F(JobListTest, ARefusedFileIsShownWithItsCause)
{
    QSignalSpy refused(area.get(), &JobArea::fileRefused);
    addFiles({"missing.wav", "notes.mp3", "half.wav", "a.wav"});
    const QString missing = src("missing.wav");
    const QStringList causes{
        "Cannot read \"" + missing + "\": the file does not exist.",
        "Cannot read \"" + src("notes.mp3") + "\": ",
        "It is shorter than one second.",
    };
    ASSERT_EQ(prompts.informations.size(), 3);
    EXPECT_EQ(prompts.informations[0], "missing.wav this File is not supported.\n" + causes[0]);
    EXPECT_TRUE(
        prompts.informations[1].startsWith("notes.mp3 this File is not supported.\n" + causes[1]))
        << prompts.informations[1].toStdString();
    EXPECT_EQ(prompts.informations[2],
              "half.wav this File is Error or not supported.\n" + causes[2]);
    ASSERT_EQ(refused.size(), 3);
    ASSERT_EQ(refused[0].size(), 3) << "path, box text and cause";
    EXPECT_EQ(refused[0][0].toString(), missing);
    EXPECT_EQ(refused[0][1].toString(), "missing.wav this File is not supported.");
    EXPECT_EQ(refused[0][2].toString(), causes[0]);
    EXPECT_EQ(refused[2][2].toString(), causes[2]);
    EXPECT_EQ(captions(), QStringList{"a.wav"});
}

// A folder that cannot be listed is named, not taken for an empty one.
TEST_F(JobListTest, AnUnreadableFolderIsReported)
{
    QTemporaryDir parent;
    ::chmod(QFile::encodeName(parent.path()).constData(), 0755);
    const QString folder = parent.filePath("locked");
    ASSERT_TRUE(QDir(parent.path()).mkdir("locked"));
    QFile::copy(src("a.wav"), folder + "/a.wav");
    ::chmod(QFile::encodeName(folder).constData(), 0);
    testsupport::asUnprivileged([&] {
        QSignalSpy refused(area.get(), &JobArea::fileRefused);
        const int added = area->addFolderPath(folder);
        const QStringList expected{"The folder " + folder + " cannot be read.\nPermission denied"};
        if (added != 0 || prompts.informations != expected || refused.size() != 1) {
            std::fprintf(stderr, "added %d, boxes: %s\n", added,
                         qPrintable(prompts.informations.join(" | ")));
            return false;
        }
        return area->list().isEmpty();
    });
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

// A name that is not valid UTF-8 cannot be opened through a Qt string; such
// a file of a supported kind is named in the refusal, its bytes escaped,
// and the others are added as usual.
TEST_F(JobListTest, NamesThatAreNotTextAreNamedWhenAFolderIsAdded)
{
    QTemporaryDir folder;
    const QByteArray wav = testsupport::readAll(src("a.wav"));
    const QByteArray dirName = QFile::encodeName(folder.path());
    for (const QByteArray& name :
         {QByteArray("caf\xe9.wav"), QByteArray("b.wav"), QByteArray("\xff\xfe.txt")}) {
        const int fd = ::open((dirName + "/" + name).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, wav.constData(), size_t(wav.size())), wav.size());
        ::close(fd);
    }
    area->addFolderPath(folder.path());
    EXPECT_EQ(captions(), QStringList{"b.wav"});
    ASSERT_EQ(prompts.informations.size(), 1) << "a name of no supported kind is skipped";
    EXPECT_TRUE(prompts.informations[0].startsWith("caf\\xe9.wav this File is not supported.\n"))
        << prompts.informations[0].toStdString();
}

TEST_F(JobListTest, TheVersionOneTitleNamesTheRowThroughTheFileDialogOnly)
{
    addFiles({"v1.mp3"});
    EXPECT_EQ(captions(), QStringList{"AB"});
    EXPECT_TRUE(area->list().info(0).title.isEmpty()) << "the record takes the version 2 title";
}

TEST_F(JobListTest, WmaRowsShowTheCleanedTitleAndKeepTheAttributesAsRead)
{
    addFiles({"live.wma"});
    EXPECT_EQ(captions(), QStringList{"Live  Loud"});
    EXPECT_EQ(area->list().info(0).title, "Live | Loud");
    EXPECT_EQ(area->list().info(0).artist, "Crowd");
    EXPECT_EQ(area->list().info(0).album, "Tour");
    EXPECT_EQ(area->list().timeText(0), "00:00:03");
}

TEST_F(JobListTest, CancelledDialogsAddNothing)
{
    area->AddFiles();
    prompts.folderAnswer.clear();
    area->AddFolder();
    EXPECT_TRUE(area->list().isEmpty());
    EXPECT_TRUE(area->helpMemoVisible());
    EXPECT_EQ(pumps, 0);
}

TEST_F(JobListTest, AddingStopsARunningPreviewFirst)
{
    setMode(SessionState::Mode::Previewing);
    addFiles({"a.wav"});
    EXPECT_EQ(previewStops, 1);
    EXPECT_EQ(area->list().count(), 1);
}

TEST_F(JobListTest, TheNameColumnNarrowsFromTwelveRows)
{
    QSignalSpy widths(&area->list(), &JobList::nameColumnWidthChanged);
    for (int i = 0; i < 11; ++i)
        addEntry(10);
    area->list().AdjustNameColumn();
    EXPECT_EQ(area->list().nameColumnWidth(), 143);
    addFiles({"a.wav"});
    EXPECT_EQ(area->list().nameColumnWidth(), 123);
    area->list().select(3);
    area->RemoveFile();
    EXPECT_EQ(area->list().nameColumnWidth(), 143);
    ASSERT_EQ(widths.size(), 2);
    EXPECT_EQ(widths[0][0].toInt(), 123);
    EXPECT_EQ(widths[1][0].toInt(), 143);
}

TEST_F(JobListTest, MovesCarryEntryTagRecordAndPreviewedFile)
{
    for (int i = 0; i < 3; ++i) {
        addEntry(10 + i, QString("f%1.wav").arg(i));
        area->list().info(i).title = QString("T%1").arg(i);
    }
    area->list().select(2);
    state.setPreviewFileIndex(2);
    area->MoveFileUp();
    EXPECT_EQ(captions(), (QStringList{"f0.wav", "f2.wav", "f1.wav"}));
    EXPECT_EQ(area->list().info(1).title, "T2");
    EXPECT_EQ(area->list().entry(1).duration, 12);
    EXPECT_EQ(area->list().selectedRow(), 1);
    EXPECT_EQ(state.SelectedFileIndex(), 1);
    EXPECT_EQ(state.PreviewFileIndex(), 1);

    area->MoveFileUp();
    area->MoveFileUp(); // already at the top
    EXPECT_EQ(captions(), (QStringList{"f2.wav", "f0.wav", "f1.wav"}));
    EXPECT_EQ(state.PreviewFileIndex(), 0);

    area->list().select(1);
    area->MoveFileDown();
    area->MoveFileDown(); // already at the bottom
    EXPECT_EQ(captions(), (QStringList{"f2.wav", "f1.wav", "f0.wav"}));
    EXPECT_EQ(area->list().info(2).title, "T0");

    setMode(SessionState::Mode::Running);
    area->MoveFileUp();
    EXPECT_EQ(captions(), (QStringList{"f2.wav", "f1.wav", "f0.wav"})) << "no move during a job";
    setMode(SessionState::Mode::Idle);
    area->list().select(-1);
    area->MoveFileUp();
    area->MoveFileDown();
    EXPECT_EQ(area->list().info(0).title, "T2");
}

TEST_F(JobListTest, RemovingSelectsTheSameIndexOrTheTopNearTheEnd)
{
    for (int i = 0; i < 5; ++i)
        addEntry(10 + i, QString("f%1.wav").arg(i));
    // The second-to-last of five: the selection goes to the top.
    area->list().select(3);
    state.setSelectedFileIndex(3);
    area->RemoveFile();
    EXPECT_EQ(captions(), (QStringList{"f0.wav", "f1.wav", "f2.wav", "f4.wav"}));
    EXPECT_EQ(area->list().selectedRow(), 0);
    EXPECT_EQ(state.SelectedFileIndex(), 0);
    EXPECT_EQ(ranges(), QStringList{"00:00:00 - 00:00:10"});

    // Lower down the same index stays selected: now the next file.
    area->list().select(1);
    state.setSelectedFileIndex(1);
    area->RemoveFile();
    EXPECT_EQ(captions(), (QStringList{"f0.wav", "f2.wav", "f4.wav"}));
    EXPECT_EQ(area->list().selectedRow(), 1);
    EXPECT_EQ(area->totalLengthText(), "00:00:36");

    area->list().select(-1);
    area->RemoveFile();
    EXPECT_EQ(area->list().count(), 3) << "nothing selected, nothing removed";

    for (int i = 0; i < 3; ++i) {
        area->list().select(0);
        area->RemoveFile();
    }
    EXPECT_TRUE(area->list().isEmpty());
    EXPECT_TRUE(area->segments().isEmpty());
    EXPECT_FALSE(area->helpMemoVisible()) << "removing the last row leaves the memo hidden";
    EXPECT_EQ(area->totalLengthText(), "00:00:00");
}

TEST_F(JobListTest, ClearingTheListShowsTheMemoAndClearingSegmentsResetsOneFile)
{
    addEntry(100);
    addEntry(50);
    area->list().select(0);
    area->lvClick();
    area->list().entry(0).setConfirmedSegments({{1, 2}, {3, 4}});
    area->lvClick();
    ASSERT_EQ(area->segments().count(), 3);
    area->ClearSegments();
    EXPECT_EQ(area->list().entry(0).segmentCount, 1);
    EXPECT_EQ(area->list().entry(0).beginTimes.size(), 3) << "the arrays keep their length";
    EXPECT_EQ(ranges(), QStringList{"00:00:00 - 00:01:40"});
    EXPECT_EQ(statuses(), QStringList{"Uncertain"});
    EXPECT_EQ(area->totalLengthText(), "00:02:30");

    area->ClearJobList();
    EXPECT_TRUE(area->list().isEmpty());
    EXPECT_TRUE(area->segments().isEmpty());
    EXPECT_TRUE(area->helpMemoVisible());
    EXPECT_EQ(area->totalLengthText(), "00:00:00");
    area->ClearSegments(); // no row: nothing happens
    EXPECT_TRUE(area->segments().isEmpty());
}
