// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player/PreviewSource.h"

#include <QObject>
#include <QString>

class AudioFile;
class AudioPlayer;
class PositionSlider;
class Prompts;
class SessionState;

// Plays the selected file from the slider's position, or the selected segment
// from its begin to its end, through the player, block by block from the
// shared reader; moves the slider and the time label from the player's timer
// and lets the slider be dragged, stepped and used to jump.
//
// The reader is the one the jobs and the job list use: the jobs stop the
// preview before they start, and a play command refuses while a job runs.
class Preview : public QObject {
    Q_OBJECT
public:
    // Frames handed to the player at a time (100 seconds at 44100 Hz).
    static constexpr int kBlockFrames = 4410000;

    Preview(AudioFile& reader, AudioPlayer& player, PreviewSource& source, SessionState& state,
            Prompts& prompts, QObject* parent = nullptr);

    // The position slider is known once the main window has been shown;
    // until then the commands do nothing. The time shown beside it goes out
    // as positionTimeChanged.
    void attachSlider(PositionSlider& slider);

    // Commands. Each may throw; the caller shows the error.
    void PlayFromSlider();
    void PlaySegment();
    void PlaySelection();
    void StopPreview();
    void QueueNextBlock();
    void StepForward();
    void StepBack();

    // Player events (connected in the constructor; errors are shown here).
    void AudioPlayer21EndArrayPlay();
    void AudioPlayer21RequestOnLoadArray();
    void AudioPlayer21EndPlay();
    void AudioPlayer21Timer(int levelLeft, int levelRight, int playedFrames);

    // Mouse events on a front panel element; each acts only on the slider "pb".
    void Skin1MouseDown(const QString& elementName);
    void Skin1MouseUp(const QString& elementName);
    void Skin1ScrollTrack(const QString& elementName);

    // The slider's usable range: its maximum minus its thumb size, now.
    int SliderRange() const;

    // Whether the running preview plays a segment (chosen when it started,
    // so that clicking another list meanwhile does not change the display).
    bool playsSegment() const { return m_segmentMode; }

signals:
    // The text of the front panel's "timecaption".
    void positionTimeChanged(const QString& text);

private:
    bool canStart() const;
    // Closes a previous file, opens the entry's file and the player output.
    // On failure the preview is left idle and the error passes on.
    void openPreviewFile(int fileRow);
    int segmentStartSample(const PreviewSource::Segment& segment) const;
    int segmentLengthSamples(const PreviewSource::Segment& segment) const;
    void showTime(int seconds);
    void moveSlider(int position);
    bool isSlider(const QString& elementName) const;
    template <typename Handler> void guarded(Handler&& handler);
    void step(int direction);

    AudioFile& m_reader;
    AudioPlayer& m_player;
    PreviewSource& m_source;
    SessionState& m_state;
    Prompts& m_prompts;
    PositionSlider* m_slider = nullptr;
    bool m_segmentMode = false;
    PreviewSource::Segment m_segment; // bounds of the playing segment
};
