// SPDX-License-Identifier: GPL-3.0-or-later
// The batch contract of vessimo-cli cut, run as processes the way a batch
// system runs them: shards at once equal one run, and a shard killed midway
// resumes from its manifest without duplicates or partial files.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <memory>

using testsupport::ffmpeg;
using testsupport::run;

namespace {

class Batch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        testsupport::writeAll(path("Vessimo.ini"), "");
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    // A tone source in a folder of its own.
    QString source(const QString& folder, const QString& name, int seconds, int frequency)
    {
        QDir(dir.path()).mkpath(folder);
        const QString file = path(folder + "/" + name);
        ffmpeg({"-f", "lavfi", "-i",
                QStringLiteral("sine=frequency=%1:duration=%2").arg(frequency).arg(seconds), "-ac",
                "2", "-metadata", "artist=Band", file});
        return file;
    }
    QStringList cutArgs(const QString& out, const QStringList& more) const
    {
        QDir(dir.path()).mkpath(out);
        return QStringList{"cut", "--settings", path("Vessimo.ini"), "--out", path(out)} + more;
    }
    // Every file of a folder, hidden ones too, by name with its bytes' hash.
    std::map<QString, QByteArray> contents(const QString& folder) const
    {
        std::map<QString, QByteArray> files;
        const QDir d(path(folder));
        for (const QString& name : d.entryList(QDir::Files | QDir::Hidden | QDir::System))
            files[name] = QCryptographicHash::hash(testsupport::readAll(d.filePath(name)),
                                                   QCryptographicHash::Sha256)
                              .toHex();
        return files;
    }
    // The manifest's lines, each checked to be one JSON object.
    QVector<QJsonObject> manifest(const QString& name) const
    {
        QVector<QJsonObject> lines;
        for (const QByteArray& line : testsupport::readAll(path(name)).split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonDocument doc = QJsonDocument::fromJson(line);
            EXPECT_TRUE(doc.isObject()) << line.toStdString();
            lines << doc.object();
        }
        return lines;
    }
    static QStringList shardArg(int k, int n)
    {
        return {"--shard", QStringLiteral("%1/%2").arg(k).arg(n)};
    }

    QTemporaryDir dir;
};

TEST_F(Batch, ShardsRunAtOnceWriteTheFilesOfOneRun)
{
    // Three sources share the caption "song", so their pieces make one series
    // of numbered names; which shard takes which number depends on the whole
    // list only.
    const QStringList sources{source("a", "song.wav", 3, 300), source("b", "song.mp3", 4, 400),
                              source("c", "song.ogg", 6, 500), source("d", "other.wav", 3, 600),
                              source("e", "song.wav", 5, 700)};
    const QStringList plan{"--pieces", "3", "--format", "mp3"};
    const auto single = run(VESSIMO_CLI, cutArgs("one", plan + sources));
    ASSERT_EQ(single.exitCode, 0) << single.err.toStdString();
    const auto expected = contents("one");
    ASSERT_EQ(expected.size(), 15u);

    for (int n : {2, 3, 7}) {
        const QString out = QStringLiteral("shards%1").arg(n);
        const QString shared = out + ".jsonl";
        std::vector<std::unique_ptr<QProcess>> shards;
        for (int k = 1; k <= n; ++k) {
            auto p = std::make_unique<QProcess>();
            p->start(VESSIMO_CLI,
                     cutArgs(out, plan + shardArg(k, n) + QStringList{"--manifest", path(shared)} +
                                      sources));
            shards.push_back(std::move(p));
        }
        for (auto& p : shards) {
            ASSERT_TRUE(p->waitForFinished(-1));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        }
        EXPECT_EQ(contents(out), expected) << n << " shards";
        // One line per output, each naming what is there.
        const QVector<QJsonObject> lines = manifest(shared);
        EXPECT_EQ(lines.size(), 15) << n << " shards";
        for (const QJsonObject& line : lines) {
            const QString output = line["output"].toString();
            EXPECT_EQ(line["sha256"].toString().toLatin1(),
                      expected.at(QFileInfo(output).fileName()));
            EXPECT_EQ(line["size"].toInteger(), QFileInfo(output).size());
            EXPECT_TRUE(sources.contains(line["source"].toString()));
            EXPECT_LT(line["beginFrame"].toInteger(), line["endFrame"].toInteger());
            EXPECT_LT(line["begin"].toDouble(), line["end"].toDouble());
        }
    }
}

TEST_F(Batch, AKilledShardResumesFromItsManifestWithoutDuplicatesOrPartialFiles)
{
    const QStringList sources{source("a", "long.wav", 90, 300), source("b", "long.wav", 90, 400)};
    const QStringList plan{"--every", "1", "--format", "mp3", "--jobs", "1"};
    const auto single = run(VESSIMO_CLI, cutArgs("one", plan + sources));
    ASSERT_EQ(single.exitCode, 0) << single.err.toStdString();
    const auto expected = contents("one");

    const QStringList args = cutArgs(
        "batch", plan + shardArg(1, 1) + QStringList{"--manifest", path("m.jsonl")} + sources);
    QProcess first;
    first.start(VESSIMO_CLI, args);
    ASSERT_TRUE(first.waitForStarted());
    // Killed once it has put a few pieces in place.
    while (testsupport::readAll(path("m.jsonl")).count('\n') < 5)
        ASSERT_FALSE(first.waitForFinished(20)) << "the run ended before it could be killed";
    first.kill();
    ASSERT_TRUE(first.waitForFinished(-1));
    ASSERT_EQ(first.exitStatus(), QProcess::CrashExit);

    // Under their final names there are only complete pieces, each recorded.
    const auto before = contents("batch");
    const QVector<QJsonObject> recorded = manifest("m.jsonl");
    int finals = 0;
    for (const auto& [name, hash] : before) {
        if (name.startsWith('.'))
            continue;
        ++finals;
        ASSERT_TRUE(expected.count(name)) << name.toStdString();
        EXPECT_EQ(hash, expected.at(name)) << name.toStdString();
    }
    EXPECT_GE(recorded.size(), finals);
    EXPECT_LT(finals, int(expected.size()));

    const auto second = run(VESSIMO_CLI, args);
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    // Nothing hidden is left, nothing is there twice, every byte is the
    // single run's; the pieces put in place before the kill were kept.
    EXPECT_EQ(contents("batch"), expected);
    const QVector<QJsonObject> lines = manifest("m.jsonl");
    QStringList outputs;
    for (const QJsonObject& line : lines)
        outputs << QFileInfo(line["output"].toString()).fileName();
    outputs.sort();
    QStringList names;
    for (const auto& [name, hash] : expected)
        names << name;
    names.sort();
    EXPECT_EQ(outputs, names);
    // A third run finds everything in place and cuts nothing.
    const auto third = run(VESSIMO_CLI, args);
    EXPECT_EQ(third.exitCode, 0) << third.err.toStdString();
    EXPECT_EQ(manifest("m.jsonl").size(), lines.size());
    EXPECT_EQ(QString::fromUtf8(third.out).split('\n', Qt::SkipEmptyParts).size(), names.size());
}

TEST_F(Batch, FilesOfOthersAreNeverReplacedAndBadSharesAreUsageErrors)
{
    const QString song = source("a", "song.wav", 2, 300);
    QDir(dir.path()).mkpath("out");
    testsupport::writeAll(path("out/song.mp3"), "not ours");
    const auto r = run(VESSIMO_CLI, cutArgs("out", {"--manifest", path("m.jsonl"), song}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("not replaced")) << r.err.toStdString();
    EXPECT_EQ(testsupport::readAll(path("out/song.mp3")), "not ours");
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A recorded piece whose file was changed afterwards is not cut again
    // over the change.
    ASSERT_EQ(run(VESSIMO_CLI, cutArgs("own", {"--manifest", path("own.jsonl"), song})).exitCode,
              0);
    testsupport::writeAll(path("own/song.mp3"), "edited");
    const auto again = run(VESSIMO_CLI, cutArgs("own", {"--manifest", path("own.jsonl"), song}));
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("not what the manifest records")) << again.err.toStdString();
    EXPECT_EQ(testsupport::readAll(path("own/song.mp3")), "edited");

    for (const char* bad : {"0/3", "4/3", "1/0", "3", "a/b", "-1/2"}) {
        const auto u = run(VESSIMO_CLI, cutArgs("out", {"--shard", bad, song}));
        EXPECT_EQ(u.exitCode, 2) << bad;
        EXPECT_TRUE(u.err.contains("K/N")) << bad << u.err.toStdString();
    }
}

} // namespace
