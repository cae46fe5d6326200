// SPDX-License-Identifier: GPL-3.0-or-later
// The cut's options for what its pieces are, run as the installed tool is:
// encoder values read back by ffprobe and mutagen, name templates, tags.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using testsupport::ffmpeg;
using testsupport::run;

namespace {

class CutOutputOptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir("out");
        ffmpeg({"-f", "lavfi", "-i", "sine=frequency=500:sample_rate=44100:duration=3", "-ac", "2",
                "-c:a", "pcm_s16le", path("tone.wav")});
        testsupport::writeAll(path("Vessimo.ini"), "[Output]\nDir=" + path("out").toUtf8() + "/\n");
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString out(const QString& name) const { return dir.filePath("out/" + name); }
    QStringList outputs() const
    {
        return QDir(path("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    testsupport::ProcessResult cut(const QStringList& args)
    {
        return run(VESSIMO_CLI,
                   QStringList{"cut", "--settings", path("Vessimo.ini"), "--out", path("out")} +
                       args);
    }
    // ffprobe's value of one stream entry of the first audio stream.
    static QString probe(const QString& file, const QString& entry)
    {
        const auto r = run("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                       "stream=" + entry, "-of", "default=nw=1:nk=1", file});
        return QString::fromUtf8(r.out).trimmed();
    }

    QTemporaryDir dir;
};

TEST_F(CutOutputOptions, EveryEncoderOptionIsWhatTheFileHolds)
{
    const struct {
        const char* format;
        QStringList options;
        const char* file;
        std::map<QString, QString> probed;
    } cases[] = {
        {"mp3",
         {"--bitrate", "64", "--rate", "22050", "--channels", "1"},
         "a.mp3",
         {{"bit_rate", "64000"}, {"sample_rate", "22050"}, {"channels", "1"}}},
        {"mp3",
         {"--bitrate", "320", "--channels", "source"},
         "b.mp3",
         {{"bit_rate", "320000"}, {"sample_rate", "44100"}, {"channels", "2"}}},
        {"ogg",
         {"--rate", "22050", "--channels", "1", "--bitrate", "48"},
         "c.ogg",
         {{"sample_rate", "22050"}, {"channels", "1"}, {"bit_rate", "48000"}}},
        {"wav",
         {"--bits", "24", "--rate", "48000"},
         "d.wav",
         {{"bits_per_sample", "24"}, {"sample_rate", "48000"}, {"codec_name", "pcm_s24le"}}},
        {"wav",
         {"--bits", "8", "--channels", "1", "--rate", "source"},
         "e.wav",
         {{"codec_name", "pcm_u8"}, {"channels", "1"}, {"sample_rate", "44100"}}},
        {"wav", {"--bits", "32"}, "f.wav", {{"codec_name", "pcm_s32le"}}},
        {"wma",
         {"--bitrate", "48", "--channels", "1"},
         "g.wma",
         {{"sample_rate", "44100"}, {"channels", "1"}}},
    };
    for (const auto& c : cases) {
        const auto r = cut(QStringList{"--format", c.format, "--name",
                                       QString(c.file).section('.', 0, 0) + "{n}"} +
                           c.options + QStringList{path("tone.wav")});
        ASSERT_EQ(r.exitCode, 0) << c.file << r.err.toStdString();
        const QString file =
            out(QString(c.file).section('.', 0, 0) + "1." + QString(c.file).section('.', 1));
        for (const auto& [entry, value] : c.probed)
            EXPECT_EQ(probe(file, entry), value) << c.file << " " << entry.toStdString();
    }

    // A variable bitrate of quality 0 is what LAME's header says; Ogg's
    // quality orders the nominal bitrates.
    ASSERT_EQ(cut({"--vbr-quality", "0", "--name", "v{n}", path("tone.wav")}).exitCode, 0);
    const QString vbr = QString::fromUtf8(run("mutagen-inspect", {out("v1.mp3")}).out);
    EXPECT_TRUE(vbr.contains("VBR") && vbr.contains("-V 0")) << vbr.toStdString();
    ASSERT_EQ(
        cut({"--format", "ogg", "--quality", "-1", "--name", "low{n}", path("tone.wav")}).exitCode,
        0);
    ASSERT_EQ(
        cut({"--format", "ogg", "--quality", "10", "--name", "high{n}", path("tone.wav")}).exitCode,
        0);
    EXPECT_LT(probe(out("low1.ogg"), "bit_rate").toInt() * 4,
              probe(out("high1.ogg"), "bit_rate").toInt());
}

TEST_F(CutOutputOptions, UnknownValuesAndCombinationsAreUsageErrorsNamingWhatIsAccepted)
{
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"--bitrate", "100"}, "128"},
        {{"--bitrate", "64", "--vbr-quality", "2"}, "give one"},
        {{"--vbr-quality", "10"}, "0 (best) to 9"},
        {{"--format", "ogg", "--quality", "11"}, "-1 to 10"},
        {{"--quality", "3"}, "for Ogg"},
        {{"--format", "ogg", "--vbr-quality", "3"}, "for MP3"},
        {{"--rate", "44000"}, "44100"},
        {{"--rate", "96000"}, "48000"},
        {{"--format", "wav", "--rate", "fast"}, "source"},
        {{"--channels", "3"}, "1, 2, source"},
        {{"--format", "wav", "--bits", "12"}, "8, 16, 24, 32"},
        {{"--bits", "16"}, "for WAV"},
        {{"--format", "wav", "--bitrate", "128"}, "for MP3, Ogg and WMA"},
        {{"--format", "wma", "--bitrate", "64", "--channels", "1"}, "48, 32"},
        {{"--format", "wma", "--rate", "source"}, "profile"},
        {{"--copy", "--bitrate", "128"}, "--copy"},
        {{"--name", "{year}"}, "{n:02}"},
        {{"--name", "fixed"}, "no field"},
    };
    for (const auto& c : cases) {
        const auto r = cut(c.args + QStringList{path("tone.wav")});
        EXPECT_EQ(r.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf8(c.says)))
            << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
    EXPECT_TRUE(outputs().isEmpty());
}

TEST_F(CutOutputOptions, TemplatesNameEverySourceApartAndNeverOverwrite)
{
    // Two recordings whose names share their part before the first dot.
    ffmpeg({"-f", "lavfi", "-i", "sine=frequency=300:duration=2", "-ac", "2", "-c:a", "pcm_s16le",
            path("concert.2024-05-01.wav")});
    ffmpeg({"-f", "lavfi", "-i", "sine=frequency=400:duration=2", "-ac", "2", "-c:a", "pcm_s16le",
            path("concert.2024-06-01.wav")});
    testsupport::writeAll(out("concert.2024-05-01 01.wav"), "earlier run");
    const auto r = cut({"--pieces", "2", "--format", "wav", "--name", "{source} {n:02}",
                        path("concert.2024-05-01.wav"), path("concert.2024-06-01.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(outputs(), (QStringList{"concert.2024-05-01 01.wav", "concert.2024-05-01 01_1.wav",
                                      "concert.2024-05-01 02.wav", "concert.2024-06-01 01.wav",
                                      "concert.2024-06-01 02.wav"}));
    EXPECT_EQ(testsupport::readAll(out("concert.2024-05-01 01.wav")), "earlier run");

    // Bounds and the usual base; a name with a slash in a field stays in the folder.
    ASSERT_EQ(cut({"--segments", "0-1,1-3", "--format", "wav", "--name", "{base}/{start}-{end}",
                   path("tone.wav")})
                  .exitCode,
              0);
    EXPECT_TRUE(outputs().contains("tone0-1.wav"));
    EXPECT_TRUE(outputs().contains("tone1-3.wav"));
}

TEST_F(CutOutputOptions, TagsCarryYearCommentAndTrackOrNothingAtAll)
{
    ffmpeg({"-i", path("tone.wav"), "-c:a", "libmp3lame", "-id3v2_version", "3", "-metadata",
            "title=Song", "-metadata", "artist=Band", "-metadata", "date=1999", "-metadata",
            "comment=Recorded live", path("song.mp3")});
    for (const char* format : {"mp3", "ogg", "wma"}) {
        const auto r = cut({"--pieces", "3", "--format", format, path("song.mp3")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString tags = QString::fromUtf8(
            run("mutagen-inspect", {out(QStringLiteral("Song_2.") + format)}).out);
        for (const char* text : {"Song", "Band", "1999", "Recorded live"})
            EXPECT_TRUE(tags.contains(text)) << format << " " << text << tags.toStdString();
        EXPECT_EQ(
            run("ffprobe", {"-v", "error", "-show_entries", "format_tags=track:stream_tags=track",
                            "-of", "default=nw=1:nk=1", out(QStringLiteral("Song_2.") + format)})
                .out.trimmed()
                .split('\n')
                .first(),
            QByteArray(format == QByteArray("mp3") ? "2/3" : "2"))
            << format;
    }
    ASSERT_EQ(cut({"--no-tags", "--name", "bare{n}", path("song.mp3")}).exitCode, 0);
    const QString bare = QString::fromUtf8(run("mutagen-inspect", {out("bare1.mp3")}).out);
    EXPECT_FALSE(bare.contains("Song")) << bare.toStdString();
    EXPECT_FALSE(bare.contains("TRCK")) << bare.toStdString();
}

} // namespace
