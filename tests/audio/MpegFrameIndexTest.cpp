// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mpeg/MpegFrameIndex.h"
#include "audio/mpeg/SilentFrames.h"
#include "audio/mpeg/StreamTag.h"
#include "support/Judges.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <random>

// The frame index against FFmpeg: for files with tags at both ends, junk,
// damage and odd formats, an intact index must count what FFmpeg decodes,
// and anything else must say why it is not intact.

namespace {

using testsupport::ffmpeg;
using testsupport::run;

static_assert(sizeof(mpeg::IndexedFrame) == 8, "a one-hour file has 140,000 frames");

QByteArray lame(const QString& dir, const QString& name, const QStringList& options,
                double seconds = 2.3)
{
    const QString wav = dir + "/" + name + ".wav";
    const QString mp3 = dir + "/" + name + ".mp3";
    testsupport::makeAudio(wav, {.seconds = seconds, .channels = 2, .hz = 330});
    testsupport::encodeWithLame(wav, mp3, options);
    return testsupport::readAll(mp3);
}

QByteArray id3v2(int size)
{
    QByteArray tag("ID3\x03\x00\x00", 6);
    tag += char(size >> 21 & 0x7F);
    tag += char(size >> 14 & 0x7F);
    tag += char(size >> 7 & 0x7F);
    tag += char(size & 0x7F);
    return tag + QByteArray(size, '\0');
}

QByteArray apeTag()
{
    const QByteArray item = QByteArray("\x05\0\0\0\0\0\0\0Title\0Hello", 19);
    const auto part = [&](bool header) {
        QByteArray p("APETAGEX\xD0\x07\0\0", 12);
        const int size = static_cast<int>(item.size()) + 32;
        p += char(size);
        p += QByteArray(3, '\0');
        p += QByteArray("\x01\0\0\0", 4);
        p += QByteArray(3, '\0');
        p += char(header ? 0xA0 : 0x80);
        return p + QByteArray(8, '\0');
    };
    return part(true) + item + part(false);
}

QByteArray lyrics3()
{
    const QByteArray body = "LYRICSBEGININD00002"
                            "11";
    return body + QByteArray::number(body.size()).rightJustified(6, '0') + "LYRICS200";
}

QByteArray id3v1()
{
    return "TAG" + QByteArray(125, ' ');
}

mpeg::MpegFrameIndex indexOf(const QByteArray& data)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return mpeg::MpegFrameIndex(buffer);
}

struct Case {
    const char* name;
    std::function<QByteArray(const QString& dir)> make;
    const char* damage; // nullptr: intact
};

TEST(MpegFrameIndex, IntactIndexesCountWhatFfmpegDecodesAndOthersSayWhy)
{
    QTemporaryDir dir;
    const std::vector<Case> cases = {
        {"lame CBR",
         [](auto d) {
             return lame(d, "cbr", {"-b", "128"});
         },
         nullptr},
        {"tags at both ends",
         [](auto d) {
             return id3v2(300) + id3v2(50) + lame(d, "tags", {"-V", "3"}) + apeTag() + lyrics3() +
                    id3v1();
         },
         nullptr},
        {"zeros before the first frame",
         [](auto d) { return id3v2(40) + QByteArray(700, '\0') + lame(d, "zeros", {"-t"}); },
         nullptr},
        {"MPEG-2.5 without a tag frame",
         [](auto d) {
             return lame(d, "low", {"--resample", "8", "-b", "8"});
         },
         nullptr},
        {"MPEG-2 with CRC",
         [](auto d) {
             return lame(d, "crc", {"-p", "--resample", "24"});
         },
         nullptr},
        {"Layer II",
         [](auto d) {
             ffmpeg({"-f", "lavfi", "-i", "sine=d=1.7", "-c:a", "mp2", d + "/l2.mp2"});
             return testsupport::readAll(d + "/l2.mp2");
         },
         nullptr},
        {"the Xing frame alone",
         [](auto d) {
             return lame(d, "one", {"-b", "64"}, 0.001);
         },
         nullptr},
        {"junk between frames",
         [](auto d) {
             QByteArray f = lame(d, "junk", {"-b", "160"});
             f.insert(f.size() / 2 + 1, "junk");
             return f;
         },
         "no MPEG audio frame at byte"},
        {"a frame cut short",
         [](auto d) {
             return lame(d, "cut", {"-V", "6"}).chopped(10);
         },
         "cut short"},
        {"more frames than the Xing frame counts",
         [](auto d) {
             const QByteArray f = lame(d, "more", {"-b", "96"});
             const mpeg::MpegFrameIndex index = indexOf(f);
             return f + f.mid(index.frame(index.frameCount() - 5).offset());
         },
         "counts"},
        {"a change of sample rate",
         [](auto d) {
             return lame(d, "r44", {"-t", "-b", "128"}) +
                    lame(d, "r48", {"-t", "-b", "128", "--resample", "48"});
         },
         "changes at byte"},
        {"free format",
         [](auto) {
             // Layer III headers with bitrate index 0, more than FFmpeg
             // searches for a first frame.
             QByteArray f;
             for (int i = 0; i < 120; ++i)
                 f += QByteArray("\xFF\xFB\x04\x44", 4) + QByteArray(600, '\0');
             return f;
         },
         "free-format"},
        {"text", [](auto) { return QByteArray("this is no audio\n").repeated(100); },
         "no MPEG audio frames"},
        {"nothing", [](auto) { return QByteArray(); }, "no MPEG audio frames"},
        {"an ID3v2 tag larger than the file",
         [](auto d) {
             return id3v2(100).left(10) + lame(d, "hidden", {"-b", "64"}).left(50);
         },
         "no MPEG audio frames"},
    };
    int n = 0;
    QStringList intact;
    std::vector<int64_t> counts;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray data = c.make(dir.path());
        const QString file = dir.filePath(QStringLiteral("case%1.mp3").arg(n++));
        testsupport::writeAll(file, data);
        const mpeg::MpegFrameIndex index = indexOf(data);
        EXPECT_LE(index.audioEnd(), data.size());
        if (c.damage) {
            EXPECT_FALSE(index.intact());
            EXPECT_TRUE(index.damage().contains(c.damage)) << index.damage().toStdString();
            continue;
        }
        ASSERT_TRUE(index.intact()) << index.damage().toStdString();
        EXPECT_EQ(index.fileSize(), data.size());
        intact << file;
        counts.push_back(index.sampleCount());
    }
    // What ffmpeg decodes of the intact ones, one channel each, in one run.
    const std::vector<std::vector<float>> decoded = testsupport::decodeEach(intact, {"-ac", "1"});
    for (qsizetype i = 0; i < intact.size(); ++i)
        EXPECT_EQ(counts[size_t(i)], int64_t(decoded[size_t(i)].size())) << intact[i].toStdString();
}

TEST(MpegFrameIndex, TagsAtTheEndAreNoAudio)
{
    QTemporaryDir dir;
    const QByteArray audio = lame(dir.path(), "plain", {"-b", "128"});
    const mpeg::MpegFrameIndex plain = indexOf(audio);
    for (const QByteArray& tail : {id3v1(), apeTag(), lyrics3() + id3v1(), apeTag() + id3v1()}) {
        const mpeg::MpegFrameIndex tagged = indexOf(id3v2(1000) + audio + tail);
        EXPECT_TRUE(tagged.intact()) << tagged.damage().toStdString();
        EXPECT_EQ(tagged.frameCount(), plain.frameCount());
        EXPECT_EQ(tagged.audioEnd(), 1010 + audio.size());
        EXPECT_EQ(tagged.tagOffset(), 1010);
        EXPECT_EQ(tagged.sampleCount(), plain.sampleCount());
    }
}

TEST(MpegFrameIndex, RecordsEachFramesPlaceSizeAndReservoir)
{
    QTemporaryDir dir;
    const QByteArray data = lame(dir.path(), "vbr", {"-V", "0"});
    const mpeg::MpegFrameIndex index = indexOf(data);
    ASSERT_TRUE(index.tag());
    EXPECT_EQ(index.tag()->kind, mpeg::StreamTag::Kind::Xing);
    EXPECT_EQ(index.tag()->frames, index.frameCount());
    EXPECT_EQ(index.decoderDelay(), 576 + 529);
    int64_t at = index.frame(0).offset();
    bool reservoir = false;
    for (size_t i = 0; i < index.frameCount(); ++i) {
        const mpeg::IndexedFrame& f = index.frame(i);
        ASSERT_EQ(f.offset(), at);
        const auto h =
            mpeg::FrameHeader::parse(reinterpret_cast<const uint8_t*>(data.constData()) + at);
        ASSERT_TRUE(h);
        EXPECT_EQ(f.size(), h->frameBytes());
        EXPECT_EQ(f.mainDataBegin(),
                  h->mainDataBegin(reinterpret_cast<const uint8_t*>(data.constData()) + at + 4));
        reservoir = reservoir || f.mainDataBegin() > 0;
        at += f.size();
    }
    EXPECT_TRUE(reservoir);
    EXPECT_EQ(at, data.size());
}

TEST(MpegFrameIndex, EmptyStreamsHoldNoSamplesForFfmpegAndTheIndex)
{
    QTemporaryDir dir;
    // ffmpeg decodes every stream, each into its own output, in one run.
    QStringList inputs;
    QStringList outputs;
    for (const int rate : {44100, 48000, 32000, 24000, 22050, 16000, 12000, 11025, 8000}) {
        for (const int mode : {0, 1, 3}) {
            SCOPED_TRACE(rate * 10 + mode);
            const QByteArray empty =
                mpeg::emptyStream(*mpeg::FrameHeader::layer3(rate, mode, 0, false, true));
            const mpeg::MpegFrameIndex index = indexOf(empty);
            EXPECT_TRUE(index.intact()) << index.damage().toStdString();
            EXPECT_EQ(index.sampleCount(), 0);
            const QString name = QStringLiteral("empty_%1_%2").arg(rate).arg(mode);
            testsupport::writeAll(dir.filePath(name + ".mp3"), empty);
            inputs << "-i" << dir.filePath(name + ".mp3");
            outputs << "-map" << QStringLiteral("%1:a").arg(outputs.size() / 6) << "-f"
                    << "s16le" << dir.filePath(name + ".raw");
        }
    }
    const auto decoded = run("ffmpeg", QStringList{"-v", "error", "-nostdin"} + inputs + outputs);
    EXPECT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
    EXPECT_TRUE(decoded.err.isEmpty()) << decoded.err.toStdString();
    // (ffmpeg creates an output only once it has something to write.)
    for (qsizetype i = 5; i < outputs.size(); i += 6)
        EXPECT_EQ(QFileInfo(outputs[i]).size(), 0) << outputs[i].toStdString();
}

TEST(MpegFrameIndex, ArbitraryBytesNeverBreakTheWalk)
{
    std::mt19937 random(11);
    QTemporaryDir dir;
    const QByteArray real = lame(dir.path(), "real", {"-V", "5"});
    for (int i = 0; i < 300; ++i) {
        QByteArray data = real;
        const int flips = 1 + i % 40;
        for (int k = 0; k < flips; ++k)
            data[static_cast<qsizetype>(random() % data.size())] = char(random());
        if (i % 3 == 0)
            data.truncate(static_cast<qsizetype>(random() % data.size()));
        const mpeg::MpegFrameIndex index = indexOf(data);
        EXPECT_LE(index.audioEnd(), data.size());
        for (size_t f = 0; f < index.frameCount(); ++f)
            ASSERT_LE(index.frame(f).offset() + index.frame(f).size(), index.audioEnd());
    }
}

} // namespace

namespace {

TEST(MpegCrc16, IsTheCrcOfTheLameTagAtAnyLength)
{
    // The standard check value of CRC-16/ARC, which LAME and FFmpeg use.
    EXPECT_EQ(mpeg::crc16(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xBB3D);
    // Bytes taken eight at a time give the CRC of one at a time, whatever the
    // length and however the bytes are split.
    std::mt19937 random(5);
    std::vector<uint8_t> bytes(1000);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    for (const size_t length :
         {size_t(0), size_t(1), size_t(7), size_t(8), size_t(9), size_t(999)}) {
        uint16_t one = 0;
        for (size_t i = 0; i < length; ++i)
            one = mpeg::crc16(&bytes[i], 1, one);
        EXPECT_EQ(mpeg::crc16(bytes.data(), length), one) << length;
        EXPECT_EQ(mpeg::crc16(bytes.data() + length / 3, length - length / 3,
                              mpeg::crc16(bytes.data(), length / 3)),
                  one);
    }
}

} // namespace
