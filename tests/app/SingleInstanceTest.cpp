// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"
#include "base/IniFile.h"
#include "support/ChildChecks.h"
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstring>
#include <future>
#include <poll.h>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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
    QString channelFile() const { return QDir(runtime.path()).filePath("Vessimo V1.00.socket"); }
    // The options file the program uses under the test's configuration folder.
    QString optionsFile() const
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString path = IniFile::defaultPath();
        qputenv("XDG_CONFIG_HOME", saved);
        return path;
    }

    // Until the program takes files from later starts: its window is up and
    // it handles end signals by then.
    ::testing::AssertionResult waitForChannel()
    {
        return testsupport::waitFor([&] { return QFile::exists(channelFile()); },
                                    "the program's hand-over channel");
    }

    // Until the program holds the lock (it takes it first thing).
    ::testing::AssertionResult waitForLock()
    {
        return testsupport::waitFor([&] { return QFile::exists(lockFile()); },
                                    "the program's lock");
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
    ASSERT_TRUE(waitForLock());

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
    ASSERT_TRUE(waitForLock());

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
    ASSERT_TRUE(waitForLock());
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

// A logout or a kill closes the window as the user would: the options are
// saved and the program ends normally.
TEST_F(ProgramTest, SigtermClosesTheWindowCleanly)
{
    QProcess* p = launch();
    ASSERT_TRUE(p->waitForStarted(5000));
    ASSERT_TRUE(waitForChannel());
    ::kill(static_cast<pid_t>(p->processId()), SIGTERM);
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << "ended by the signal itself";
    EXPECT_EQ(p->exitCode(), 0);
    EXPECT_TRUE(testsupport::readAll(optionsFile()).startsWith("[Function]\nChoice=0\n"));
}

// Reading an options file that is a FIFO once waited for ever before the
// window showed.
TEST_F(ProgramTest, AnOptionsFileThatIsAFifoDoesNotHangTheStart)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(optionsFile()).absolutePath()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(optionsFile()).constData(), 0600), 0);
    QProcess* p = launch();
    ASSERT_TRUE(p->waitForStarted(5000));
    const QByteArray said = "The options file " + QFile::encodeName(optionsFile()) +
                            " is not read: it is not a regular file. The defaults are used.";
    QByteArray err;
    for (int waited = 0; waited < 30000 && !err.contains(said); waited += 100) {
        p->waitForReadyRead(100);
        err += p->readAllStandardError();
    }
    EXPECT_TRUE(err.contains(said)) << err.toStdString();
    EXPECT_TRUE(waitForChannel()) << "the window never came up";
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
        EXPECT_TRUE(testsupport::waitFor(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            "the hand-over"));
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
    EXPECT_EQ(SingleInstance::filesFromArguments({"--reverse", "-style", "windows", "x.wav"}, "/w"),
              QStringList({"/w/x.wav"}))
        << "options are not files";
    EXPECT_EQ(SingleInstance::filesFromArguments({"--", "-dash.wav", "--"}, "/w"),
              QStringList({"/w/-dash.wav", "/w/--"}))
        << "after --, every argument is a file";
    // A later start reads Qt's options before Qt has taken them out: their
    // values are no files either, with one dash or two; "-reverse" takes none.
    EXPECT_EQ(SingleInstance::filesFromArguments(
                  {"-style", "fusion", "song.mp3", "--platform", "xcb", "-reverse", "b.ogg",
                   "-stylesheet", "my.qss", "-qwindowtitle", "T", "-style=fusion", "c.wav"},
                  "/w"),
              QStringList({"/w/song.mp3", "/w/b.ogg", "/w/c.wav"}));
    EXPECT_TRUE(SingleInstance::filesFromArguments({}, "/w").isEmpty());
}

namespace {

// Environment variables set for one test and put back after it.
class ScopedEnvironment {
public:
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            if (it.value().isNull())
                qunsetenv(it.key().constData());
            else
                qputenv(it.key().constData(), it.value());
        }
    }
    void set(const char* name, const QString& value)
    {
        remember(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }

private:
    void remember(const char* name)
    {
        if (!m_saved.contains(name))
            m_saved.insert(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    }
    QMap<QByteArray, QByteArray> m_saved;
};

struct stat statOf(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

void giveAway(const QString& path)
{
    ASSERT_EQ(
        ::chown(QFile::encodeName(path).constData(), testsupport::kNobody, testsupport::kNoGroup),
        0);
}

QString cacheRuntime(const QString& cache)
{
    return cache + "/vessimo/runtime-" + QSysInfo::machineHostName();
}

} // namespace

// Another user can take any name in the shared temporary folder before this
// user does, and from there hold the lock or receive every file handed over.
TEST(SingleInstanceTest, TheLockStaysOutOfSharedAndForeignFolders)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give folders to another user";
    ScopedEnvironment env;
    QTemporaryDir shared;
    QTemporaryDir cache;
    QTemporaryDir foreign;
    QTemporaryDir open;
    ::chmod(QFile::encodeName(shared.path()).constData(), 01777);
    // The per-user folder Qt falls back to, taken by another user first.
    const QString taken = shared.filePath(QString("runtime-") + ::getpwuid(::geteuid())->pw_name);
    ASSERT_TRUE(QDir().mkdir(taken));
    ::chmod(QFile::encodeName(taken).constData(), 0700);
    giveAway(taken);
    ::chmod(QFile::encodeName(foreign.path()).constData(), 0700);
    giveAway(foreign.path());
    ::chmod(QFile::encodeName(open.path()).constData(), 0755);
    env.set("TMPDIR", shared.path());
    env.set("XDG_CACHE_HOME", cache.path());

    const QString expected = cacheRuntime(cache.path());
    for (const QString& runtime : {QString(), foreign.path(), open.path()}) {
        SCOPED_TRACE(runtime.isNull() ? "no runtime folder" : runtime.toStdString());
        env.set("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(SingleInstance::lockPath("Vessimo test"), expected + "/Vessimo test.lock");
        EXPECT_EQ(SingleInstance::channelPath("Vessimo test"), expected + "/Vessimo test.socket");
        SingleInstance first("Vessimo test");
        SingleInstance second("Vessimo test");
        EXPECT_TRUE(first.acquire());
        EXPECT_FALSE(second.acquire());
    }
    const struct stat made = statOf(expected);
    EXPECT_EQ(made.st_uid, ::geteuid());
    EXPECT_EQ(made.st_mode & 07777, 0700u);
    EXPECT_EQ(QDir(shared.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QFileInfo(taken).fileName()})
        << "nothing goes to the shared folder";
}

TEST(SingleInstanceTest, WithoutAPrivateFolderTheProgramRunsAloneAndSaysWhy)
{
    ScopedEnvironment env;
    QTemporaryDir home;
    env.set("XDG_RUNTIME_DIR", QString());
    env.set("TMPDIR", home.path());
    // A cache folder that cannot hold one: a file stands in its way; or,
    // for root, a folder of that name that belongs to another user.
    testsupport::writeAll(home.filePath("file"), "");
    QStringList caches{home.filePath("file/cache")};
    if (::geteuid() == 0) {
        const QString cache = home.filePath("cache");
        ASSERT_TRUE(QDir().mkpath(cacheRuntime(cache)));
        ::chmod(QFile::encodeName(cacheRuntime(cache)).constData(), 0700);
        giveAway(cacheRuntime(cache));
        caches << cache;
    }
    for (const QString& cache : caches) {
        SCOPED_TRACE(cache.toStdString());
        env.set("XDG_CACHE_HOME", cache);
        EXPECT_TRUE(SingleInstance::lockPath("Vessimo test").isEmpty());
        SingleInstance alone("Vessimo test");
        EXPECT_TRUE(alone.acquire());
        EXPECT_FALSE(alone.listen());
        EXPECT_TRUE(alone.errorString().startsWith(
            "no private folder for the lock: " + cacheRuntime(cache) + ": "))
            << alone.errorString().toStdString();
        EXPECT_TRUE(alone.errorString().endsWith("another Vessimo may start beside this one"));
        EXPECT_FALSE(SingleInstance::handOver("Vessimo test", {"/music/a.wav"}, 5000));
    }
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (::geteuid() == 0 ? QStringList{"cache", "file"} : QStringList{"file"}));
}

TEST_F(ProgramTest, WithoutAPrivateFolderTheWindowStillOpensAndSaysWhy)
{
    QTemporaryDir home;
    testsupport::writeAll(home.filePath("file"), "");
    QProcess* p = new QProcess;
    started << p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("XDG_RUNTIME_DIR");
    env.insert("XDG_CACHE_HOME", home.filePath("file/cache"));
    env.insert("XDG_CONFIG_HOME", config.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VESSIMO_PRINT_FILES", "1");
    p->setProcessEnvironment(env);
    p->start(program);
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitCode(), 0);
    EXPECT_TRUE(p->readAllStandardError().contains(
        "vessimo: later starts cannot hand files to this one: no private folder for the lock"));
    EXPECT_TRUE(QFile::exists(optionsFile())) << "the window opened and closed";
}

namespace {

QByteArray handOverMessage(const QStringList& paths)
{
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << paths;
    return message;
}

sockaddr_un socketAddress(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(),
                std::min<size_t>(size_t(native.size()), sizeof address.sun_path - 1));
    return address;
}

// Lets the event loop serve while the child runs; its exit status.
int serveUntilDone(pid_t child)
{
    int status = 0;
    EXPECT_TRUE(testsupport::waitFor([&] { return ::waitpid(child, &status, WNOHANG) != 0; },
                                     "the child to end"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

} // namespace

TEST_F(HandOverTest, TheRunningInstanceTakesNothingFromAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can connect as another user";
    SingleInstance running(title);
    ASSERT_TRUE(running.acquire());
    ASSERT_TRUE(running.listen());
    QSignalSpy received(&running, &SingleInstance::filesHandedOver);
    const QByteArray message = handOverMessage({"/music/planted.mp3"});
    const sockaddr_un address = socketAddress(SingleInstance::channelPath(title));

    const pid_t child = ::fork();
    if (child == 0) {
        // Another user that the socket's permissions do not stop: "nobody"
        // as seen by the other end, with root's access to files.
        if (::setresuid(0, testsupport::kNobody, 0) != 0)
            ::_exit(3);
        ::setfsuid(0);
        if (::setfsuid(0) != 0)
            ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            ::_exit(4);
        if (::write(fd, message.constData(), size_t(message.size())) != message.size())
            ::_exit(0); // already refused
        pollfd answer{fd, POLLIN, 0};
        if (::poll(&answer, 1, 20000) != 1)
            ::_exit(5);
        char buffer[16];
        ::_exit(::read(fd, buffer, sizeof buffer) > 0 ? 1 : 0);
    }
    ASSERT_GT(child, 0);
    EXPECT_EQ(serveUntilDone(child), 0) << "1: the instance answered another user";
    EXPECT_TRUE(received.isEmpty());
}

TEST_F(HandOverTest, PathsGoToNoInstanceOfAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can listen as another user in its folder";
    const sockaddr_un address = socketAddress(SingleInstance::channelPath(title));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // The socket is made as root in the private folder; the listening
        // end is "nobody".
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::setresuid(testsupport::kNobody, testsupport::kNobody, testsupport::kNobody) != 0 ||
            ::listen(fd, 4) != 0)
            ::_exit(3);
        if (::write(ready[1], "1", 1) != 1)
            ::_exit(3);
        pollfd incoming{fd, POLLIN, 0};
        if (::poll(&incoming, 1, 20000) != 1)
            ::_exit(4);
        const int peer = ::accept(fd, nullptr, nullptr);
        pollfd paths{peer, POLLIN, 0};
        char buffer[64];
        if (::poll(&paths, 1, 20000) != 1)
            ::_exit(5);
        ::_exit(::read(peer, buffer, sizeof buffer) > 0 ? 1 : 0);
    }
    ASSERT_GT(child, 0);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_FALSE(SingleInstance::handOver(title, {"/music/secret.mp3"}, 3000));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the paths went to another user";
    ::close(ready[0]);
    ::close(ready[1]);
}
