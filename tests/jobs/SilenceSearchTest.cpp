// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/SilenceSearch.h"
#include "audio/AudioError.h"
#include "jobs/SilenceDetector.h"
#include "jobs/SilencePlan.h"
#include "support/Printers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <random>

namespace {

constexpr int kRate = 44100;
constexpr int64_t kStep = kRate * SilenceDetector::kStepMs / 1000;

// Interleaved frames built stretch by stretch.
struct Signal {
    int channels = 1;
    std::vector<float> samples;

    int64_t frames() const { return static_cast<int64_t>(samples.size()) / channels; }
    Signal& tone(double seconds, double amplitude = 0.5)
    {
        const int64_t n = std::llround(seconds * kRate);
        for (int64_t i = 0; i < n; ++i) {
            const auto v = static_cast<float>(amplitude * std::sin(2 * M_PI * 440 * i / kRate));
            for (int c = 0; c < channels; ++c)
                samples.push_back(v);
        }
        return *this;
    }
    Signal& silence(double seconds)
    {
        samples.resize(samples.size() + std::llround(seconds * kRate) * channels, 0.0f);
        return *this;
    }
    Signal& hiss(double seconds, double rmsDb)
    {
        std::mt19937 random(7);
        std::normal_distribution<float> normal(0.0f, static_cast<float>(std::pow(10, rmsDb / 20)));
        for (int64_t i = 0; i < std::llround(seconds * kRate) * channels; ++i)
            samples.push_back(normal(random));
        return *this;
    }
};

QVector<FrameRange> detect(const Signal& signal, int blockFrames, double thresholdDb = -50,
                           double minSeconds = 2.0)
{
    SilenceDetector detector(kRate, signal.channels, thresholdDb, std::llround(minSeconds * kRate));
    for (int64_t f = 0; f < signal.frames(); f += blockFrames) {
        const int n = static_cast<int>(std::min<int64_t>(blockFrames, signal.frames() - f));
        detector.feed(signal.samples.data() + f * signal.channels, n);
    }
    return detector.finish();
}

// The found silence lies inside the true one by less than one step at
// each edge.
void expectInside(const FrameRange& found, int64_t begin, int64_t end)
{
    EXPECT_GE(found.begin, begin);
    EXPECT_LT(found.begin, begin + kStep);
    EXPECT_LE(found.end, end);
    EXPECT_GT(found.end, end - kStep);
}

} // namespace

TEST(SilenceDetector, FindsGapsToWithinOneStepWhateverTheBlockSize)
{
    Signal s;
    s.silence(2.5).tone(3).silence(2.2).tone(1).silence(3.001);
    const int64_t second = kRate;
    for (const int block : {1, 37, 4410, 65536, 1 << 24}) {
        SCOPED_TRACE(block);
        const QVector<FrameRange> found = detect(s, block);
        ASSERT_EQ(found.size(), 3);
        EXPECT_EQ(found[0].begin, 0) << "a leading silence starts at the start";
        expectInside(found[0], 0, 5 * second / 2);
        expectInside(found[1], 11 * second / 2, 77 * second / 10);
        expectInside(found[2], 87 * second / 10, s.frames());
        EXPECT_EQ(found[2].end, s.frames()) << "a trailing silence reaches the end";
        EXPECT_EQ(found, detect(s, 1000)) << "the same silences in any blocks";
    }
}

TEST(SilenceDetector, MeasuresTheRmsOfTheLoudestChannel)
{
    {
        SCOPED_TRACE("hiss at -58 dB RMS, whose peaks pass -50 dB, is silence");
        Signal s;
        s.tone(1).hiss(3, -58).tone(1);
        float peak = 0;
        for (int64_t i = kRate; i < 4 * kRate; ++i)
            peak = std::max(peak, std::abs(s.samples[i]));
        ASSERT_GT(20 * std::log10(peak), -50);
        const QVector<FrameRange> found = detect(s, 4096);
        ASSERT_EQ(found.size(), 1);
        expectInside(found[0], kRate, 4 * kRate);
    }
    {
        SCOPED_TRACE("hiss at -45 dB RMS is sound");
        Signal s;
        s.tone(1).hiss(3, -45).tone(1);
        EXPECT_TRUE(detect(s, 4096).isEmpty());
        EXPECT_EQ(detect(s, 4096, -40).size(), 1) << "below a higher threshold";
    }
    {
        SCOPED_TRACE("a click of -20 dB does not end a gap");
        Signal s;
        s.tone(1).silence(3).tone(1);
        s.samples[static_cast<size_t>(kRate * 5 / 2)] = 0.1f;
        const QVector<FrameRange> found = detect(s, 4096);
        ASSERT_EQ(found.size(), 1);
        expectInside(found[0], kRate, 4 * kRate);
    }
    {
        SCOPED_TRACE("one channel at -40 dB is sound though the other is silent");
        Signal s;
        s.channels = 2;
        s.silence(3);
        for (size_t i = 1; i < s.samples.size(); i += 2)
            s.samples[i] = static_cast<float>(0.01 * std::sin(i * 0.03));
        EXPECT_TRUE(detect(s, 4096).isEmpty());
        for (size_t i = 1; i < s.samples.size(); i += 2)
            s.samples[i] *= 0.1f;
        EXPECT_EQ(detect(s, 4096), (QVector<FrameRange>{{0, 3 * kRate}})) << "at -60 dB it is not";
    }
    {
        SCOPED_TRACE("NaN samples are sound");
        Signal s;
        s.silence(3);
        s.samples[kRate] = std::nanf("");
        EXPECT_TRUE(detect(s, 4096, -50, 2.5).isEmpty());
    }
}

TEST(SilenceDetector, KeepsOnlySilencesOfTheMinimumLength)
{
    Signal s;
    s.tone(1).silence(1.98).tone(1).silence(2.02).tone(1);
    const QVector<FrameRange> found = detect(s, 4096);
    ASSERT_EQ(found.size(), 1);
    expectInside(found[0], std::llround(3.98 * kRate), 6 * kRate);

    Signal shortStream;
    shortStream.silence(0.02);
    EXPECT_EQ(detect(shortStream, 4096, -50, 0.01), (QVector<FrameRange>{{0, 882}}))
        << "a stream shorter than one window is measured whole";
    EXPECT_TRUE(detect(Signal{}, 4096).isEmpty());
}

namespace {

// Pieces as "begin-end" in frames.
QStringList pieces(const PiecePlan& plan)
{
    QStringList out;
    for (const PlannedPiece& p : plan.pieces)
        out << QStringLiteral("%1-%2").arg(*p.begin.exactFrame()).arg(*p.end.exactFrame());
    return out;
}

} // namespace

TEST(SilencePlan, DividesInTheMiddleOrDropsAndMergesShortPieces)
{
    const QVector<FrameRange> gaps{{100, 140}, {300, 310}, {330, 350}, {500, 560}};
    const struct {
        const char* name;
        QVector<FrameRange> silences;
        bool drop;
        int64_t minPiece;
        QStringList pieces;
    } cases[] = {
        {"middles", gaps, false, 0, {"0-120", "120-305", "305-340", "340-530", "530-1000"}},
        {"dropped", gaps, true, 0, {"0-100", "140-300", "310-330", "350-500", "560-1000"}},
        {"the short piece goes across its shorter silence (10 before, 20 after)",
         gaps,
         false,
         100,
         {"0-120", "120-340", "340-530", "530-1000"}},
        {"dropped, merged pieces hold the silence between",
         gaps,
         true,
         100,
         {"0-100", "140-330", "350-500", "560-1000"}},
        {"merging goes on while a piece is short", gaps, false, 200, {"0-530", "530-1000"}},
        {"equal silences: the earlier one",
         {{100, 110}, {150, 160}, {400, 410}},
         false,
         51,
         {"0-155", "155-405", "405-1000"}},
        {"a first or last piece has one neighbour",
         gaps,
         false,
         130,
         {"0-340", "340-530", "530-1000"}},
        {"leading and trailing silences stay with the first and last piece",
         {{0, 50}, {400, 500}, {900, 1000}},
         false,
         0,
         {"0-450", "450-1000"}},
        {"dropped leading and trailing silences",
         {{0, 50}, {400, 500}, {900, 1000}},
         true,
         0,
         {"50-400", "500-900"}},
        {"no silence: the whole file", {}, false, 100000, {"0-1000"}},
        {"no silence, dropped: the whole file", {}, true, 0, {"0-1000"}},
        {"silence only: one piece", {{0, 1000}}, false, 0, {"0-1000"}},
        {"silence only, dropped: nothing left", {{0, 1000}}, true, 0, {}},
        {"everything shorter: one piece", gaps, true, 100000, {"0-1000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PiecePlan plan = PlanFromSilences(c.silences, 1000, kRate, c.drop, c.minPiece);
        EXPECT_EQ(pieces(plan), c.pieces);
        EXPECT_EQ(plan.trackTotal, c.pieces.size());
        for (int i = 0; i < plan.pieces.size(); ++i)
            EXPECT_EQ(plan.pieces[i].track, i + 1);
    }
    EXPECT_TRUE(PlanFromSilences({}, 0, kRate, false, 0).pieces.isEmpty()) << "an empty file";
}

namespace {

// tone 12 s | silence 2.5 s | tone 15 s | noise at -54 dB peak 3 s | tone 4 s
// | silence 4 s | tone 20 s | noise at -30 dB peak 3 s | tone 12 s
class SilenceSearchFiles : public ::testing::Test {
protected:
    static QString make(const QString& path)
    {
        const struct {
            const char* source;
            double seconds;
        } parts[] = {
            {"sine=frequency=440:sample_rate=44100", 12}, {"anullsrc=r=44100:cl=mono", 2.5},
            {"sine=frequency=660:sample_rate=44100", 15}, {"anoisesrc=r=44100:a=0.002:seed=1", 3},
            {"sine=frequency=550:sample_rate=44100", 4},  {"anullsrc=r=44100:cl=mono", 4},
            {"sine=frequency=440:sample_rate=44100", 20}, {"anoisesrc=r=44100:a=0.03:seed=2", 3},
            {"sine=frequency=330:sample_rate=44100", 12},
        };
        QStringList args;
        QString graph;
        int i = 0;
        for (const auto& p : parts) {
            args << "-f"
                 << "lavfi"
                 << "-i" << p.source;
            graph += QStringLiteral("[%1]atrim=end_sample=%2[p%1];")
                         .arg(i)
                         .arg(std::llround(p.seconds * kRate));
            ++i;
        }
        for (int k = 0; k < i; ++k)
            graph += QStringLiteral("[p%1]").arg(k);
        graph += QStringLiteral("concat=n=%1:v=0:a=1[out]").arg(i);
        args << "-filter_complex" << graph << "-map"
             << "[out]"
             << "-ac"
             << "2" << path;
        testsupport::ffmpeg(args);
        return path;
    }

    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        wav = make(dir->filePath("gaps.wav"));
        mp3 = make(dir->filePath("gaps.mp3"));
    }
    static void TearDownTestSuite() { delete dir; }

    static SilenceReport search(const QString& path, SilenceOptions options)
    {
        const std::optional<SilenceReport> report = FindSilences(path, options);
        EXPECT_TRUE(report);
        return report.value_or(SilenceReport{});
    }

    // Within 10 ms of `seconds`.
    static void expectNear(const SegmentPoint& point, double seconds)
    {
        ASSERT_TRUE(point.exactFrame());
        EXPECT_NEAR(static_cast<double>(*point.exactFrame()) / kRate, seconds, 0.010);
    }

    static inline QTemporaryDir* dir = nullptr;
    static inline QString wav;
    static inline QString mp3;
};

} // namespace

TEST_F(SilenceSearchFiles, EveryBoundaryLiesInTheMiddleOfItsSilence)
{
    for (const QString& path : {wav, mp3}) {
        SCOPED_TRACE(path.toStdString());
        SilenceOptions options;
        options.minPieceSeconds = 0;
        const SilenceReport report = search(path, options);
        EXPECT_EQ(report.rate, kRate);
        EXPECT_EQ(report.frames, std::llround(75.5 * kRate));
        ASSERT_EQ(report.silences.size(), 3) << "the noise at -30 dB is no silence";
        const double edges[][2] = {{12, 14.5}, {29.5, 32.5}, {36.5, 40.5}};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(static_cast<double>(report.silences[i].begin) / kRate, edges[i][0], 0.010);
            EXPECT_NEAR(static_cast<double>(report.silences[i].end) / kRate, edges[i][1], 0.010);
        }
        const PiecePlan& plan = report.plan;
        ASSERT_EQ(plan.pieces.size(), 4);
        EXPECT_EQ(plan.pieces[0].begin, SegmentPoint::frame(0, kRate));
        const double middles[] = {13.25, 31, 38.5};
        for (int i = 0; i < 3; ++i) {
            expectNear(plan.pieces[i].end, middles[i]);
            EXPECT_EQ(plan.pieces[i].end, plan.pieces[i + 1].begin);
        }
        EXPECT_EQ(plan.pieces[3].end, SegmentPoint::frame(report.frames, kRate));
    }
}

TEST_F(SilenceSearchFiles, TheMinimumPieceMergesAndDroppedSilencesAreLeftOut)
{
    SilenceOptions options; // pieces of at least 10 s
    const PiecePlan merged = search(mp3, options).plan;
    ASSERT_EQ(merged.pieces.size(), 3) << "the 4 s tone joins the piece across the 3 s gap";
    expectNear(merged.pieces[0].end, 13.25);
    expectNear(merged.pieces[1].end, 38.5);

    options.dropSilence = true;
    const PiecePlan dropped = search(mp3, options).plan;
    ASSERT_EQ(dropped.pieces.size(), 3);
    const double bounds[][2] = {{0, 12}, {14.5, 36.5}, {40.5, 75.5}};
    for (int i = 0; i < 3; ++i) {
        expectNear(dropped.pieces[i].begin, bounds[i][0]);
        expectNear(dropped.pieces[i].end, bounds[i][1]);
    }

    options.minPieceSeconds = 0;
    EXPECT_EQ(search(mp3, options).plan.pieces.size(), 4);
    options.minSilenceSeconds = 3.5;
    EXPECT_EQ(search(mp3, options).silences.size(), 1) << "only the 4 s gap is long enough";

    options.minSilenceSeconds = 1e300;
    options.minPieceSeconds = std::nan("");
    EXPECT_TRUE(search(mp3, options).silences.isEmpty()) << "an absurd minimum finds nothing";
    EXPECT_EQ(search(mp3, options).plan.pieces.size(), 1);
}

TEST_F(SilenceSearchFiles, NoSilenceOrOnlySilenceGiveOnePiece)
{
    const QString tone = dir->filePath("tone.mp3");
    testsupport::ffmpeg(
        {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "30", tone});
    SilenceOptions options;
    SilenceReport report = search(tone, options);
    EXPECT_TRUE(report.silences.isEmpty());
    ASSERT_EQ(report.plan.pieces.size(), 1);
    EXPECT_EQ(report.plan.pieces[0].end, SegmentPoint::frame(report.frames, kRate));

    const QString quiet = dir->filePath("quiet.wav");
    testsupport::ffmpeg({"-f", "lavfi", "-i", "anullsrc=r=22050:cl=stereo", "-t", "5", quiet});
    report = search(quiet, options);
    EXPECT_EQ(report.silences, (QVector<FrameRange>{{0, 5 * 22050}}));
    ASSERT_EQ(report.plan.pieces.size(), 1);
    EXPECT_EQ(report.plan.pieces[0].begin, SegmentPoint::frame(0, 22050));
    EXPECT_EQ(report.plan.pieces[0].end, SegmentPoint::frame(5 * 22050, 22050));
    options.dropSilence = true;
    EXPECT_TRUE(search(quiet, options).plan.pieces.isEmpty()) << "nothing left to keep";
}

TEST_F(SilenceSearchFiles, ReportsProgressAndStopsWhenTold)
{
    QVector<int64_t> seen;
    const auto all = FindSilences(wav, {}, [&](int64_t done, int64_t total) {
        EXPECT_EQ(total, std::llround(75.5 * kRate));
        seen.append(done);
        return true;
    });
    ASSERT_TRUE(all);
    ASSERT_GT(seen.size(), 10);
    EXPECT_TRUE(std::is_sorted(seen.cbegin(), seen.cend()));
    EXPECT_EQ(seen.last(), all->frames);

    int calls = 0;
    EXPECT_FALSE(FindSilences(wav, {}, [&](int64_t, int64_t) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3) << "no block is read after the stop";
}

TEST_F(SilenceSearchFiles, AnUnreadableFileThrowsTheReadersError)
{
    const QString bad = dir->filePath("bad.mp3");
    testsupport::writeAll(bad, "not audio at all");
    EXPECT_THROW(FindSilences(bad, {}), AudioError);
    EXPECT_THROW(FindSilences(dir->filePath("missing.wav"), {}), AudioError);
}
