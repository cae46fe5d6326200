#include "app/SingleInstance.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <future>

namespace {

// Runs the real program with a private runtime and configuration folder on
// the offscreen platform.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        program = testsupport::binaryDir() + "/vessimo";
        ASSERT_TRUE(QFile::exists(program)) << qPrintable(program);
    }

    void TearDown() override
    {
        for (QProcess* p : started) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
    }

    QProcess* launch() { return launch(program); }

    QProcess* launch(const QString& path, const QStringList& arguments = {},
                     const QString& workingDir = {})
    {
        auto* p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p->setProcessEnvironment(env);
        if (!workingDir.isEmpty())
            p->setWorkingDirectory(workingDir);
        p->start(path, arguments);
        started << p;
        return p;
    }

    QString lockFile() const { return QDir(runtime.path()).filePath("Vessimo V1.00.lock"); }

    // Until the program holds the lock (it takes it first thing).
    bool waitForLock(int ms)
    {
        for (int waited = 0; waited < ms; waited += 50) {
            if (QFile::exists(lockFile()))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    QTemporaryDir runtime;
    QTemporaryDir config;
    QString program;
    QList<QProcess*> started;
};

} // namespace

TEST_F(ProgramTest, ASecondStartEndsAtOnceAndTheFirstKeepsRunning)
{
    QProcess* first = launch();
    ASSERT_TRUE(first->waitForStarted(5000));
    ASSERT_TRUE(waitForLock(5000));

    QProcess* second = launch();
    ASSERT_TRUE(second->waitForFinished(5000)) << "the second start must end by itself";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardOutput().isEmpty());

    EXPECT_FALSE(first->waitForFinished(500));
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(ProgramTest, ASecondStartWithFilesHandsThemOverAndEndsWithZero)
{
    QProcess* first = launch();
    ASSERT_TRUE(first->waitForStarted(5000));
    ASSERT_TRUE(waitForLock(5000));

    QTemporaryDir work;
    testsupport::writeAll(work.filePath("take.wav"), "not checked by the hand-over");
    QProcess* second = launch(program, {"take.wav"}, work.path());
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().constData();
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(ProgramTest, TheLockOfACrashedInstanceDoesNotBlock)
{
    QProcess* crashed = launch();
    ASSERT_TRUE(crashed->waitForStarted(5000));
    ASSERT_TRUE(waitForLock(5000));
    ::kill(static_cast<pid_t>(crashed->processId()), SIGKILL);
    ASSERT_TRUE(crashed->waitForFinished(5000));
    ASSERT_TRUE(QFile::exists(lockFile())) << "a killed process leaves its lock behind";

    QProcess* next = launch();
    ASSERT_TRUE(next->waitForStarted(5000));
    EXPECT_FALSE(next->waitForFinished(1500)) << "the stale lock must be taken over";
    EXPECT_EQ(next->state(), QProcess::Running);
}

TEST_F(ProgramTest, InstalledProgramFindsItsDataAndAMissingSkinOnlyWarns)
{
    QTemporaryDir prefix;
    const testsupport::ProcessResult install = testsupport::run(
        VESSIMO_CMAKE, {"--install", testsupport::binaryDir(), "--prefix", prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.err.constData();
    for (const char* file :
         {"bin/vessimo", "share/vessimo/mp3enc.dll", "share/vessimo/help/index.html",
          "share/applications/io.github.vessimo.Vessimo.desktop",
          "share/icons/hicolor/scalable/apps/io.github.vessimo.Vessimo.svg"})
        EXPECT_TRUE(QFile::exists(prefix.filePath(file))) << file;

    QProcess* installed = launch(prefix.filePath("bin/vessimo"));
    ASSERT_TRUE(installed->waitForStarted(5000));
    EXPECT_FALSE(installed->waitForFinished(1500));
    installed->kill();
    installed->waitForFinished(5000);
    EXPECT_FALSE(installed->readAllStandardError().contains("skin:"));

    // Without its data folder the program still opens and says why the panel is bare.
    QTemporaryDir lone;
    ASSERT_TRUE(QFile::copy(program, lone.filePath("vessimo")));
    QProcess* bare = launch(lone.filePath("vessimo"));
    ASSERT_TRUE(bare->waitForStarted(5000));
    EXPECT_FALSE(bare->waitForFinished(1500));
    bare->kill();
    bare->waitForFinished(5000);
    EXPECT_TRUE(bare->readAllStandardError().contains("skin: cannot open"));
}

TEST(SingleInstanceTest, OneHolderPerTitle)
{
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        SingleInstance first("Vessimo test");
        SingleInstance second("Vessimo test");
        SingleInstance other("Another title");
        EXPECT_TRUE(first.acquire());
        EXPECT_FALSE(second.acquire());
        EXPECT_TRUE(other.acquire());
        EXPECT_EQ(SingleInstance::lockPath("Vessimo test"),
                  QDir(runtime.path()).filePath("Vessimo test.lock"));
    }
    SingleInstance after("Vessimo test");
    EXPECT_TRUE(after.acquire()) << "the lock goes with its holder";
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(SingleInstanceTest, LocksQtCannotJudgeAreTakenOverUnlessTheirHolderLives)
{
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString lock = SingleInstance::lockPath("Vessimo test");

    // Left empty by a crash while it was being written.
    testsupport::writeAll(lock, "");
    {
        SingleInstance next("Vessimo test");
        EXPECT_TRUE(next.acquire());
    }
    // Written under another host name, with a process number that means nothing here.
    testsupport::writeAll(lock, "999999\nvessimo\nsome-other-host\n");
    {
        SingleInstance next("Vessimo test");
        EXPECT_TRUE(next.acquire());
        // Its own live lock, even when its content is garbled, stays with it.
        testsupport::writeAll(lock, "garbled");
        SingleInstance second("Vessimo test");
        EXPECT_FALSE(second.acquire());
        EXPECT_TRUE(QFile::exists(lock));
    }
    qputenv("XDG_RUNTIME_DIR", saved);
}

namespace {

// A private runtime folder for the lock and the channel.
class HandOverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved); }

    // Hands over from another thread, as another process would, while this
    // thread's event loop serves the channel.
    bool handOverFromElsewhere(const QStringList& paths, int timeoutMs = 5000)
    {
        auto result = std::async(std::launch::async,
                                 [&] { return SingleInstance::handOver(title, paths, timeoutMs); });
        while (result.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
            QTest::qWait(10);
        return result.get();
    }

    QTemporaryDir runtime;
    QByteArray saved;
    const QString title = "Vessimo hand-over test";
};

} // namespace

TEST_F(HandOverTest, TheRunningInstanceReceivesThePathsInTheirOrder)
{
    SingleInstance running(title);
    ASSERT_TRUE(running.acquire());
    ASSERT_TRUE(running.listen());
    QSignalSpy received(&running, &SingleInstance::filesHandedOver);

    // Any character a file name may hold, a line break included.
    const QStringList first{"/music/b side.mp3", "/music/a\nline.wav", "/музыка/ünï.ogg"};
    EXPECT_TRUE(handOverFromElsewhere(first));
    const QStringList second{"/music/next.wav"};
    EXPECT_TRUE(handOverFromElsewhere(second));

    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0][0].toStringList(), first);
    EXPECT_EQ(received[1][0].toStringList(), second);
}

TEST_F(HandOverTest, NobodyToTakeThemIsAFailureNotAHang)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(SingleInstance::handOver(title, {"/music/a.wav"}, 300));
    EXPECT_LT(clock.elapsed(), 3000);

    // A holder that does not listen (still starting, or hung) takes nothing either.
    SingleInstance silent(title);
    ASSERT_TRUE(silent.acquire());
    EXPECT_FALSE(handOverFromElsewhere({"/music/a.wav"}, 300));
}

TEST_F(HandOverTest, TheChannelOfACrashedInstanceIsReplaced)
{
    testsupport::writeAll(SingleInstance::channelPath(title), "left by a crash");
    SingleInstance running(title);
    ASSERT_TRUE(running.acquire());
    ASSERT_TRUE(running.listen());
    QSignalSpy received(&running, &SingleInstance::filesHandedOver);
    EXPECT_TRUE(handOverFromElsewhere({"/music/a.wav"}));
    EXPECT_EQ(received.size(), 1);
    EXPECT_EQ(SingleInstance::channelPath(title),
              QDir(runtime.path()).filePath("Vessimo hand-over test.socket"));
}

TEST(SingleInstanceTest, FilesFromTheCommandLineAreAbsoluteAndInOrder)
{
    EXPECT_EQ(SingleInstance::filesFromArguments({"b.mp3", "/abs/a.wav", "../up/c.ogg"},
                                                 "/home/me/music"),
              QStringList({"/home/me/music/b.mp3", "/abs/a.wav", "/home/me/up/c.ogg"}));
    EXPECT_EQ(SingleInstance::filesFromArguments({"-style", "--reverse", "x.wav"}, "/w"),
              QStringList({"/w/x.wav"}))
        << "options are not files";
    EXPECT_EQ(SingleInstance::filesFromArguments({"--", "-dash.wav", "--"}, "/w"),
              QStringList({"/w/-dash.wav", "/w/--"}))
        << "after --, every argument is a file";
    EXPECT_TRUE(SingleInstance::filesFromArguments({}, "/w").isEmpty());
}
