// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/Preview.h"

#include "audio/AudioFile.h"
#include "audio/AudioPlayer.h"
#include "base/Guarded.h"
#include "base/PositionSlider.h"
#include "base/SessionState.h"
#include "base/TimeCode.h"

#include <algorithm>
#include <limits>

using timecode::Scale;

namespace {

const QString kSlider = QStringLiteral("pb");

// A frame position or count in the 32-bit range the player's arithmetic
// works in; one that does not fit reads -1, as Scale gives it.
int32_t frameCount(int64_t frames)
{
    return frames >= std::numeric_limits<int32_t>::min() &&
                   frames <= std::numeric_limits<int32_t>::max()
               ? static_cast<int32_t>(frames)
               : -1;
}

// The segment's length in whole seconds, as the slider's time shows it.
int32_t segmentSeconds(const PreviewSource::Segment& segment)
{
    return static_cast<int32_t>((segment.endMs - segment.beginMs) / 1000);
}

// Played frames plus the start offset, kept inside the 32-bit counts the
// conversions work with.
int32_t playedPosition(int playedFrames, int startSample)
{
    const int64_t sum = static_cast<int64_t>(playedFrames) + startSample;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, 0, std::numeric_limits<int32_t>::max()));
}

} // namespace

Preview::Preview(AudioFile& reader, AudioPlayer& player, PreviewSource& source, SessionState& state,
                 Prompts& prompts, QObject* parent)
    : QObject(parent), m_reader(reader), m_player(player), m_source(source), m_state(state),
      m_prompts(prompts)
{
    connect(&m_player, &AudioPlayer::OnEndArrayPlay, this,
            [this] { guarded([this] { AudioPlayer21EndArrayPlay(); }); });
    connect(&m_player, &AudioPlayer::OnRequestOnLoadArray, this,
            [this] { guarded([this] { AudioPlayer21RequestOnLoadArray(); }); });
    connect(&m_player, &AudioPlayer::OnEndPlay, this,
            [this] { guarded([this] { AudioPlayer21EndPlay(); }); });
    connect(&m_player, &AudioPlayer::OnTimer, this, [this](int left, int right, int played) {
        guarded([&] { AudioPlayer21Timer(left, right, played); });
    });
}

void Preview::attachSlider(PositionSlider& slider)
{
    m_slider = &slider;
}

template <typename Handler> void Preview::guarded(Handler&& handler)
{
    // A player event that fails leaves nothing playing: a preview without
    // data would otherwise hold the reader and the play commands.
    RunGuarded(m_prompts, [&] {
        try {
            handler();
        } catch (...) {
            if (m_state.PreviewActive())
                StopPreview();
            throw;
        }
    });
}

int Preview::SliderRange() const
{
    if (!m_slider)
        return 0;
    return timecode::SliderRange(m_slider->GetMax(), m_slider->GetThumbSize());
}

bool Preview::canStart() const
{
    // The reader is the preview's only while nothing else uses it: no job,
    // no files being added, no preview already playing.
    if (!m_slider || m_state.mode() != SessionState::Mode::Idle)
        return false;
    const int row = m_source.selectedFileRow();
    return row >= 0 && row < m_source.fileCount();
}

void Preview::openPreviewFile(int fileRow)
{
    m_reader.OpenRead(m_source.filePath(fileRow), 0, 1);
    m_player.OpenOutput(m_reader.GetSampleRate(), m_reader.GetChannels());
}

void Preview::PlayFromSlider()
{
    if (!canStart())
        return;
    if (m_reader.IsOpen())
        m_reader.Close();
    m_state.setMode(SessionState::Mode::Previewing);
    m_state.setPreviewFileIndex(m_source.selectedFileRow());
    m_segmentMode = false;
    try {
        openPreviewFile(m_state.PreviewFileIndex());
        m_state.setSliderPosition(m_slider->GetPosition());
        m_state.setPreviewStartSample(
            Scale(m_state.SliderPosition(), m_reader.GetSampleCount(), SliderRange()));
        m_reader.Seek(m_state.PreviewStartSample(), 3);
        m_player.Play();
        QueueNextBlock();
    } catch (...) {
        // Left idle, so that the next play command works at once.
        StopPreview();
        throw;
    }
}

void Preview::PlaySegment()
{
    if (!canStart())
        return;
    const int fileRow = m_source.selectedFileRow();
    const int segmentRow = m_source.selectedSegmentRow();
    // Under Unification every file shares the first file's segments.
    const int boundsRow = m_source.functionChoice() == 3 ? 0 : fileRow;
    const auto segment = m_source.segment(boundsRow, segmentRow);
    if (!segment)
        return;
    if (m_reader.IsOpen())
        m_reader.Close();
    m_state.setMode(SessionState::Mode::Previewing);
    m_state.setPreviewFileIndex(fileRow);
    m_state.setPreviewSegmentIndex(segmentRow);
    m_segmentMode = true;
    m_segment = *segment;
    try {
        openPreviewFile(fileRow);
        m_reader.Seek(segmentStartSample(m_segment), 3);
        m_state.setPreviewStartSample(0);
        m_player.Play();
        m_source.startPlaying(segmentRow);
        QueueNextBlock();
    } catch (...) {
        StopPreview();
        throw;
    }
}

void Preview::PlaySelection()
{
    if (m_state.JobRunning())
        return;
    const int choice = m_source.functionChoice();
    if (m_state.SegmentSelected() && (choice == 0 || choice == 3))
        PlaySegment();
    else
        PlayFromSlider();
}

void Preview::StopPreview()
{
    m_player.Stop();
    if (m_reader.IsOpen())
        m_reader.Close();
    if (m_source.fileCount() > 0)
        m_source.endPlaying(m_state.PreviewSegmentIndex());
    m_state.setSliderPosition(0);
    if (m_slider) {
        moveSlider(0);
        showTime(0);
    }
    m_state.leave(SessionState::Mode::Previewing);
    m_state.setSliderDragging(false);
}

void Preview::QueueNextBlock()
{
    // Events queued before a stop may still arrive; the reader is closed then.
    if (!m_state.PreviewActive() || !m_reader.IsOpen())
        return;
    const SampleArray block = m_reader.ReadBlock(kBlockFrames);
    m_player.QueueBlock(block);
}

void Preview::AudioPlayer21EndArrayPlay()
{
    QueueNextBlock();
}

void Preview::AudioPlayer21RequestOnLoadArray()
{
    QueueNextBlock();
}

void Preview::AudioPlayer21EndPlay()
{
    // A stop queued behind an earlier one finds nothing left to stop; the
    // reader may belong to a job or to adding by then.
    if (m_state.PreviewActive())
        StopPreview();
}

void Preview::AudioPlayer21Timer(int, int, int playedFrames)
{
    if (m_state.SliderDragging() || !m_state.PreviewActive() || !m_slider || !m_reader.IsOpen())
        return;
    const int range = SliderRange();
    const int32_t played = playedPosition(playedFrames, m_state.PreviewStartSample());
    const int32_t sampleCount = m_reader.GetSampleCount();
    int position = 0;
    if (!m_segmentMode) {
        position = Scale(played, range, sampleCount);
    } else {
        const int length = segmentLengthSamples(m_segment);
        // A segment without length has been played as soon as it starts.
        position = length > 0 ? Scale(played, range, length) : range;
    }
    if (position > range)
        position = range;
    moveSlider(position);
    showTime(Scale(played, m_reader.GetDurationMs() / 1000, sampleCount));
    m_state.setSliderPosition(m_slider->GetPosition());
    if (m_state.SliderPosition() >= range)
        StopPreview();
}

int Preview::segmentStartSample(const PreviewSource::Segment& segment) const
{
    if (segment.beginFrame)
        return frameCount(*segment.beginFrame);
    return frameCount(
        timecode::Scale64(segment.beginMs, m_reader.GetSampleCount(), m_reader.GetDurationMs()));
}

int Preview::segmentLengthSamples(const PreviewSource::Segment& segment) const
{
    if (segment.beginFrame && segment.endFrame)
        return frameCount(*segment.endFrame - *segment.beginFrame);
    return frameCount(timecode::Scale64(segment.endMs - segment.beginMs, m_reader.GetSampleCount(),
                                        m_reader.GetDurationMs()));
}

void Preview::showTime(int seconds)
{
    emit positionTimeChanged(timecode::FormatTime(seconds));
}

void Preview::moveSlider(int position)
{
    m_state.setSliderPosition(position);
    m_slider->SetPosition(position);
}

bool Preview::isSlider(const QString& elementName) const
{
    return m_slider && elementName == kSlider;
}

void Preview::Skin1MouseDown(const QString& elementName)
{
    if (isSlider(elementName))
        m_state.setSliderDragging(true);
}

void Preview::Skin1ScrollTrack(const QString& elementName)
{
    if (!isSlider(elementName) || !m_state.SliderDragging())
        return;
    const int row = m_source.selectedFileRow();
    if (row < 0 || row >= m_source.fileCount())
        return;
    const int range = SliderRange();
    m_state.setSliderPosition(std::min(m_slider->GetPosition(), range));
    if (m_state.PreviewActive() && m_segmentMode)
        showTime(Scale(m_state.SliderPosition(), segmentSeconds(m_segment), range));
    else
        showTime(Scale(m_state.SliderPosition(), m_source.fileSeconds(row), range));
}

void Preview::Skin1MouseUp(const QString& elementName)
{
    if (!isSlider(elementName))
        return;
    m_state.setSliderDragging(false);
    if (!m_state.PreviewActive())
        return;
    const int range = SliderRange();
    const int position = m_slider->GetPosition();
    m_state.setSliderPosition(position);
    if (position >= range) {
        StopPreview();
        return;
    }
    if (m_segmentMode) {
        m_state.setPreviewStartSample(Scale(position, segmentLengthSamples(m_segment), range));
        m_reader.Seek(segmentStartSample(m_segment) + m_state.PreviewStartSample(), 3);
    } else {
        m_state.setPreviewStartSample(Scale(position, m_reader.GetSampleCount(), range));
        m_reader.Seek(m_state.PreviewStartSample(), 3);
    }
    // The player asks for data from the new position and counts from 0 again.
    m_player.Flush();
}

void Preview::step(int direction)
{
    if (!m_slider || m_state.PreviewActive())
        return;
    const int row = m_source.selectedFileRow();
    if (row < 0 || row >= m_source.fileCount())
        return;
    const int seconds = m_source.fileSeconds(row);
    // An entry of no length (a folder's unreadable file) has nowhere to step to.
    if (seconds <= 0)
        return;
    const int range = SliderRange();
    int position = m_slider->GetPosition();
    m_state.setSliderPosition(position);
    int stepSize = range / seconds;
    if (stepSize == 1)
        stepSize = 2;
    if (direction > 0) {
        position += stepSize;
        m_state.setSliderPosition(position);
        if (position >= range)
            return;
    } else {
        position = std::max(position - stepSize, 0);
    }
    moveSlider(position);
    showTime(Scale(position, seconds, range));
}

void Preview::StepForward()
{
    step(+1);
}

void Preview::StepBack()
{
    step(-1);
}
