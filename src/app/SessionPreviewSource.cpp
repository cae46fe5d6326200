#include "app/SessionPreviewSource.h"

#include "app/MainState.h"
#include "settings/Options.h"

SessionPreviewSource::SessionPreviewSource(const MainState& state, const Options& options)
    : m_state(state), m_options(options)
{
}

bool SessionPreviewSource::JobRunning() const
{
    return m_state.JobRunning;
}

bool SessionPreviewSource::SegmentSelected() const
{
    return m_state.SegmentSelected;
}

int SessionPreviewSource::functionChoice() const
{
    return m_options.functionChoice;
}

// Until the job list joins the session there are no files to play.
int SessionPreviewSource::fileCount() const
{
    return 0;
}

int SessionPreviewSource::selectedFileRow() const
{
    return -1;
}

int SessionPreviewSource::selectedSegmentRow() const
{
    return -1;
}

QString SessionPreviewSource::filePath(int) const
{
    return {};
}

int SessionPreviewSource::fileSeconds(int) const
{
    return 0;
}

std::optional<PreviewSource::Segment> SessionPreviewSource::segment(int, int) const
{
    return std::nullopt;
}

int SessionPreviewSource::segmentRowCount() const
{
    return 0;
}

QString SessionPreviewSource::segmentStatus(int) const
{
    return {};
}

void SessionPreviewSource::setSegmentStatus(int, const QString&) {}
