// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JobView.h"

class JobArea;

// The jobs' view of the job list area: the entries and tag records of the
// file list, the segment list builders and the rows' status texts, so that
// the window's lists follow the job as it runs.
class JobAreaView : public JobView {
public:
    explicit JobAreaView(JobArea& area) : m_area(area) {}

    int fileCount() const override;
    JobFile file(int index) const override;
    void showFile(int index, SegmentDisplay display) override;
    void setSegmentStatus(int row, SegmentStatus status) override;
    void markSegmentCopied(int row) override;

    // Every row, for jobs planned up front.
    QVector<JobFile> files() const;

private:
    JobArea& m_area;
};
