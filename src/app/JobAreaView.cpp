// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/JobAreaView.h"

#include "base/SessionState.h"
#include "jobs/JobArea.h"
#include "jobs/SegmentPlan.h"

int JobAreaView::fileCount() const
{
    return m_area.list().count();
}

JobFile JobAreaView::file(int index) const
{
    const JobList& list = m_area.list();
    const listrecord& e = list.entry(index);
    JobFile f;
    f.path = e.path;
    f.caption = list.caption(index);
    f.duration = e.duration;
    f.sampleCount = e.sampleCount;
    f.segments = segmentplan::SegmentsToProcess(e);
    f.tags = list.info(index);
    return f;
}

QVector<JobFile> JobAreaView::files() const
{
    QVector<JobFile> all;
    for (int i = 0; i < fileCount(); ++i)
        all.push_back(file(i));
    return all;
}

void JobAreaView::showFile(int index, SegmentDisplay display)
{
    m_area.list().select(index);
    m_area.state().setSelectedFileIndex(index);
    switch (display) {
    case SegmentDisplay::Custom:
        m_area.ShowCustomSegments();
        m_area.segments().takeOutOpenSegment();
        break;
    case SegmentDisplay::Timed:
        m_area.ShowTimedPieces();
        break;
    case SegmentDisplay::Equal:
        m_area.ShowEqualPieces();
        break;
    case SegmentDisplay::Unified:
        m_area.ShowUnifiedSegments();
        m_area.segments().takeOutOpenSegment();
        break;
    case SegmentDisplay::Keep:
        break;
    case SegmentDisplay::WholeFile:
        m_area.segments().showComputed({Segment(0, m_area.list().entry(index).duration)},
                                       SegmentStatus::Converting);
        break;
    }
    emit m_area.fileListFocusRequested();
}

void JobAreaView::setSegmentStatus(int row, SegmentStatus status)
{
    if (m_area.segments().isRow(row))
        m_area.segments().setStatus(row, status);
}

void JobAreaView::markSegmentCopied(int row)
{
    if (m_area.segments().isRow(row))
        m_area.segments().setCopied(row);
}
