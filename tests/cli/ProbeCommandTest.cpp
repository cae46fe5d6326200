// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using testsupport::makeAudio;
using testsupport::run;

namespace {

class ProbeCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        makeAudio(path("tone.wav"), {.seconds = 1.5, .rate = 22050, .hz = 500});
        makeAudio(path("tone.mp3"), {.seconds = 2, .channels = 2, .hz = 500}, {"-b:a", "128k"});
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    static testsupport::ProcessResult probe(const QStringList& args)
    {
        return run(VESSIMO_CLI, QStringList{"probe"} + args);
    }

    QTemporaryDir dir;
};

TEST_F(ProbeCommand, JsonListsEveryFileAndGivesTheReadersErrorForTheBadOne)
{
    const auto r = probe({"--json", path("tone.wav"), path("missing.ogg"), path("tone.mp3")});
    EXPECT_EQ(r.exitCode, 1);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    const QJsonArray files = doc["files"].toArray();
    ASSERT_EQ(files.size(), 2);

    const QJsonObject wav = files[0].toObject();
    EXPECT_EQ(wav.keys(), (QStringList{"channels", "format", "frames", "path", "rate", "seconds"}));
    EXPECT_EQ(wav["path"].toString(), path("tone.wav"));
    EXPECT_EQ(wav["format"].toString(), "wav");
    EXPECT_EQ(wav["rate"].toInt(), 22050);
    EXPECT_EQ(wav["channels"].toInt(), 1);
    EXPECT_EQ(wav["frames"].toInteger(), 33075);
    EXPECT_EQ(wav["seconds"].toDouble(), 1.5);

    const QJsonArray errors = doc["errors"].toArray();
    ASSERT_EQ(errors.size(), 1);
    const QJsonObject missing = errors[0].toObject();
    EXPECT_EQ(missing.keys(), (QStringList{"message", "path"}));
    EXPECT_EQ(missing["path"].toString(), path("missing.ogg"));
    EXPECT_EQ(missing["message"].toString(), "no such file");

    const QJsonObject mp3 = files[1].toObject();
    EXPECT_EQ(mp3["format"].toString(), "mp3");
    EXPECT_EQ(mp3["rate"].toInt(), 44100);
    EXPECT_EQ(mp3["channels"].toInt(), 2);
    EXPECT_EQ(mp3["frames"].toInteger(), 88200); // the LAME tag cuts delay and padding
    EXPECT_EQ(mp3["seconds"].toDouble(), 2.0);
}

TEST_F(ProbeCommand, TextGivesOneLinePerFileAndSucceedsWhenAllAreRead)
{
    const auto r = probe({path("tone.wav"), path("tone.mp3")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out),
              path("tone.wav") + ": wav, 22050 Hz, 1 channels, 33075 frames, 1500 ms\n" +
                  path("tone.mp3") + ": mp3, 44100 Hz, 2 channels, 88200 frames, 2000 ms\n");
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(ProbeCommand, TextReportsAnUnreadableFileOnTheErrorStream)
{
    testsupport::writeAll(path("notes.mp3"), "not audio at all\n");
    const auto r = probe({path("notes.mp3"), path("tone.wav")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains("tone.wav: wav"));
    EXPECT_EQ(QString::fromUtf8(r.err),
              "vessimo-cli probe: " + path("notes.mp3") + ": not an audio file\n");
}

TEST_F(ProbeCommand, WithoutFilesPrintsUsage)
{
    const auto r = probe({"--json"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("usage"));
}

} // namespace
