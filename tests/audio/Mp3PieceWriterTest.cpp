// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mpeg/Mp3PieceWriter.h"
#include "audio/AudioError.h"
#include "audio/AudioFile.h"
#include "audio/Mp3Frames.h"
#include "audio/WriterTesting.h"
#include "support/FileSizeLimit.h"
#include "support/Judges.h"
#include "support/TestSupport.h"
#include "tags/TagFile.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

// Copied MP3 pieces, judged by FFmpeg: decoded, a piece [a, b) must be the
// source's decoded samples [a, b) bit for bit, and our own reader must count
// it b - a samples, for sources from lame and ffmpeg in every MPEG version.

namespace {

using testsupport::decode;
using testsupport::decodeEach;
using testsupport::encodeWithFfmpeg;
using testsupport::encodeWithLame;
using testsupport::ffmpeg;
using testsupport::firstDifference;
using testsupport::run;

constexpr double kSeconds = 9;

struct Source {
    const char* name;
    // Makes the file from the generated 44.1 kHz stereo WAV.
    std::function<void(const QString& wav, const QString& mp3)> make;
};

const std::vector<Source>& sources()
{
    static const std::vector<Source> all = {
        {"lame_cbr.mp3",
         [](auto in, auto out) {
             encodeWithLame(in, out, {"-b", "128"});
         }},
        {"lame_vbr.mp3",
         [](auto in, auto out) {
             encodeWithLame(in, out, {"-V", "2"});
         }},
        {"lame_no_tag.mp3",
         [](auto in, auto out) {
             encodeWithLame(in, out, {"-t", "-b", "112"});
         }},
        {"lame_crc.mp3",
         [](auto in, auto out) {
             encodeWithLame(in, out, {"-p", "-V", "4"});
         }},
        {"lame_id3.mp3",
         [](auto in, auto out) {
             encodeWithLame(in, out, {"-V", "3", "--add-id3v2", "--tt", "Title", "--ta", "Artist"});
         }},
        {"lame_22k_mono.mp3",
         [](auto in, auto out) {
             encodeWithLame(in, out, {"-m", "m", "--resample", "22.05", "-V", "5"});
         }},
        {"lame_8k.mp3",
         [](auto in, auto out) {
             encodeWithLame(in, out, {"--resample", "8", "-b", "16"});
         }},
        {"ff_48k_320.mp3",
         [](auto in, auto out) {
             encodeWithFfmpeg(in, out, {"-ar", "48000", "-c:a", "libmp3lame", "-b:a", "320k"});
         }},
        // Frames copied from the middle of a stream: its first frames reach
        // back into a bit reservoir that the file does not hold.
        {"ff_frame_copy.mp3",
         [](auto in, auto out) {
             const QString whole = out + ".whole.mp3";
             encodeWithLame(in, whole, {"-b", "96"});
             ffmpeg({"-ss", "2.5", "-i", whole, "-c", "copy", "-write_xing", "0", out});
         }},
    };
    return all;
}

QByteArray sha1(const QString& path)
{
    return QCryptographicHash::hash(testsupport::readAll(path), QCryptographicHash::Sha1);
}

class Mp3PieceWriterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        const QString wav = path("input.wav");
        ffmpeg({"-f", "lavfi", "-i",
                QStringLiteral("aevalsrc=sin(t*t*300)*0.5|sin(330*2*PI*t)*0.3+sin(t*t*900)*0.2:"
                               "s=44100:d=%1")
                    .arg(kSeconds),
                wav});
        for (const Source& s : sources())
            s.make(wav, path(s.name));
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static QString path(const QString& name) { return dir->filePath(name); }

    // Our reader's frames of a file, read through.
    static int64_t readerFrames(const QString& file, int64_t* count = nullptr)
    {
        AudioFile reader;
        reader.SetEnabled(true);
        reader.OpenRead(file);
        if (count)
            *count = reader.GetSampleCount();
        int64_t total = 0;
        for (;;) {
            const SampleArray block = reader.ReadBlock(8192);
            if (block.frames() == 0)
                return total;
            total += block.frames();
        }
    }

    static QTemporaryDir* dir;
};

QTemporaryDir* Mp3PieceWriterTest::dir = nullptr;

TEST_F(Mp3PieceWriterTest, PiecesDecodeToTheSourcesSamplesAndPutBackTogetherGiveTheSource)
{
    for (const Source& s : sources()) {
        SCOPED_TRACE(s.name);
        const QString source = path(s.name);
        const QByteArray hash = sha1(source);
        const Mp3PieceWriter writer(source);
        const int channels = writer.channels();
        const int64_t rate = writer.sampleRate();
        const int64_t count = writer.sampleCount();
        int64_t readerCount = 0;
        ASSERT_EQ(readerFrames(source, &readerCount), count);
        ASSERT_EQ(readerCount, count);
        const std::vector<float> whole = decode(source);
        ASSERT_EQ(static_cast<int64_t>(whole.size()), count * channels);

        // From the first sample to the last: pieces at the start, in the
        // middle and at the end, and one just longer than a frame.
        const std::vector<int64_t> cuts{
            0,         rate * 7 / 10, rate * 7 / 10 + 1200, rate * 2 + 333,
            count / 2, count * 4 / 5, count - 2000,         count};
        QStringList pieces;
        for (size_t i = 0; i + 1 < cuts.size(); ++i) {
            pieces << path(QStringLiteral("%1_%2.mp3").arg(s.name).arg(i));
            writer.write(cuts[i], cuts[i + 1], pieces.back());
        }
        const std::vector<std::vector<float>> decoded = decodeEach(pieces);
        std::vector<float> joined;
        for (size_t i = 0; i + 1 < cuts.size(); ++i) {
            const int64_t a = cuts[i];
            const int64_t b = cuts[i + 1];
            SCOPED_TRACE(QStringLiteral("piece %1 to %2").arg(a).arg(b).toStdString());
            const std::vector<float>& got = decoded[i];
            const std::vector<float> want(whole.begin() + a * channels,
                                          whole.begin() + b * channels);
            EXPECT_TRUE(got == want) << firstDifference(got, want, channels);
            int64_t pieceCount = 0;
            EXPECT_EQ(readerFrames(pieces[qsizetype(i)], &pieceCount), b - a);
            EXPECT_EQ(pieceCount, b - a);
            joined.insert(joined.end(), got.begin(), got.end());
        }
        EXPECT_TRUE(joined == whole);
        EXPECT_EQ(sha1(source), hash);
    }
}

TEST_F(Mp3PieceWriterTest, PiecesShorterThanAFrameAreExactOrRefused)
{
    for (const char* name : {"lame_cbr.mp3", "lame_22k_mono.mp3", "lame_no_tag.mp3"}) {
        SCOPED_TRACE(name);
        const Mp3PieceWriter writer(path(name));
        const int channels = writer.channels();
        const std::vector<float> whole = decode(path(name));
        int refused = 0;
        QStringList pieces;
        std::vector<std::pair<int64_t, int64_t>> bounds;
        for (int64_t a = 20000; a < 20000 + 1200; a += 241) {
            for (const int64_t length : {1, 40, 500}) {
                const QString piece = path(QStringLiteral("short_%1_%2.mp3").arg(a).arg(length));
                QFile::remove(piece);
                try {
                    writer.write(a, a + length, piece);
                } catch (const Mp3CopyRefused& e) {
                    EXPECT_TRUE(e.message().contains("that short")) << e.what();
                    EXPECT_FALSE(QFileInfo::exists(piece));
                    ++refused;
                    continue;
                }
                pieces << piece;
                bounds.emplace_back(a, a + length);
            }
        }
        const int written = static_cast<int>(pieces.size());
        const std::vector<std::vector<float>> decoded = decodeEach(pieces);
        for (size_t i = 0; i < bounds.size(); ++i) {
            const auto [a, b] = bounds[i];
            const std::vector<float> want(whole.begin() + a * channels,
                                          whole.begin() + b * channels);
            EXPECT_TRUE(decoded[i] == want) << a << " to " << b;
        }
        EXPECT_GT(written, 0);
        EXPECT_GT(refused, 0);
    }
}

TEST_F(Mp3PieceWriterTest, PiecesStartWithAGaplessHeaderAndASilentReservoirFrame)
{
    const Mp3PieceWriter writer(path("lame_vbr.mp3"));
    const QString piece = path("headers.mp3");
    writer.write(44100, 3 * 44100, piece);
    const std::vector<writertest::Mp3Frame> frames =
        writertest::mp3Frames(testsupport::readAll(piece));
    ASSERT_GT(frames.size(), 3u);
    EXPECT_EQ(frames[0].tag, "Xing");
    EXPECT_EQ(frames[1].mainDataBegin, 0);
    EXPECT_FALSE(frames[1].crc);
    // The first copied frame reaches back into the silent frame.
    EXPECT_GT(frames[2].mainDataBegin, 0);
    EXPECT_EQ(testsupport::probe(piece).codec, "mp3");
    // FFmpeg names the encoder only when the LAME extension's CRC is right.
    const auto tags = run("ffprobe", {"-v", "error", "-show_entries", "stream_tags=encoder", "-of",
                                      "default=nw=1:nk=1", piece});
    EXPECT_EQ(tags.out.trimmed(), "LAME3.100");
}

TEST_F(Mp3PieceWriterTest, FewerFramesBeforeThePieceThanTheDecoderRemembersChangeItsStart)
{
    // MPEG-1 frames hold two granules, MPEG-2 frames one: a granule's output
    // needs the two granules before it.
    for (const char* name : {"lame_cbr.mp3", "lame_22k_mono.mp3"}) {
        SCOPED_TRACE(name);
        Mp3PieceWriter writer(path(name));
        const int channels = writer.channels();
        const int64_t a = writer.sampleCount() / 3;
        const int64_t b = a + writer.sampleRate();
        const std::vector<float> whole = decode(path(name));
        const std::vector<float> want(whole.begin() + a * channels, whole.begin() + b * channels);
        const QString piece = path("preroll.mp3");
        writer.write(a, b, piece);
        EXPECT_TRUE(decode(piece) == want);
        writer.setPrerollFrames(
            Mp3PieceWriter::prerollFrames(*mpeg::FrameHeader::parse(
                reinterpret_cast<const uint8_t*>(testsupport::readAll(piece).constData()))) -
            1);
        writer.write(a, b, piece);
        const std::vector<float> fewer = decode(piece);
        ASSERT_EQ(fewer.size(), want.size());
        EXPECT_FALSE(fewer == want);
    }
}

TEST_F(Mp3PieceWriterTest, TaggedPiecesDecodeAsBefore)
{
    const Mp3PieceWriter writer(path("lame_id3.mp3"));
    const QString piece = path("tagged.mp3");
    writer.write(10000, 100000, piece);
    const std::vector<float> before = decode(piece);
    TagFields fields;
    fields.title = "A piece";
    fields.artist = "Somebody";
    TagFile::writeNew(piece, fields);
    EXPECT_EQ(TagFile::read(piece).title, "A piece");
    EXPECT_TRUE(decode(piece) == before);
    EXPECT_EQ(readerFrames(piece), 90000);
}

TEST_F(Mp3PieceWriterTest, AnEmptyPieceOpensAsNoSamplesEverywhere)
{
    for (const char* name : {"lame_cbr.mp3", "lame_22k_mono.mp3", "lame_8k.mp3"}) {
        SCOPED_TRACE(name);
        const Mp3PieceWriter writer(path(name));
        const QString piece = path("empty.mp3");
        writer.write(5000, 5000, piece);
        const auto probed = run("ffprobe", {"-v", "error", "-show_streams", piece});
        EXPECT_EQ(probed.exitCode, 0);
        EXPECT_TRUE(probed.err.isEmpty()) << probed.err.toStdString();
        const auto decoded = run("ffmpeg", {"-v", "error", "-i", piece, "-f", "f32le", "-"});
        EXPECT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
        EXPECT_TRUE(decoded.out.isEmpty());
        int64_t count = -1;
        EXPECT_EQ(readerFrames(piece, &count), 0);
        EXPECT_EQ(count, 0);
    }
}

TEST_F(Mp3PieceWriterTest, SourcesThatCannotBeCopiedExactlyAreRefusedWithTheReason)
{
    struct Case {
        const char* name;
        std::function<void(const QString& file)> make;
        const char* reason;
    };
    const QString wav = path("input.wav");
    const std::vector<Case> cases = {
        {"layer2.mp2",
         [&](const QString& f) {
             encodeWithFfmpeg(wav, f, {"-c:a", "mp2", "-b:a", "192k"});
         },
         "Layer II"},
        {"junk.mp3",
         [&](const QString& f) {
             QByteArray data = testsupport::readAll(path("lame_cbr.mp3"));
             data.insert(data.size() / 2, QByteArray(50, 'x'));
             testsupport::writeAll(f, data);
         },
         "no MPEG audio frame at byte"},
        {"cut.mp3",
         [&](const QString& f) {
             testsupport::writeAll(f, testsupport::readAll(path("lame_no_tag.mp3")).chopped(50));
         },
         "cut short"},
        {"text.mp3", [&](const QString& f) { testsupport::writeAll(f, "not audio at all\n"); },
         "no MPEG audio frames"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(c.name);
        c.make(file);
        try {
            Mp3PieceWriter writer(file);
            ADD_FAILURE() << "not refused";
        } catch (const Mp3CopyRefused& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot copy \"%1\": ").arg(file)))
                << e.what();
            EXPECT_TRUE(e.message().contains(c.reason)) << e.what();
        }
    }
}

TEST_F(Mp3PieceWriterTest, AFailedWriteLeavesNothingAndAnExistingFileIntact)
{
    const Mp3PieceWriter writer(path("lame_cbr.mp3"));
    QTemporaryDir out;
    const QString target = out.filePath("piece.mp3");
    testsupport::writeAll(target, "an earlier piece");
    {
        FileSizeLimit limit(20 * 1024);
        EXPECT_THROW(writer.write(0, writer.sampleCount(), target), OutputWriteError);
    }
    EXPECT_EQ(testsupport::readAll(target), "an earlier piece");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"piece.mp3"});

    const QString missing = out.filePath("no/such/folder/piece.mp3");
    EXPECT_THROW(writer.write(0, 1000, missing), OutputWriteError);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(Mp3PieceWriterTest, ASourceChangedSinceItWasIndexedIsNotCopied)
{
    const QString source = path("changing.mp3");
    QFile::remove(source);
    ASSERT_TRUE(QFile::copy(path("lame_vbr.mp3"), source));
    const Mp3PieceWriter writer(source);
    testsupport::writeAll(source, testsupport::readAll(source).chopped(3000));
    const QString piece = path("from_changed.mp3");
    EXPECT_THROW(writer.write(0, writer.sampleCount(), piece), AudioError);
    EXPECT_FALSE(QFileInfo::exists(piece));
}

} // namespace
