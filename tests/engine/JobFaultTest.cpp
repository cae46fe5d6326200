// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobSessionFixture.h"
#include "audio/AudioFile.h"
#include "base/TimeCode.h"
#include "support/FileSizeLimit.h"

#include <QFile>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace enginetest;

using JobFaultTest = JobSessionTest;

TEST_F(JobFaultTest, ASourceThatTurnedIntoGarbageEndsTheJobCleanly)
{
    makeSource(src("good.wav"), 2.0);
    makeSource(src("bad.wav"), 2.0);
    add({src("good.wav"), src("bad.wav")});
    session->jobs().list().entry(1).setConfirmedSegments({{0, 1}});
    testsupport::writeAll(src("bad.wav"), QByteArray(5000, 'x'));
    sums[src("bad.wav")] = md5(src("bad.wav"));
    setFormat(1);
    session->splitCommand();

    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("bad.wav")) << prompts.errors[0].toStdString();
    // The first file's piece is finished and stays; nothing of the second.
    EXPECT_EQ(outputs(), QStringList{"good.wav"});
    EXPECT_EQ(decodedFrames(out("good.wav")), 88200);
    // The open segment the job took out is listed again.
    EXPECT_EQ(session->jobs().list().entry(1).segmentCount, 2);
    expectJobEnded();
    expectSourcesUnchanged();
}

TEST_F(JobFaultTest, ASourceDeletedBeforeItsTurnIsNamed)
{
    makeSource(src("first.wav"), 2.0);
    makeSource(src("second.wav"), 2.0);
    add({src("first.wav"), src("second.wav")});
    sums.erase(src("second.wav"));
    QFile::remove(src("second.wav"));
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 1;
    setFormat(0);
    session->cutCommand();

    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("second.wav")) << prompts.errors[0].toStdString();
    EXPECT_EQ(outputs(), (QStringList{"first_1.mp3", "first_2.mp3", "first_3.mp3"}));
    expectJobEnded();
    expectSourcesUnchanged();
}

TEST_F(JobFaultTest, AMissingOutputFolderIsNamedBeforeAnythingIsRead)
{
    makeSource(src("a.wav"), 1.0);
    add({src("a.wav")});
    const QString missing = dir.filePath("gone/");
    session->options().outputDir = missing;
    session->splitCommand();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0], "The output folder " + missing + " does not exist.");
    EXPECT_FALSE(QFileInfo::exists(missing)) << "the folder is never created";
    EXPECT_EQ(session->jobs().segments().status(0), "Uncertain") << "no piece was begun";
    EXPECT_TRUE(shell.calls.isEmpty()) << "nothing was written, so no folder is opened";
    expectJobEnded();
}

// The default output folder is the user's own music folder, which a fresh
// account may lack: it is made rather than reported missing.
TEST_F(JobFaultTest, AMissingDefaultMusicFolderIsCreatedForTheCut)
{
    makeSource(src("a.wav"), 1.0);
    add({src("a.wav")});
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", dir.filePath("home").toUtf8());
    QDir(dir.path()).mkdir("home");
    const QString music = Options::defaultOutputDir();
    EXPECT_TRUE(music.startsWith(dir.filePath("home") + "/"));
    session->options().outputDir = music;
    session->splitCommand();
    qputenv("HOME", home);
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    EXPECT_TRUE(QFileInfo(music + "a.wav").isFile() || QFileInfo(music + "a.mp3").isFile());
    EXPECT_EQ(shell.calls, QStringList{"folder:" + music});
}

TEST_F(JobFaultTest, AReadOnlyOutputFolderIsNamedBeforeAnythingIsRead)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
    makeSource(src("a.wav"), 1.0);
    add({src("a.wav")});
    QFile::setPermissions(outDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    session->cutCommand();
    QFile::setPermissions(outDir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0], "The output folder " + outDir() + " cannot be written to.");
    EXPECT_TRUE(outputs().isEmpty());
    expectJobEnded();
}

TEST_F(JobFaultTest, AFullDiskLeavesNoUnfinishedFileAndKeepsFinishedOnes)
{
    makeNoiseWav(src("big.wav"), 8.0);
    add({src("big.wav")});
    session->jobs().list().entry(0).setConfirmedSegments({{0, 1}, {1, 7}});
    setFormat(1);
    {
        // One second of CD audio fits, six do not.
        FileSizeLimit limit(400 * 1024);
        session->splitCommand();
    }
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("big_1.wav")) << prompts.errors[0].toStdString();
    // No hidden part file either.
    EXPECT_EQ(outputs(), QStringList{"big.wav"});
    EXPECT_EQ(decodedFrames(out("big.wav")), 44100);
    EXPECT_EQ(session->jobs().list().entry(0).segmentCount, 3);
    expectJobEnded();
    expectSourcesUnchanged();
}

TEST_F(JobFaultTest, AFailedJoinLeavesTheFileItWasToReplaceIntact)
{
    makeNoiseWav(src("a.wav"), 4.0);
    add({src("a.wav")});
    testsupport::writeAll(out("mix.wav"), "the user's old mix");
    prompts.joinAnswer = {out("mix.wav"), 2};
    {
        FileSizeLimit limit(200 * 1024);
        session->joinCommand();
    }
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("mix.wav")) << prompts.errors[0].toStdString();
    EXPECT_EQ(outputs(), QStringList{"mix.wav"});
    EXPECT_EQ(testsupport::readAll(out("mix.wav")), "the user's old mix");
    expectJobEnded();
    expectSourcesUnchanged();
}

// A source that loses its end while it is cut (another program truncates it,
// a share goes away): the piece it can no longer fill fails with the
// reason, and nothing of it is left; the pieces finished before stay.
class ShrinkingSourceTest : public JobSessionTest,
                            public ::testing::WithParamInterface<const char*> {
protected:
    // A 30-second source in the format of `extension`.
    QString makeLongSource(const QString& extension)
    {
        const QString wav = src("tone.wav");
        makeSource(wav, 30.0);
        if (extension == "wav")
            return wav;
        const QString path = src("tone." + extension);
        testsupport::ffmpeg({"-i", wav, path});
        return path;
    }
    // Cuts the source to its first bytes as soon as `row` of the segment
    // list reads "Converting".
    void shrinkWhenConverting(const QString& path, int row)
    {
        QObject::connect(&session->jobs().segments(), &QAbstractItemModel::dataChanged,
                         [this, path, row] {
                             const SegmentList& rows = session->jobs().segments();
                             if (!shrunk && rows.isRow(row) && rows.status(row) == "Converting") {
                                 shrunk = true;
                                 QFile::resize(path, QFileInfo(path).size() / 4);
                             }
                         });
        sums.erase(path);
    }
    bool shrunk = false;
};

TEST_P(ShrinkingSourceTest, APieceTheSourceCanNoLongerFillFailsAndIsRemoved)
{
    const QString path = makeLongSource(GetParam());
    add({path});
    // Ten seconds on the source's own scale (a WMA stream runs a little past
    // its whole seconds).
    AudioFile probe;
    probe.SetEnabled(true);
    probe.OpenRead(path);
    const int64_t firstPiece =
        timecode::Scale64(10000, probe.GetSampleCount(), probe.GetDurationMs());
    probe.Close();
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 10;
    setFormat(1);
    shrinkWhenConverting(path, 1);
    session->splitCommand();

    ASSERT_TRUE(shrunk);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QFileInfo(path).fileName()))
        << prompts.errors[0].toStdString();
    EXPECT_EQ(outputs(), QStringList{"tone_1.wav"}) << "no part of the second piece";
    EXPECT_EQ(decodedFrames(out("tone_1.wav")), firstPiece);
    EXPECT_EQ(statusLog[1], (QStringList{"Converting"}));
    expectJobEnded();
}

TEST_P(ShrinkingSourceTest, AJoinPartTheSourceCanNoLongerFillFailsTheJoin)
{
    makeSource(src("first.wav"), 2.0);
    const QString path = makeLongSource(GetParam());
    add({src("first.wav"), path});
    session->options().functionChoice = 1;
    testsupport::writeAll(out("mix.wav"), "the user's old mix");
    // The second file's row reads "Converting" as soon as it is shown.
    bool second = false;
    QObject::connect(&session->jobs().segments(), &QAbstractItemModel::dataChanged, [&] {
        if (!second && session->state().SelectedFileIndex() == 1) {
            second = true;
            QFile::resize(path, QFileInfo(path).size() / 4);
        }
    });
    sums.erase(path);
    prompts.joinAnswer = {out("mix.wav"), 2};
    session->joinCommand();

    ASSERT_TRUE(second);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QFileInfo(path).fileName()))
        << prompts.errors[0].toStdString();
    EXPECT_EQ(outputs(), QStringList{"mix.wav"});
    EXPECT_EQ(testsupport::readAll(out("mix.wav")), "the user's old mix");
    expectJobEnded();
}

INSTANTIATE_TEST_SUITE_P(Formats, ShrinkingSourceTest,
                         ::testing::Values("mp3", "ogg", "wma", "wav"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
