// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobSessionFixture.h"

#include "audio/AudioFile.h"
#include "base/TimeCode.h"
#include "settings/Options.h"
#include "support/Judges.h"
#include "tags/Id3Tags.h"

#include <QFile>

// The window's cut with the MP3 copy option on: pieces of MP3 sources cut to
// MP3 without a fade are their sources' samples bit for bit, as ffmpeg
// decodes them, with the frames the encoding cut takes; everything else is
// encoded as before.

namespace {

using namespace enginetest;
using testsupport::decode;
using testsupport::decodeEach;
using testsupport::firstDifference;
using testsupport::frameRange;

// A reader's view of a file: its exact count and length.
struct Counted {
    int64_t frames = 0;
    int64_t ms = 0;
    int channels = 0;
};

Counted counted(const QString& path)
{
    AudioFile reader;
    reader.SetEnabled(true);
    reader.OpenRead(path);
    return {reader.GetSampleCount(), reader.GetDurationMs(), reader.GetChannels()};
}

class CutCopyTest : public JobSessionTest {
protected:
    static void SetUpTestSuite()
    {
        sources = new QTemporaryDir;
        const QString wav = source("input.wav");
        // A length that is no whole number of milliseconds, so that times
        // land between frames and the Custom cut's early end matters.
        testsupport::ffmpeg({"-f", "lavfi", "-i",
                             "aevalsrc=sin(t*t*300)*0.5|sin(330*2*PI*t)*0.3+sin(t*t*900)*0.2:"
                             "s=44100:d=7.30005",
                             wav});
        makeLameMp3(wav, source("Vbr.mp3"),
                    {"-V", "2", "--add-id3v2", "--tt", "Copied", "--ta", "Artist"});
        // MPEG-2: one granule a frame, two frames of decoder memory.
        makeLameMp3(wav, source("Mono.mp3"), {"-m", "m", "--resample", "22.05", "-V", "5"});
        makeSource(source("Tone.wav"), 4.0);
        // Junk between frames: indexed as damaged, never copied.
        QByteArray damaged = testsupport::readAll(source("Vbr.mp3"));
        damaged.insert(damaged.size() / 2, QByteArray(50, 'x'));
        testsupport::writeAll(source("Junk.mp3"), damaged);
    }
    static void TearDownTestSuite()
    {
        delete sources;
        sources = nullptr;
    }
    static QString source(const QString& name) { return sources->filePath(name); }

    void SetUp() override
    {
        JobSessionTest::SetUp();
        session->options().losslessCopy = true;
        setFormat(0);
    }

    // Piece k of a source cut every `seconds`: [Scale(k s), Scale((k+1) s)),
    // the end clipped to the file's whole seconds.
    static std::pair<int64_t, int64_t> timedPiece(const Counted& c, int k, int seconds)
    {
        const int64_t last = c.ms / 1000 * 1000;
        const auto at = [&](int64_t ms) {
            return timecode::Scale64(std::min(ms, last), c.frames, c.ms);
        };
        return {at(int64_t(k) * seconds * 1000), at(int64_t(k + 1) * seconds * 1000)};
    }

    // The piece decodes to the source's frames [a, b), and our reader counts it
    // b - a frames; `got` is what ffmpeg decoded of it.
    void expectCopied(const QString& piece, const std::vector<float>& whole, int channels,
                      int64_t a, int64_t b)
    {
        expectCopied(piece, decode(piece), whole, channels, a, b);
    }
    void expectCopied(const QString& piece, const std::vector<float>& got,
                      const std::vector<float>& whole, int channels, int64_t a, int64_t b)
    {
        SCOPED_TRACE(piece.toStdString());
        const std::vector<float> want = frameRange(whole, channels, a, b);
        EXPECT_TRUE(got == want) << firstDifference(got, want, channels);
        EXPECT_EQ(counted(piece).frames, b - a);
    }

    static QTemporaryDir* sources;
};

QTemporaryDir* CutCopyTest::sources = nullptr;

TEST_F(CutCopyTest, TimedPiecesOfEveryMpegVersionAreTheSourcesSamples)
{
    add({source("Vbr.mp3"), source("Mono.mp3")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 2;
    session->splitCommand();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    // 7.3 s: three whole pieces and the one second to the last whole second.
    ASSERT_EQ(outputs(),
              (QStringList{"Copied_1.mp3", "Copied_2.mp3", "Copied_3.mp3", "Copied_4.mp3",
                           "Mono_1.mp3", "Mono_2.mp3", "Mono_3.mp3", "Mono_4.mp3"}));

    const std::pair<QString, QString> files[] = {{"Vbr.mp3", "Copied"}, {"Mono.mp3", "Mono"}};
    for (const auto& [file, caption] : files) {
        const Counted c = counted(source(file));
        QStringList files{source(file)};
        for (int k = 0; k < 4; ++k)
            files << out(QStringLiteral("%1_%2.mp3").arg(caption).arg(k + 1));
        const std::vector<std::vector<float>> decoded = decodeEach(files);
        const std::vector<float>& whole = decoded[0];
        ASSERT_EQ(int64_t(whole.size()), c.frames * c.channels) << "ffmpeg and our reader agree";
        std::vector<float> joined;
        for (int k = 0; k < 4; ++k) {
            const auto [a, b] = timedPiece(c, k, 2);
            const std::vector<float>& got = decoded[size_t(k) + 1];
            expectCopied(files[k + 1], got, whole, c.channels, a, b);
            joined.insert(joined.end(), got.begin(), got.end());
        }
        const int64_t end = timedPiece(c, 3, 2).second;
        EXPECT_TRUE(joined == frameRange(whole, c.channels, 0, end))
            << file.toStdString() << " put back together";
    }
    // The tags of an encoded piece, and the rows as for one.
    const TagFields tags = ReadId3v2(out("Copied_2.mp3"));
    EXPECT_EQ(tags.title, "Copied");
    EXPECT_EQ(tags.artist, "Artist");
    EXPECT_EQ(statusLog[3], (QStringList{"Converting", "Finish", "Converting", "Finish"}));
    expectJobEnded();
    expectSourcesUnchanged();
}

TEST_F(CutCopyTest, CustomSegmentsTakeTheEncodedCutsFrames)
{
    add({source("Vbr.mp3")});
    session->jobs().list().entry(0).setConfirmedSegments({{0, 2}, {3, 7}});
    session->cutCommand();
    // The rows say which pieces were copied, their status texts unchanged.
    const SegmentList& rows = session->jobs().segments();
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(rows.status(row), "Finish");
        EXPECT_EQ(rows.data(rows.index(row, 2), Qt::ToolTipRole).toString(),
                  "Copied from the MP3 file without re-encoding");
    }
    // The same cut, encoded to WAV: its pieces hold the frames of the plan,
    // less the Custom cut's early end.
    setFormat(1);
    session->cutCommand();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    ASSERT_EQ(outputs(), (QStringList{"Copied.mp3", "Copied.wav", "Copied_1.mp3", "Copied_1.wav"}));

    const Counted c = counted(source("Vbr.mp3"));
    const std::vector<float> whole = decode(source("Vbr.mp3"));
    const std::pair<int, int> segments[] = {{0, 2}, {3, 7}};
    const QString names[] = {"Copied", "Copied_1"};
    for (int k = 0; k < 2; ++k) {
        const int64_t a = timecode::Scale64(segments[k].first * 1000, c.frames, c.ms);
        const int64_t planned = timecode::Scale64(segments[k].second * 1000, c.frames, c.ms) - a;
        const int64_t encoded = counted(out(names[k] + ".wav")).frames;
        EXPECT_LT(encoded, planned) << "fewer than 100 frames were left at the end";
        expectCopied(out(names[k] + ".mp3"), whole, c.channels, a, a + encoded);
    }
    expectSourcesUnchanged();
}

TEST_F(CutCopyTest, FadedPiecesAreEncoded)
{
    add({source("Vbr.mp3")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 3;
    session->options().fadeOut = true;
    session->options().fadeOutSeconds = 1;
    session->splitCommand();
    ASSERT_EQ(outputs(), (QStringList{"Copied_1.mp3", "Copied_2.mp3", "Copied_3.mp3"}));
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(session->jobs().segments().isCopied(row)) << "encoded, not copied";
    const Counted c = counted(source("Vbr.mp3"));
    const std::vector<float> whole = decode(source("Vbr.mp3"));
    for (int k = 0; k < 2; ++k) {
        const QString piece = out(QStringLiteral("Copied_%1.mp3").arg(k + 1));
        const auto [a, b] = timedPiece(c, k, 3);
        const std::vector<float> got = decode(piece);
        ASSERT_EQ(int64_t(got.size()), (b - a) * c.channels) << piece.toStdString();
        EXPECT_FALSE(got == frameRange(whole, c.channels, a, b));
        float last = 0;
        for (size_t i = got.size() - 200; i < got.size(); ++i)
            last = std::max(last, std::abs(got[i]));
        EXPECT_LT(last, 0.02) << "faded out";
    }
    expectSourcesUnchanged();
}

TEST_F(CutCopyTest, SourcesThatCannotBeCopiedAreEncoded)
{
    add({source("Tone.wav"), source("Junk.mp3")});
    session->options().functionChoice = 1;
    session->options().pieceSeconds = 2;
    session->cutCommand();
    ASSERT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("\n").toStdString();
    ASSERT_EQ(outputs(), (QStringList{"Copied_1.mp3", "Copied_2.mp3", "Copied_3.mp3",
                                      "Copied_4.mp3", "Tone_1.mp3", "Tone_2.mp3", "Tone_3.mp3"}));
    EXPECT_EQ(decodedFrames(out("Tone_1.mp3")), 2 * 44100);
    EXPECT_EQ(decodedFrames(out("Tone_3.mp3")), 0);
    // Encoded, so no longer the source's samples.
    const Counted c = counted(source("Junk.mp3"));
    const auto [a, b] = timedPiece(c, 0, 2);
    const std::vector<float> got = decode(out("Copied_1.mp3"));
    EXPECT_EQ(int64_t(got.size()), (b - a) * c.channels);
    EXPECT_FALSE(got == frameRange(decode(source("Junk.mp3")), c.channels, a, b));
    expectSourcesUnchanged();
}

} // namespace
