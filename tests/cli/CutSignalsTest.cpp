// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <functional>
#include <sys/resource.h>

using testsupport::ffmpeg;

namespace {

// Signals sent to a running cut: however it ends, no hidden temporary
// (".long_2.mp3.XXXXXX") stays in the output folder, and the pieces it
// finished stay.
class CutSignals : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        source = new QTemporaryDir;
        // Three pieces of 20, 20 and 19 seconds.
        ffmpeg({"-f", "lavfi", "-i", "anoisesrc=sample_rate=44100:duration=59.5", "-ac", "2",
                "-c:a", "pcm_s16le", source->filePath("long.wav")});
    }
    static void TearDownTestSuite() { delete source; }

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
        testsupport::writeAll(dir.filePath("Vessimo.ini"),
                              "[Output]\nDir=" + QFile::encodeName(out()) + "/\n");
    }
    void TearDown() override
    {
        if (cut.state() != QProcess::NotRunning) {
            cut.kill();
            cut.waitForFinished(10000);
        }
    }

    QString out() const { return dir.filePath("out"); }
    QStringList outputs() const
    {
        return QDir(out()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QStringList hidden() const { return outputs().filter(QRegularExpression("^\\.")); }

    void start(const QString& format, const std::function<void()>& inChild = {})
    {
        if (inChild)
            cut.setChildProcessModifier(inChild);
        cut.start(VESSIMO_CLI, {"cut", "--settings", dir.filePath("Vessimo.ini"), "--out", out(),
                                "--every", "20", "--format", format, "--jobs", "1", "--json",
                                source->filePath("long.wav")});
        ASSERT_TRUE(cut.waitForStarted(30000));
    }
    // Until the first piece is finished and the second one is being written.
    bool secondPieceUnderWay()
    {
        // Not the hidden file of piece 1's tags being written.
        const auto underWay = [&] {
            const QStringList now = outputs();
            return now.contains("long_1.mp3") &&
                   !now.filter(QRegularExpression("^\\.long_2")).isEmpty();
        };
        EXPECT_TRUE(testsupport::waitFor(
            [&] { return underWay() || cut.state() == QProcess::NotRunning; }, "the second piece"));
        return underWay();
    }
    void signal(int number) { ::kill(static_cast<pid_t>(cut.processId()), number); }
    QJsonArray pieces()
    {
        return QJsonDocument::fromJson(cut.readAllStandardOutput())["outputs"].toArray();
    }

    static QTemporaryDir* source;
    QTemporaryDir dir;
    QProcess cut;
};

QTemporaryDir* CutSignals::source = nullptr;

} // namespace

// A logout or a kill stops the cut as Ctrl-C does: the piece under way is
// closed as far as it got.
TEST_F(CutSignals, SigtermAndSighupStopLikeCtrlC)
{
    for (const int number : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(::strsignal(number));
        for (const QString& file : outputs())
            QFile::remove(QDir(out()).filePath(file));
        start("mp3");
        ASSERT_TRUE(secondPieceUnderWay()) << cut.readAllStandardError().toStdString();
        signal(number);
        ASSERT_TRUE(cut.waitForFinished(60000));
        EXPECT_EQ(cut.exitStatus(), QProcess::NormalExit) << "ended by the signal itself";
        EXPECT_EQ(cut.exitCode(), 1);
        EXPECT_TRUE(cut.readAllStandardError().contains("stopped"));
        const QJsonArray done = pieces();
        ASSERT_EQ(done.size(), 2);
        EXPECT_EQ(done[0].toObject()["frames"].toInteger(), 20 * 44100);
        EXPECT_LT(done[1].toObject()["frames"].toInteger(), 20 * 44100);
        EXPECT_EQ(outputs(), (QStringList{"long_1.mp3", "long_2.mp3"}));
    }
}

// The second Ctrl-C does not wait for the piece under way to close.
TEST_F(CutSignals, ASecondCtrlCAbandonsThePieceUnderWay)
{
    start("mp3");
    ASSERT_TRUE(secondPieceUnderWay()) << cut.readAllStandardError().toStdString();
    signal(SIGINT);
    signal(SIGINT);
    ASSERT_TRUE(cut.waitForFinished(60000));
    EXPECT_TRUE(hidden().isEmpty()) << hidden().join(" ").toStdString();
    EXPECT_TRUE(outputs().contains("long_1.mp3"));
    // Unless the first Ctrl-C had already closed the piece before the second
    // one came, the process ended by the signal without it.
    if (cut.exitStatus() == QProcess::CrashExit)
        EXPECT_EQ(outputs(), QStringList{"long_1.mp3"});
    else
        EXPECT_EQ(outputs(), (QStringList{"long_1.mp3", "long_2.mp3"}));
}

// Beyond the file size limit a write fails like one on a full disk, and is
// reported, instead of ending the process (SIGXFSZ) with the file left.
TEST_F(CutSignals, AWriteBeyondTheFileSizeLimitIsReportedAndLeavesNothing)
{
    start("wav", [] {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 1024 * 1024;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    ASSERT_TRUE(cut.waitForFinished(60000));
    EXPECT_EQ(cut.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cut.exitCode(), 1);
    EXPECT_TRUE(cut.readAllStandardError().contains("File too large"));
    EXPECT_TRUE(outputs().isEmpty()) << outputs().join(" ").toStdString();
}
