#pragma once

#include "player/PreviewSource.h"

struct MainState;
struct Options;

// Answers the preview from the main window's shared state, the options and
// the job list.
class SessionPreviewSource : public PreviewSource {
public:
    SessionPreviewSource(const MainState& state, const Options& options);

    bool JobRunning() const override;
    bool SegmentSelected() const override;
    int functionChoice() const override;
    int fileCount() const override;
    int selectedFileRow() const override;
    int selectedSegmentRow() const override;
    QString filePath(int fileRow) const override;
    int fileSeconds(int fileRow) const override;
    std::optional<Segment> segment(int fileRow, int segmentRow) const override;
    int segmentRowCount() const override;
    QString segmentStatus(int row) const override;
    void setSegmentStatus(int row, const QString& status) override;

private:
    const MainState& m_state;
    const Options& m_options;
};
