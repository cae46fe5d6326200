#include "app/JobAreaView.h"

#include "jobs/JobArea.h"

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
    f.segmentCount = e.segmentCount;
    f.beginTimes = e.beginTimes;
    f.endTimes = e.endTimes;
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

void JobAreaView::setSegmentCount(int index, int32_t count)
{
    m_area.list().entry(index).segmentCount = count;
}

void JobAreaView::showFile(int index, SegmentDisplay display)
{
    m_area.list().select(index);
    m_area.selection().SelectedFileIndex = index;
    switch (display) {
    case SegmentDisplay::Custom:
        m_area.ShowCustomSegments();
        break;
    case SegmentDisplay::Timed:
        m_area.ShowTimedPieces();
        break;
    case SegmentDisplay::Equal:
        m_area.ShowEqualPieces();
        break;
    case SegmentDisplay::Unified:
        m_area.ShowUnifiedSegments();
        break;
    case SegmentDisplay::Keep:
        break;
    case SegmentDisplay::WholeFile: {
        SegmentList& rows = m_area.segments();
        rows.clear();
        rows.addRow(0, m_area.list().entry(index).duration, QStringLiteral("Converting"));
        break;
    }
    }
    emit m_area.fileListFocusRequested();
}

int JobAreaView::segmentRowCount() const
{
    return m_area.segments().count();
}

void JobAreaView::setSegmentStatus(int row, const QString& status)
{
    if (m_area.segments().isRow(row))
        m_area.segments().setStatus(row, status);
}

void JobAreaView::removeLastSegmentRow()
{
    SegmentList& rows = m_area.segments();
    if (!rows.isEmpty())
        rows.removeAt(rows.count() - 1);
}
