#pragma once

#include "player/PreviewSource.h"
#include "skin/SkinElement.h"

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
    bool jobRunning = false;
    bool segmentSelected = false;
    int choice = 0;
    int sliderPosition = 0;

    bool JobRunning() const override { return jobRunning; }
    bool SegmentSelected() const override { return segmentSelected; }
    int functionChoice() const override { return choice; }
    int fileCount() const override { return static_cast<int>(entries.size()); }
    int selectedFileRow() const override { return selectedFile; }
    int selectedSegmentRow() const override { return selectedSegment; }
    QString filePath(int row) const override { return entries.at(row).path; }
    int fileSeconds(int row) const override { return entries.at(row).seconds; }
    std::optional<Segment> segment(int fileRow, int segmentRow) const override;
    int& SliderPosition() override { return sliderPosition; }
    int segmentRowCount() const override { return static_cast<int>(statuses.size()); }
    QString segmentStatus(int row) const override { return statuses.at(row); }
    void setSegmentStatus(int row, const QString& status) override { statuses[row] = status; }
};

// The slider and time label of the front panel, as detached skin elements.
struct PanelElements {
    PanelElements();
    SkinSlider pb;
    SkinTextElement timecaption;
    // The slider of a file of `seconds` added through the file dialog.
    void prepareFor(int seconds);
};

} // namespace previewtest
