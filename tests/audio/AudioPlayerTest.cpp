// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioPlayer.h"
#include "audio/AudioError.h"
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

namespace {

using testsupport::waitFor;

constexpr int kRate = 44100;

// Plays into a file through SDL's disk driver, a little faster than real
// time (a buffer of 1024 frames every 20 ms), so that what was played can be
// compared with what was queued.
class PlayerOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(output()));
        qputenv("SDL_DISKAUDIODELAY", "20");
    }
    QString output() const { return dir.filePath("played.raw"); }

    static SampleArray block(int frames, int channels, float seed)
    {
        SampleArray a;
        a.channels = channels;
        a.rate = kRate;
        for (int i = 0; i < frames * channels; ++i)
            a.samples.push_back(0.5f * std::sin(seed + i * 0.01f) + 0.01f);
        return a;
    }
    // The disk driver's file is complete once the device is closed.
    QByteArray playedBytes(std::unique_ptr<AudioPlayer>& player)
    {
        player.reset();
        return testsupport::readAll(output());
    }
    // Where `part` occurs in `whole`, or -1.
    static qsizetype find(const QByteArray& whole, const QByteArray& part)
    {
        const auto at = std::search(whole.begin(), whole.end(), part.begin(), part.end());
        return at == whole.end() ? -1 : at - whole.begin();
    }
    static QByteArray bytes(const SampleArray& a)
    {
        return QByteArray(reinterpret_cast<const char*>(a.samples.data()),
                          static_cast<qsizetype>(a.samples.size() * sizeof(float)));
    }

    QTemporaryDir dir;
};

TEST_F(PlayerOnDisk, PlaysWhatWasQueuedByteForByteAndReportsProgress)
{
    auto owner = std::make_unique<AudioPlayer>();
    AudioPlayer& player = *owner;
    player.OpenOutput(kRate, 2);
    std::vector<SampleArray> blocks{block(22050, 2, 0.0f), block(17000, 2, 1.0f),
                                    block(5000, 2, 2.0f)};
    size_t next = 0;
    auto feed = [&] { player.QueueBlock(next < blocks.size() ? blocks[next++] : SampleArray{}); };
    std::vector<int> progress;
    int blocksPlayed = 0, ends = 0, peak = 0;
    QObject::connect(owner.get(), &AudioPlayer::OnRequestOnLoadArray, feed);
    QObject::connect(owner.get(), &AudioPlayer::OnEndArrayPlay, [&] {
        ++blocksPlayed;
        feed();
    });
    QObject::connect(owner.get(), &AudioPlayer::OnEndPlay, [&] { ++ends; });
    QObject::connect(owner.get(), &AudioPlayer::OnTimer, [&](int left, int right, int played) {
        progress.push_back(played);
        peak = std::max({peak, left, right});
    });
    // Everything is queued before the device starts: fed from the events, a
    // block could come after the device ran dry on a busy machine, and the
    // device fills such a gap with silence.
    feed();
    feed();
    feed();
    player.Play();
    ASSERT_TRUE(waitFor([&] { return ends > 0; }, "the end of playback"));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(blocksPlayed, 3);
    EXPECT_FALSE(player.isPlaying());

    ASSERT_GE(progress.size(), 2u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 44050);
    EXPECT_NEAR(peak, 0.51 * 32767, 400);

    const QByteArray played = playedBytes(owner);
    QByteArray queued;
    for (const SampleArray& b : blocks)
        queued.append(bytes(b));
    EXPECT_GE(find(played, queued), 0);
}

TEST_F(PlayerOnDisk, FlushDropsTheQueueRestartsTheCountAndAsksForData)
{
    auto owner = std::make_unique<AudioPlayer>();
    AudioPlayer& player = *owner;
    player.OpenOutput(kRate, 1);
    const SampleArray first = block(kRate * 10, 1, 0.0f);
    const SampleArray second = block(6000, 1, 3.0f);
    int lastProgress = -1, requests = 0, ends = 0;
    bool flushed = false;
    QObject::connect(owner.get(), &AudioPlayer::OnTimer,
                     [&](int, int, int played) { lastProgress = played; });
    QObject::connect(owner.get(), &AudioPlayer::OnRequestOnLoadArray, [&] {
        ++requests;
        if (flushed)
            player.QueueBlock(requests == 1 ? second : SampleArray{});
    });
    QObject::connect(owner.get(), &AudioPlayer::OnEndPlay, [&] { ++ends; });
    player.QueueBlock(first);
    player.Play();
    ASSERT_TRUE(waitFor([&] { return lastProgress > 8000; }, "8000 frames played"));
    EXPECT_EQ(requests, 0); // ten seconds queued: nothing asked for yet

    flushed = true;
    player.Flush();
    EXPECT_EQ(player.framesPlayed(), 0);
    ASSERT_TRUE(waitFor([&] { return ends > 0; }, "the end of playback"));
    EXPECT_EQ(requests, 2); // the new data, then the end of it
    EXPECT_EQ(lastProgress, 6000);

    // The new data played whole, the rest of the old never did.
    const QByteArray played = playedBytes(owner);
    EXPECT_GE(find(played, bytes(second)), 0);
    EXPECT_LT(played.size(), bytes(first).size());
}

// The preview takes the played count from the third integer of the timer
// event; the two before it are the channel levels.
TEST_F(PlayerOnDisk, TimerCarriesTheLevelsFirstAndThePlayedCountThird)
{
    auto owner = std::make_unique<AudioPlayer>();
    AudioPlayer& player = *owner;
    player.OpenOutput(kRate, 2);
    constexpr int kFrames = 30000;
    SampleArray quietLeft;
    quietLeft.channels = 2;
    quietLeft.rate = kRate;
    for (int i = 0; i < kFrames; ++i) {
        quietLeft.samples.push_back(0.25f);
        quietLeft.samples.push_back(-0.75f);
    }
    struct Tick {
        int first, second, third;
    };
    std::vector<Tick> ticks;
    int ends = 0;
    QObject::connect(owner.get(), &AudioPlayer::OnTimer, [&](int a, int b, int c) {
        ticks.push_back({a, b, c});
    });
    // The block is queued at the first poll and the end at the next: the
    // first tick comes before any of it played and two more follow, however
    // late the polls come on a busy machine.
    int requests = 0;
    QObject::connect(owner.get(), &AudioPlayer::OnRequestOnLoadArray,
                     [&] { player.QueueBlock(requests++ == 0 ? quietLeft : SampleArray{}); });
    QObject::connect(owner.get(), &AudioPlayer::OnEndPlay, [&] { ++ends; });
    player.Play();
    ASSERT_TRUE(waitFor([&] { return ends > 0; }, "the end of playback"));

    ASSERT_GE(ticks.size(), 3u);
    EXPECT_EQ(ticks.back().third, kFrames);
    int highestLeft = 0, highestRight = 0;
    for (size_t i = 0; i < ticks.size(); ++i) {
        if (i > 0) {
            EXPECT_GE(ticks[i].third, ticks[i - 1].third);
        }
        EXPECT_LE(ticks[i].first, 32767);
        EXPECT_LE(ticks[i].second, 32767);
        highestLeft = std::max(highestLeft, ticks[i].first);
        highestRight = std::max(highestRight, ticks[i].second);
    }
    EXPECT_NEAR(highestLeft, 0.25 * 32767, 2);
    EXPECT_NEAR(highestRight, 0.75 * 32767, 2);
}

TEST_F(PlayerOnDisk, StopEndsPlaybackWithoutEvents)
{
    AudioPlayer player;
    player.OpenOutput(kRate, 2);
    int events = 0;
    QObject::connect(&player, &AudioPlayer::OnEndPlay, [&] { ++events; });
    QObject::connect(&player, &AudioPlayer::OnEndArrayPlay, [&] { ++events; });
    constexpr int kPollMs = 10;
    player.setPollInterval(kPollMs);
    player.QueueBlock(block(100, 2, 0.0f));
    player.Play();
    player.Stop();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.framesPlayed(), 0);
    // Timers fire in the order they fall due: once one started now for two
    // poll intervals has fired, a poll still running would have come first.
    bool pollsDue = false;
    QTimer::singleShot(2 * kPollMs, [&] { pollsDue = true; });
    ASSERT_TRUE(waitFor([&] { return pollsDue; }, "the time of two polls"));
    EXPECT_EQ(events, 0);
}

TEST_F(PlayerOnDisk, MisuseIsRefusedWithAnError)
{
    AudioPlayer player;
    EXPECT_THROW(player.QueueBlock(block(10, 2, 0.0f)), AudioError);
    EXPECT_THROW(player.Play(), AudioError);
    EXPECT_THROW(player.OpenOutput(0, 2), AudioError);
    EXPECT_THROW(player.OpenOutput(44100, 0), AudioError);
    player.OpenOutput(kRate, 2);
    EXPECT_THROW(player.QueueBlock(block(10, 1, 0.0f)), AudioError);
}

} // namespace
