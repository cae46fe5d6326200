#pragma once

#include "player/PreviewSource.h"

#include <QObject>
#include <QString>

class AudioFile;
class AudioPlayer;
class Prompts;
class SessionState;
class SkinFrame;
class SkinObject;
class SkinScroller;
class SkinText;

// The front panel elements the preview moves: the position slider "pb" and
// the time label "timecaption".
struct PreviewPanel {
    SkinScroller* pb = nullptr;
    SkinFrame* pbFrame = nullptr;
    SkinText* timecaption = nullptr;
    SkinFrame* timecaptionFrame = nullptr;
};

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

    // The panel is known once the main window has been shown; until then the
    // commands do nothing.
    void attachPanel(const PreviewPanel& panel);

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

    // Slider events of the front panel; each acts only on "pb".
    void Skin1MouseDown(SkinObject* source);
    void Skin1MouseUp(SkinObject* source);
    void Skin1ScrollTrack(SkinObject* source);

    // The slider's usable range: its maximum minus its thumb size, now.
    int SliderRange() const;

    // Whether the running preview plays a segment (chosen when it started,
    // so that clicking another list meanwhile does not change the display).
    bool playsSegment() const { return m_segmentMode; }

private:
    bool canStart() const;
    // Closes a previous file, opens the entry's file and the player output.
    // On failure the preview is left idle and the error passes on.
    void openPreviewFile(int fileRow);
    int segmentStartSample(const PreviewSource::Segment& segment) const;
    int segmentLengthSamples(const PreviewSource::Segment& segment) const;
    void showTime(int seconds);
    void moveSlider(int position);
    bool isSlider(SkinObject* source) const;
    template <typename Handler> void guarded(Handler&& handler);
    void step(int direction);

    AudioFile& m_reader;
    AudioPlayer& m_player;
    PreviewSource& m_source;
    SessionState& m_state;
    Prompts& m_prompts;
    PreviewPanel m_panel;
    bool m_segmentMode = false;
    PreviewSource::Segment m_segment; // bounds of the playing segment
};
