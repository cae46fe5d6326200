// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/IniFile.h"
#include "support/ChildChecks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct Outcome {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The command line tool on files that would once have hung it or eaten the
// machine's memory: ended after a minute, and refused more than 4 GB.
class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("config"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("out"));
        // 3.5 seconds: two pieces of --every 2.
        testsupport::writeAll(path("good.wav"), testsupport::pcmWav(8000, 1, 28000));
        testsupport::writeAll(path("Vessimo.ini"),
                              "[Output]\nDir=" + QFile::encodeName(path("out")) + "/\n");
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void makeFifo(const QString& name)
    {
        ASSERT_EQ(::mkfifo(QFile::encodeName(path(name)).constData(), 0600), 0) << qPrintable(name);
    }

    Outcome cli(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", path("config"));
        p.setProcessEnvironment(env);
        p.setChildProcessModifier([] {
            if (!testsupport::kSanitized)
                testsupport::limitMemory(rlim_t(4) << 30);
        });
        p.start(VESSIMO_CLI, args);
        Outcome o;
        if (!p.waitForStarted(30000))
            return o;
        o.finished = p.waitForFinished(60000);
        if (!o.finished) {
            p.kill();
            p.waitForFinished(10000);
        }
        o.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        o.out = p.readAllStandardOutput();
        o.err = p.readAllStandardError();
        return o;
    }
    Outcome plan(const QStringList& args)
    {
        return cli(QStringList{"plan", "--settings", path("Vessimo.ini"), "--json"} + args);
    }
    static QJsonObject json(const Outcome& o) { return QJsonDocument::fromJson(o.out).object(); }
    static QStringList listed(const Outcome& o)
    {
        QStringList names;
        for (const QJsonValue& f : json(o)["files"].toArray())
            names << f["name"].toString();
        return names;
    }
    static QStringList refused(const Outcome& o)
    {
        QStringList paths;
        for (const QJsonValue& e : json(o)["errors"].toArray())
            paths << QFileInfo(e["path"].toString()).fileName();
        return paths;
    }

    QTemporaryDir dir;
};

} // namespace

// The tag readers once opened any file before the reader looked at it, and
// opening a FIFO waits for a writer that never comes.
TEST_F(HostileFiles, FifosAndDevicesAreRefusedAtOnceWhereverTheyAreNamed)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("album"));
    for (const char* name :
         {"album/song.mp3", "album/song.ogg", "album/song.wma", "album/song.wav", "album/song.vox"})
        makeFifo(name);
    ASSERT_TRUE(QFile::link("/dev/zero", path("album/zero.mp3")));
    ASSERT_TRUE(QFile::copy(path("good.wav"), path("album/good.wav")));

    for (const char* name : {"song.mp3", "song.ogg", "song.wma", "zero.mp3"}) {
        SCOPED_TRACE(name);
        const Outcome o = plan({path("good.wav"), path(QString("album/") + name)});
        ASSERT_TRUE(o.finished) << "hung";
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_EQ(listed(o), QStringList{"good.wav"});
        EXPECT_EQ(refused(o), QStringList{name});
    }

    const Outcome folder = plan({path("album")});
    ASSERT_TRUE(folder.finished) << "hung";
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(listed(folder), QStringList{"good.wav"});
    QStringList all = refused(folder);
    all.sort();
    EXPECT_EQ(
        all, (QStringList{"song.mp3", "song.ogg", "song.vox", "song.wav", "song.wma", "zero.mp3"}));

    const Outcome cut = cli({"cut", "--settings", path("Vessimo.ini"), "--out", path("out"),
                             "--every", "2", path("album")});
    ASSERT_TRUE(cut.finished) << "hung";
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"good_1.mp3", "good_2.mp3"}));

    for (const char* command : {"probe", "tags"}) {
        const Outcome o = cli({command, path("album/song.mp3"), path("album/zero.mp3")});
        ASSERT_TRUE(o.finished) << command << " hung";
        EXPECT_NE(o.exitCode, 0) << command;
    }
}

// A 445-byte file at 536,878,912 Hz once made the converter allocate 1.6 GB
// per output, and a 41-KB file at 1 Hz an output of 1.7 GB; nine channels
// were listed and then failed every cut.
TEST_F(HostileFiles, AbsurdRatesAndChannelCountsAreRefusedWhenAdded)
{
    testsupport::writeAll(path("slow.wav"), testsupport::pcmWav(1, 2, 10000));
    testsupport::writeAll(path("fast.wav"), testsupport::pcmWav(536878912, 2, 100));
    testsupport::writeAll(path("nine.wav"), testsupport::pcmWav(44100, 9, 44100));
    const Outcome o =
        plan({path("slow.wav"), path("good.wav"), path("fast.wav"), path("nine.wav")});
    ASSERT_TRUE(o.finished);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(listed(o), QStringList{"good.wav"});
    EXPECT_EQ(refused(o), (QStringList{"slow.wav", "fast.wav", "nine.wav"}));

    const Outcome probe = cli({"probe", path("slow.wav"), path("fast.wav"), path("nine.wav")});
    EXPECT_EQ(probe.exitCode, 1);
    EXPECT_TRUE(probe.err.contains("its sample rate of 1 Hz is outside the 1000 to 768000 Hz"))
        << probe.err.toStdString();
    EXPECT_TRUE(probe.err.contains("its sample rate of 536878912 Hz is outside"));
    EXPECT_TRUE(probe.err.contains("it has 9 channels, more than the 8 that can be converted"));
}

// A FIFO as the options file once hung the start, a link to /dev/zero ate
// 8 GB in five seconds, and a 10 MB file was parsed at every key read.
TEST_F(HostileFiles, AnOptionsFileThatIsNoSmallRegularFileGivesTheDefaultsAndSaysSoOnce)
{
    // Where the tool looks without --settings, under this configuration folder.
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
    const QString userIni = IniFile::defaultPath();
    qputenv("XDG_CONFIG_HOME", savedConfig);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(userIni).absolutePath()));

    QByteArray large = "[Function]\nChoice=2\n[Choice]\nCount=3\n";
    large += QByteArray(10 * 1024 * 1024, ';');
    testsupport::writeAll(path("large.ini"), large);
    struct Case {
        QString what;
        std::function<void()> make;
        QStringList settings;
        QString ini;
        QString cause;
    };
    const QList<Case> cases{
        {"FIFO",
         [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(userIni).constData(), 0600), 0); },
         {},
         userIni,
         "it is not a regular file"},
        {"link to /dev/zero",
         [&] { ASSERT_TRUE(QFile::link("/dev/zero", userIni)); },
         {},
         userIni,
         "it is not a regular file"},
        {"10 MB",
         [] {},
         {"--settings", path("large.ini")},
         path("large.ini"),
         "it is larger than 1 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        QFile::remove(userIni);
        c.make();
        const Outcome o =
            cli(QStringList{"plan", "--json"} + c.settings + QStringList{path("good.wav")});
        ASSERT_TRUE(o.finished) << "hung";
        EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
        const QByteArray said = "The options file " + QFile::encodeName(c.ini) +
                                " is not read: " + c.cause.toUtf8() + ". The defaults are used.";
        EXPECT_EQ(o.err.count(said), 1) << o.err.toStdString();
        // The defaults: the whole file as one piece.
        const QJsonArray segments = json(o)["files"].toArray()[0].toObject()["pieces"].toArray();
        EXPECT_EQ(segments.size(), 1);
    }
    EXPECT_EQ(testsupport::readAll(path("large.ini")), large);
}
