// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobSessionFixture.h"

#include "app/JobAreaView.h"
#include "engine/CutJob.h"
#include "engine/CutTasks.h"

namespace {

using namespace enginetest;

using CutBatchTest = JobSessionTest;

// The command-line tool decides every name before it cuts; the names and
// their order must be those the window's job gives one piece at a time.
TEST_F(CutBatchTest, NamesDecidedUpFrontAreTheWindowJobsNames)
{
    QDir(dir.path()).mkdir("src/again");
    makeSource(src("Song.wav"), 3.0);
    makeSource(src("again/Song.wav"), 2.0);
    add({src("Song.wav"), src("again/Song.wav")});
    testsupport::writeAll(out("Song_2.wav"), "in the way");
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 1;
    setFormat(1);

    const JobAreaView view(session->jobs());
    const QVector<CutTask> tasks =
        CutTasks(view, segmentplan::EverySeconds, session->options()).all(OutputFormat::Wav);
    QStringList planned;
    for (const CutTask& t : tasks)
        planned << QFileInfo(t.output).fileName();
    EXPECT_EQ(planned, (QStringList{"Song_1.wav", "Song_3.wav", "Song_4.wav", "Song_5.wav",
                                    "Song_6.wav", "Song_7.wav", "Song_8.wav"}));

    session->cutCommand();
    QStringList written = outputs();
    written.removeAll("Song_2.wav");
    std::sort(planned.begin(), planned.end());
    EXPECT_EQ(written, planned);
    EXPECT_EQ(tasks[4].source, src("again/Song.wav"));
    EXPECT_EQ(tasks[4].piece.begin, SegmentPoint::seconds(0));
}

// The window and the command line's workers run the same tasks through the
// same piece cutter: the same names, fallback names included, and the same
// bytes, whatever the number of workers.
TEST_F(CutBatchTest, WorkersWriteTheWindowsNamesAndBytes)
{
    // The title fills a file name: "_1" to "_9" fit, from "_10" on the
    // system refuses the name and the source's name is used instead.
    makeSource(src("long.wav"), 11.0);
    testsupport::ffmpeg({"-i", src("long.wav"), "-c:a", "libmp3lame", "-metadata",
                         "title=" + QString(249, 'x'), "-metadata", "artist=Both",
                         src("long.mp3")});
    add({src("long.mp3")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 1;
    session->options().fadeIn = true;
    session->options().fadeInSeconds = 2;
    setFormat(0);

    QDir(dir.path()).mkdir("workers");
    Options elsewhere = session->options();
    elsewhere.outputDir = dir.filePath("workers") + "/";
    const JobAreaView view(session->jobs());
    CutTasks planner(view, segmentplan::EverySeconds, elsewhere);
    const QVector<CutTask> tasks = planner.all(OutputFormat::Mp3);
    ASSERT_EQ(tasks.size(), 12);
    CutJob::Workers workers;
    workers.count = 3;
    workers.iniPath = dir.filePath("Vessimo.ini");
    const QVector<CutJob::Outcome> outcomes = CutJob::runOnWorkers(planner, tasks, workers);

    session->cutCommand();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    const QStringList written = outputs();
    EXPECT_EQ(written.size(), 12);
    EXPECT_TRUE(written.contains("long.mp3") && written.contains("long_2.mp3"));
    EXPECT_TRUE(written.contains(QString(249, 'x') + "_9.mp3"));
    EXPECT_EQ(QDir(dir.filePath("workers")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              written);
    for (int k = 0; k < outcomes.size(); ++k) {
        EXPECT_TRUE(outcomes[k].error.isEmpty()) << outcomes[k].error.toStdString();
        EXPECT_EQ(outcomes[k].frames, k < 11 ? 44100 : 0) << "the last piece is [11, 11]";
        const QString name = QFileInfo(outcomes[k].output).fileName();
        EXPECT_EQ(md5(outcomes[k].output), md5(out(name))) << name.toStdString();
    }
    EXPECT_EQ(QFileInfo(outcomes[9].output).fileName(), "long.mp3");
}

} // namespace
