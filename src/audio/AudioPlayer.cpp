// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioPlayer.h"

#include "audio/AudioError.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kPollMs = 40;
// Reading a large block takes a moment on the GUI thread, so the next one is
// asked for while this much is still queued.
constexpr int kLowWaterSeconds = 2;
constexpr int kBucketFrames = 1024;

void initAudio()
{
    static bool done = false;
    if (done)
        return;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        throw AudioError(QStringLiteral("Cannot start the audio output: %1.")
                             .arg(QString::fromUtf8(SDL_GetError())));
    done = true;
}

uint16_t toLevel(float peak)
{
    return static_cast<uint16_t>(std::lround(std::min(peak, 1.0f) * 32767));
}

} // namespace

AudioPlayer::AudioPlayer(QObject* parent) : QObject(parent)
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &AudioPlayer::poll);
}

AudioPlayer::~AudioPlayer()
{
    if (m_device)
        SDL_CloseAudioDevice(m_device);
}

void AudioPlayer::OpenOutput(int rate, int channels)
{
    if (rate <= 0 || channels <= 0 || channels > 8)
        throw AudioError(
            QStringLiteral("Cannot play %1 Hz with %2 channels.").arg(rate).arg(channels));
    Stop();
    if (m_device && rate == m_rate && channels == m_channels)
        return;
    initAudio();
    if (m_device) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = static_cast<Uint8>(channels);
    want.samples = 1024;
    // Without allowed changes SDL converts to whatever the device takes, so
    // the queue always holds our own format.
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0)
        throw AudioError(QStringLiteral("Cannot open the audio output: %1.")
                             .arg(QString::fromUtf8(SDL_GetError())));
    m_device = device;
    m_rate = rate;
    m_channels = channels;
}

void AudioPlayer::resetQueue()
{
    if (m_device)
        SDL_ClearQueuedAudio(m_device);
    m_queued = 0;
    m_playBase = 0;
    m_blockEnds.clear();
    m_noMoreData = false;
    m_requestOpen = false;
    m_endSeen = false;
    m_peaks.clear();
    m_peaksFirstBucket = 0;
    m_levelsFrom = 0;
    ++m_generation;
}

void AudioPlayer::QueueBlock(const SampleArray& block)
{
    if (!m_device)
        throw AudioError(QStringLiteral("The audio output is not open."));
    m_requestOpen = false;
    m_endSeen = false;
    if (block.samples.empty()) {
        m_noMoreData = true;
        return;
    }
    if (block.channels != m_channels)
        throw AudioError(
            QStringLiteral("A block of %1 channels cannot be played on an output of %2.")
                .arg(block.channels)
                .arg(m_channels));
    // Played at the output's rate, a block of another rate would sound at the
    // wrong pitch and move the position display at the wrong speed.
    if (block.rate != m_rate)
        throw AudioError(QStringLiteral("A block of %1 Hz cannot be played on an output of %2 Hz.")
                             .arg(block.rate)
                             .arg(m_rate));
    const size_t bytes = block.samples.size() * sizeof(float);
    if (SDL_QueueAudio(m_device, block.samples.data(), static_cast<Uint32>(bytes)) != 0)
        throw AudioError(
            QStringLiteral("Cannot queue audio: %1.").arg(QString::fromUtf8(SDL_GetError())));
    recordLevels(block);
    m_queued += block.frames();
    m_blockEnds.push_back(m_queued);
    m_noMoreData = false;
}

void AudioPlayer::Play()
{
    if (!m_device)
        throw AudioError(QStringLiteral("The audio output is not open."));
    m_playBase = playedSinceFlush();
    m_playing = true;
    SDL_PauseAudioDevice(m_device, 0);
    m_timer.start();
}

void AudioPlayer::Stop()
{
    m_timer.stop();
    m_playing = false;
    if (m_device)
        SDL_PauseAudioDevice(m_device, 1);
    resetQueue();
}

void AudioPlayer::Flush()
{
    resetQueue();
}

int64_t AudioPlayer::playedSinceFlush() const
{
    if (!m_device)
        return 0;
    const int64_t waiting =
        SDL_GetQueuedAudioSize(m_device) / (static_cast<int64_t>(sizeof(float)) * m_channels);
    return std::max<int64_t>(m_queued - waiting, 0);
}

int64_t AudioPlayer::framesPlayed() const
{
    return playedSinceFlush() - m_playBase;
}

void AudioPlayer::recordLevels(const SampleArray& block)
{
    const int frames = block.frames();
    const float* s = block.samples.data();
    for (int i = 0; i < frames; ++i) {
        const int64_t bucket = (m_queued + i) / kBucketFrames - m_peaksFirstBucket;
        while (bucket >= static_cast<int64_t>(m_peaks.size()))
            m_peaks.emplace_back(0, 0);
        auto& peak = m_peaks[static_cast<size_t>(bucket)];
        const uint16_t left = toLevel(std::abs(s[0]));
        const uint16_t right = toLevel(std::abs(s[m_channels > 1 ? 1 : 0]));
        peak.first = std::max(peak.first, left);
        peak.second = std::max(peak.second, right);
        s += m_channels;
    }
}

std::pair<int, int> AudioPlayer::levelsUpTo(int64_t played)
{
    int left = 0, right = 0;
    const int64_t lastBucket = played / kBucketFrames;
    for (int64_t b = m_levelsFrom / kBucketFrames; b <= lastBucket && played > m_levelsFrom; ++b) {
        const int64_t i = b - m_peaksFirstBucket;
        if (i < 0 || i >= static_cast<int64_t>(m_peaks.size()))
            continue;
        left = std::max<int>(left, m_peaks[i].first);
        right = std::max<int>(right, m_peaks[i].second);
    }
    m_levelsFrom = played;
    // Buckets wholly played are no longer needed.
    while (!m_peaks.empty() && (m_peaksFirstBucket + 1) * kBucketFrames <= played) {
        m_peaks.pop_front();
        ++m_peaksFirstBucket;
    }
    return {left, right};
}

void AudioPlayer::poll()
{
    if (!m_playing || !m_device)
        return;
    ++m_polls;
    const uint64_t generation = m_generation;
    // Every handler may queue, flush or stop; after a change of the queue
    // this poll has nothing more to say.
    auto changed = [&] { return !m_playing || generation != m_generation; };

    const int64_t played = playedSinceFlush();
    const auto [left, right] = levelsUpTo(played);
    // A count past the 32-bit range (a day of continuous play) stays at its
    // top rather than wrapping to a negative position.
    const int64_t sincePlay = played - m_playBase;
    emit OnTimer(left, right,
                 static_cast<int>(std::min<int64_t>(sincePlay, std::numeric_limits<int>::max())));
    if (changed())
        return;
    while (!m_blockEnds.empty() && played >= m_blockEnds.front()) {
        m_blockEnds.pop_front();
        emit OnEndArrayPlay();
        if (changed())
            return;
    }
    const int64_t waiting = m_queued - played;
    if (waiting <= static_cast<int64_t>(m_rate) * kLowWaterSeconds && !m_noMoreData &&
        !m_requestOpen) {
        m_requestOpen = true;
        m_requestPoll = m_polls;
        emit OnRequestOnLoadArray();
        if (changed())
            return;
    }
    const bool starved = m_requestOpen && m_requestPoll < m_polls;
    if (waiting > 0 || !(m_noMoreData || starved)) {
        m_endSeen = false;
        return;
    }
    // SDL's queue is empty, but the device still plays its last buffer:
    // the end is reported one poll later.
    if (!m_endSeen) {
        m_endSeen = true;
        return;
    }
    m_timer.stop();
    m_playing = false;
    emit OnEndPlay();
}
