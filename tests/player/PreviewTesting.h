// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/PositionSlider.h"
#include "player/PreviewSource.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace previewtest {

// Frames at this rate keep the generated files small.
constexpr int kRate = 8000;

// Writes a stereo 16-bit WAV whose every frame tells its own index: the left
// channel holds (i mod 32000) + 1, the right (i div 32000) + 1, in steps of
// 1/32768, so no frame is silent and each played frame names its source.
void writeIndexedWav(const QString& path, int seconds);

// Decodes the disk driver's output (interleaved stereo floats) into the
// source frame indices played, silence left out.
std::vector<int> playedIndices(const QByteArray& raw);

// Runs of consecutive indices: (first index, length).
struct PlayedRun {
    int first = 0;
    int length = 0;
};
std::vector<PlayedRun> runs(const std::vector<int>& indices);

// The job list as the preview sees it: entries with their path, length and
// stored segments, the selection and the segment list's status cells.
class JobListStandIn : public PreviewSource {
public:
    struct Entry {
        QString path;
        int seconds = 0;
        std::vector<Segment> segments;
    };
    std::vector<Entry> entries;
    QStringList statuses; // the segment list as shown
    int selectedFile = -1;
    int selectedSegment = -1;
    int choice = 0;

    int functionChoice() const override { return choice; }
    int fileCount() const override { return static_cast<int>(entries.size()); }
    int selectedFileRow() const override { return selectedFile; }
    int selectedSegmentRow() const override { return selectedSegment; }
    QString filePath(int row) const override { return entries.at(row).path; }
    int fileSeconds(int row) const override { return entries.at(row).seconds; }
    std::optional<Segment> segment(int fileRow, int segmentRow) const override;
    void startPlaying(int row) override;
    void endPlaying(int row) override;
    QString beforePlaying;
};

// The front panel's position slider as the preview sees it.
class SliderStandIn : public PositionSlider {
public:
    int32_t GetPosition() const override { return m_position; }
    void SetPosition(int32_t position) override { m_position = position; }
    int32_t GetMax() const override { return m_max; }
    int32_t GetThumbSize() const override { return m_thumbSize; }
    void setRange(int32_t maximum, int32_t thumbSize) override
    {
        m_max = maximum;
        m_thumbSize = thumbSize;
    }
    // The last position the thumb can reach.
    int range() const { return m_max - m_thumbSize > 0 ? m_max - m_thumbSize : 0; }

private:
    int32_t m_position = 0;
    int32_t m_max = 100;
    int32_t m_thumbSize = 0;
};

// The time label: the last text the preview reported, and every one of
// them, so that the texts shown between two looks at it are not lost.
struct TimeLabel {
    QStringList shown;
    QString text;
    void SetText(const QString& t)
    {
        shown << t;
        text = t;
    }
    QString GetText() const { return text; }
};

// The slider and time label of the front panel.
struct PanelElements {
    SliderStandIn pb;
    TimeLabel timecaption;
    // The slider of a file of `seconds` added through the file dialog.
    void prepareFor(int seconds);
};

} // namespace previewtest
