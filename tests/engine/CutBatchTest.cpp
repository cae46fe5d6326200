#include "JobSessionFixture.h"

#include "app/JobAreaView.h"
#include "engine/CutBatch.h"

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

    const QVector<CutTask> tasks =
        CutBatch::plan(JobAreaView(session->jobs()).files(), 1, 1, outDir(), session->options());
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
    EXPECT_EQ(tasks[4].piece.begin, 0);
}

} // namespace
