#include "player/Preview.h"

#include "audio/AudioFile.h"
#include "audio/AudioPlayer.h"
#include "base/Guarded.h"
#include "base/TimeCode.h"
#include "skin/SkinInterfaces.h"

#include <algorithm>
#include <limits>

using timecode::Scale;

namespace {

const QString kPlaying = QStringLiteral("Playing");
const QString kSlider = QStringLiteral("pb");

// Played frames plus the start offset, kept inside the 32-bit counts the
// conversions work with.
int32_t playedPosition(int playedFrames, int startSample)
{
    const int64_t sum = static_cast<int64_t>(playedFrames) + startSample;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, 0, std::numeric_limits<int32_t>::max()));
}

} // namespace

Preview::Preview(AudioFile& reader, AudioPlayer& player, PreviewSource& source, Prompts& prompts,
                 QObject* parent)
    : QObject(parent), m_reader(reader), m_player(player), m_source(source), m_prompts(prompts)
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

void Preview::attachPanel(const PreviewPanel& panel)
{
    m_panel = panel;
}

template <typename Handler> void Preview::guarded(Handler&& handler)
{
    // A player event that fails leaves nothing playing: a preview without
    // data would otherwise hold the reader and the play commands.
    RunGuarded(m_prompts, [&] {
        try {
            handler();
        } catch (...) {
            if (PreviewActive)
                StopPreview();
            throw;
        }
    });
}

int Preview::SliderRange() const
{
    if (!m_panel.pb)
        return 0;
    return timecode::SliderRange(m_panel.pb->GetMax(), m_panel.pb->GetThumbSize());
}

bool Preview::canStart() const
{
    if (!m_panel.pb || m_source.JobRunning() || PreviewActive)
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
    PreviewActive = true;
    PreviewFileIndex = m_source.selectedFileRow();
    m_segmentMode = false;
    try {
        openPreviewFile(PreviewFileIndex);
        SliderPosition() = m_panel.pb->GetPosition();
        PreviewStartSample = Scale(SliderPosition(), m_reader.GetSampleCount(), SliderRange());
        m_reader.Seek(PreviewStartSample, 3);
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
    PreviewActive = true;
    PreviewFileIndex = fileRow;
    PreviewSegmentIndex = segmentRow;
    m_segmentMode = true;
    m_segment = *segment;
    try {
        openPreviewFile(fileRow);
        m_reader.Seek(segmentStartSample(m_segment), 3);
        PreviewStartSample = 0;
        m_player.Play();
        if (segmentRow < m_source.segmentRowCount()) {
            m_savedStatus = m_source.segmentStatus(segmentRow);
            m_source.setSegmentStatus(segmentRow, kPlaying);
        }
        QueueNextBlock();
    } catch (...) {
        StopPreview();
        throw;
    }
}

void Preview::PlaySelection()
{
    if (m_source.JobRunning())
        return;
    const int choice = m_source.functionChoice();
    if (m_source.SegmentSelected() && (choice == 0 || choice == 3))
        PlaySegment();
    else
        PlayFromSlider();
}

void Preview::StopPreview()
{
    m_player.Stop();
    if (m_reader.IsOpen())
        m_reader.Close();
    if (m_source.fileCount() > 0 && PreviewSegmentIndex >= 0 &&
        PreviewSegmentIndex < m_source.segmentRowCount() &&
        m_source.segmentStatus(PreviewSegmentIndex) == kPlaying)
        m_source.setSegmentStatus(PreviewSegmentIndex, m_savedStatus);
    SliderPosition() = 0;
    if (m_panel.pb)
        moveSlider(0);
    if (m_panel.timecaption)
        showTime(0);
    PreviewActive = false;
    SliderDragging = false;
}

void Preview::QueueNextBlock()
{
    // Events queued before a stop may still arrive; the reader is closed then.
    if (!PreviewActive || !m_reader.IsOpen())
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
    StopPreview();
}

void Preview::AudioPlayer21Timer(int, int, int playedFrames)
{
    if (SliderDragging || !PreviewActive || !m_panel.pb || !m_reader.IsOpen())
        return;
    const int range = SliderRange();
    const int32_t played = playedPosition(playedFrames, PreviewStartSample);
    const int32_t sampleCount = m_reader.GetSampleCount();
    if (!m_segmentMode) {
        SliderPosition() = Scale(played, range, sampleCount);
    } else {
        const int length = segmentLengthSamples(m_segment);
        // A segment without length has been played as soon as it starts.
        SliderPosition() = length > 0 ? Scale(played, range, length) : range;
    }
    if (SliderPosition() > range)
        SliderPosition() = range;
    moveSlider(SliderPosition());
    showTime(Scale(played, m_reader.GetDurationMs() / 1000, sampleCount));
    SliderPosition() = m_panel.pb->GetPosition();
    if (SliderPosition() >= range)
        StopPreview();
}

int Preview::segmentStartSample(const PreviewSource::Segment& segment) const
{
    return Scale(segment.begin * 1000, m_reader.GetSampleCount(), m_reader.GetDurationMs());
}

int Preview::segmentLengthSamples(const PreviewSource::Segment& segment) const
{
    return Scale((segment.end - segment.begin) * 1000, m_reader.GetSampleCount(),
                 m_reader.GetDurationMs());
}

void Preview::showTime(int seconds)
{
    m_panel.timecaption->SetText(timecode::FormatTime(seconds));
    if (m_panel.timecaptionFrame)
        m_panel.timecaptionFrame->Redraw();
}

void Preview::moveSlider(int position)
{
    m_panel.pb->SetPosition(position);
    if (m_panel.pbFrame)
        m_panel.pbFrame->Redraw();
}

bool Preview::isSlider(SkinObject* source) const
{
    return source && m_panel.pb && source->GetName() == kSlider;
}

void Preview::Skin1MouseDown(SkinObject* source)
{
    if (isSlider(source))
        SliderDragging = true;
}

void Preview::Skin1ScrollTrack(SkinObject* source)
{
    if (!isSlider(source) || !SliderDragging)
        return;
    const int row = m_source.selectedFileRow();
    if (row < 0 || row >= m_source.fileCount())
        return;
    const int range = SliderRange();
    SliderPosition() = std::min(m_panel.pb->GetPosition(), range);
    if (PreviewActive && m_segmentMode)
        showTime(Scale(SliderPosition(), m_segment.end - m_segment.begin, range));
    else
        showTime(Scale(SliderPosition(), m_source.fileSeconds(row), range));
}

void Preview::Skin1MouseUp(SkinObject* source)
{
    if (!isSlider(source))
        return;
    SliderDragging = false;
    if (!PreviewActive)
        return;
    const int range = SliderRange();
    SliderPosition() = m_panel.pb->GetPosition();
    if (SliderPosition() >= range) {
        StopPreview();
        return;
    }
    if (m_segmentMode) {
        PreviewStartSample = Scale(SliderPosition(), segmentLengthSamples(m_segment), range);
        m_reader.Seek(segmentStartSample(m_segment) + PreviewStartSample, 3);
    } else {
        PreviewStartSample = Scale(SliderPosition(), m_reader.GetSampleCount(), range);
        m_reader.Seek(PreviewStartSample, 3);
    }
    // The player asks for data from the new position and counts from 0 again.
    m_player.Flush();
}

void Preview::step(int direction)
{
    if (!m_panel.pb || PreviewActive)
        return;
    const int row = m_source.selectedFileRow();
    if (row < 0 || row >= m_source.fileCount())
        return;
    const int seconds = m_source.fileSeconds(row);
    // An entry of no length (a folder's unreadable file) has nowhere to step to.
    if (seconds <= 0)
        return;
    const int range = SliderRange();
    SliderPosition() = m_panel.pb->GetPosition();
    int stepSize = range / seconds;
    if (stepSize == 1)
        stepSize = 2;
    if (direction > 0) {
        SliderPosition() += stepSize;
        if (SliderPosition() >= range)
            return;
    } else {
        SliderPosition() = std::max(SliderPosition() - stepSize, 0);
    }
    moveSlider(SliderPosition());
    showTime(Scale(SliderPosition(), seconds, range));
}

void Preview::StepForward()
{
    step(+1);
}

void Preview::StepBack()
{
    step(-1);
}
