// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player/PreviewSource.h"

class JobArea;
struct Options;

// Answers the preview from the job list and the options.
class SessionPreviewSource : public PreviewSource {
public:
    SessionPreviewSource(JobArea& jobs, const Options& options);

    int functionChoice() const override;
    int fileCount() const override;
    int selectedFileRow() const override;
    int selectedSegmentRow() const override;
    QString filePath(int fileRow) const override;
    int fileSeconds(int fileRow) const override;
    std::optional<Segment> segment(int fileRow, int segmentRow) const override;
    void startPlaying(int row) override;
    void endPlaying(int row) override;

private:
    JobArea& m_jobs;
    const Options& m_options;
};
