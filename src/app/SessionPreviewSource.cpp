// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SessionPreviewSource.h"

#include "jobs/JobArea.h"
#include "settings/Options.h"

SessionPreviewSource::SessionPreviewSource(JobArea& jobs, const Options& options)
    : m_jobs(jobs), m_options(options)
{
}

int SessionPreviewSource::functionChoice() const
{
    return m_options.functionChoice;
}

int SessionPreviewSource::fileCount() const
{
    return m_jobs.list().count();
}

int SessionPreviewSource::selectedFileRow() const
{
    return m_jobs.list().selectedRow();
}

int SessionPreviewSource::selectedSegmentRow() const
{
    return m_jobs.segments().selectedRow();
}

QString SessionPreviewSource::filePath(int fileRow) const
{
    return m_jobs.list().entry(fileRow).path;
}

int SessionPreviewSource::fileSeconds(int fileRow) const
{
    return m_jobs.list().entry(fileRow).duration;
}

std::optional<PreviewSource::Segment> SessionPreviewSource::segment(int fileRow,
                                                                    int segmentRow) const
{
    if (!m_jobs.list().isRow(fileRow))
        return std::nullopt;
    const listrecord& entry = m_jobs.list().entry(fileRow);
    if (segmentRow < 0 || segmentRow >= entry.usedSegments())
        return std::nullopt;
    const ::Segment s = entry.segment(segmentRow);
    return Segment{s.begin.ms(), s.end.ms(), s.begin.exactFrame(), s.end.exactFrame()};
}

void SessionPreviewSource::startPlaying(int row)
{
    if (m_jobs.segments().isRow(row))
        m_jobs.segments().startPlaying(row);
}

void SessionPreviewSource::endPlaying(int row)
{
    m_jobs.segments().endPlaying(row);
}
