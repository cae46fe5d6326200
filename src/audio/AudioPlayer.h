// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleArray.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <vector>

// The player component: plays blocks of interleaved float frames through
// SDL2 audio. Blocks are copied into SDL's queue; a timer on the thread that
// owns the player polls the device and raises the events there.
class AudioPlayer : public QObject {
    Q_OBJECT
public:
    explicit AudioPlayer(QObject* parent = nullptr);
    ~AudioPlayer() override;

    // Prepares playback of blocks with this rate and channel count; what was
    // queued before is dropped. Throws AudioError.
    void OpenOutput(int rate, int channels);
    // Copies the block into the play queue. An empty block tells the player
    // that no more data will come. Throws AudioError.
    void QueueBlock(const SampleArray& block);
    void Play();
    // Stops playback and drops the queue.
    void Stop();
    // Drops the queue and restarts the played count; while playing, the
    // player then asks for data at its next poll (OnRequestOnLoadArray).
    void Flush();

    bool isOpen() const { return m_device != 0; }
    bool isPlaying() const { return m_playing; }
    // Frames played since the last Play or Flush.
    int64_t framesPlayed() const;
    // How often the device is polled and OnTimer raised.
    void setPollInterval(int ms) { m_timer.setInterval(ms); }

signals:
    // Raised at every poll while playing. The played count comes third, where
    // the preview reads it: `playedFrames` is the number of frames played
    // since the last Play or Flush (what the position display needs). The
    // levels before it are the peaks of the left and right channel (the only
    // channel for mono) over the frames played since the previous poll, 0 to
    // 32767.
    void OnTimer(int levelLeft, int levelRight, int playedFrames);
    // The queue runs low (or is empty after Flush): queue the next block.
    void OnRequestOnLoadArray();
    // A queued block has played out.
    void OnEndArrayPlay();
    // Everything queued has played and no more data came.
    void OnEndPlay();

private:
    void poll();
    void resetQueue();
    void recordLevels(const SampleArray& block);
    std::pair<int, int> levelsUpTo(int64_t played);
    int64_t playedSinceFlush() const;

    uint32_t m_device = 0;
    int m_rate = 0;
    int m_channels = 0;
    bool m_playing = false;
    QTimer m_timer;

    int64_t m_queued = 0;   // frames queued since the last Flush
    int64_t m_playBase = 0; // frames played since Flush when Play was called
    std::deque<int64_t> m_blockEnds;
    bool m_noMoreData = false;
    bool m_requestOpen = false; // asked for data, none came yet
    uint64_t m_polls = 0;
    uint64_t m_requestPoll = 0;
    bool m_endSeen = false;    // the queue ran empty at the previous poll
    uint64_t m_generation = 0; // changes whenever the queue is dropped

    // Peak levels per bucket of frames, for the level values of OnTimer.
    std::deque<std::pair<uint16_t, uint16_t>> m_peaks;
    int64_t m_peaksFirstBucket = 0;
    int64_t m_levelsFrom = 0;
};
