// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/JobArea.h"

#include "audio/AudioFile.h"
#include "base/PositionSlider.h"
#include "base/Prompts.h"
#include "base/SessionState.h"
#include "base/TimeCode.h"
#include "jobs/FolderListing.h"
#include "jobs/PiecePlanSegments.h"
#include "jobs/SegmentPlan.h"
#include "jobs/SourceTags.h"
#include "settings/Options.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <exception>

using timecode::FormatTime;

namespace {

const QString kOnlyStoredChoices =
    QStringLiteral("Only chose \"Custom\" or \"unification\" function, this button is usable.");
const QString kStartAfterEnd = QStringLiteral("Start-time must not be larger than end-time.");
const QString kOpenSegmentStays =
    QStringLiteral("This item, the procedure will automatically process. Need not delete.");

QString lengthText(int64_t seconds)
{
    return FormatTime(static_cast<int>(std::clamp<int64_t>(seconds, INT_MIN, INT_MAX)));
}

// Adding files is work the preview and the job commands wait for: the
// probes take the shared reader and the rows change between two pumps.
class AddingFiles {
public:
    explicit AddingFiles(SessionState& state)
        : m_state(state), m_entered(state.mode() == SessionState::Mode::Idle)
    {
        if (m_entered)
            m_state.setMode(SessionState::Mode::Adding);
    }
    ~AddingFiles()
    {
        if (m_entered)
            m_state.leave(SessionState::Mode::Adding);
    }
    AddingFiles(const AddingFiles&) = delete;
    AddingFiles& operator=(const AddingFiles&) = delete;

private:
    SessionState& m_state;
    bool m_entered;
};

} // namespace

const QString JobArea::kFileFilter = QStringLiteral(
    "All Supported Files|*.mp3;*.wav;*.wma;*.ogg;*.mp2|MP3 Files(*.mp3;*.mp2)|*.mp3;*.mp2|"
    "WMA Files(*.wma)|*.wma|OGG Files(*.ogg)|*.ogg|WAV File(*.wav)|*.wav");

JobArea::JobArea(Prompts& prompts, AudioFile& reader, const Options& options, SessionState& state,
                 QObject* parent)
    : QObject(parent), m_prompts(prompts), m_reader(reader), m_options(options), m_state(state)
{
}

void JobArea::stopPreviewForReader()
{
    // Probing uses the reader the preview plays from.
    if (m_state.PreviewActive())
        emit stopPreviewRequested();
}

void JobArea::setHelpMemoVisible(bool visible)
{
    m_helpMemoVisible = visible;
    emit helpMemoVisibleChanged(visible);
}

// ---- Adding ---------------------------------------------------------------

void JobArea::AddFiles()
{
    const QStringList paths = m_prompts.openFiles(kFileFilter);
    if (paths.isEmpty())
        return;
    addFilePaths(paths);
}

void JobArea::AddFolder()
{
    const QString folder = m_prompts.chooseFolder(QStringLiteral("Add File Directory"));
    if (folder.isEmpty())
        return;
    addFolderPath(folder);
}

int JobArea::addFilePaths(const QStringList& paths)
{
    stopPreviewForReader();
    int added = 0;
    {
        const AddingFiles adding(m_state);
        for (int i = 0; i < paths.size(); ++i) {
            emit pumpRequested();
            emit addingProgress(i, static_cast<int>(paths.size()));
            if (addOne(paths[i], QFileInfo(paths[i]).fileName(), Source::FileDialog))
                ++added;
        }
    }
    emit addingProgress(static_cast<int>(paths.size()), static_cast<int>(paths.size()));
    if (!m_list.isEmpty() && m_list.selectedRow() < 0)
        m_list.select(0);
    lvClick();
    emit fileListFocusRequested();
    if (m_list.selectedRow() >= 0)
        m_state.setSelectedFileIndex(m_list.selectedRow());
    ShowTotalLength();
    return added;
}

int JobArea::addFolderPath(const QString& folder)
{
    stopPreviewForReader();
    const FolderListing listing = ListFolder(folder);
    if (!listing.error.isEmpty()) {
        refuse(folder, QStringLiteral("The folder %1 cannot be read.").arg(folder), listing.error);
        return 0;
    }
    const QStringList& wanted = listing.names;
    int added = 0;
    {
        const AddingFiles adding(m_state);
        for (int i = 0; i < wanted.size(); ++i) {
            emit pumpRequested();
            emit pumpRequested();
            emit addingProgress(i, static_cast<int>(wanted.size()));
            if (addOne(QDir(folder).filePath(wanted[i]), wanted[i], Source::Folder))
                ++added;
        }
    }
    for (const QByteArray& name : listing.unnamed)
        refuse(QDir(folder).filePath(EscapedName(name)),
               EscapedName(name) + QStringLiteral(" this File is not supported."),
               QStringLiteral("Its name is not valid UTF-8 text, which this program cannot "
                              "open a file by; renaming it helps."));
    emit addingProgress(static_cast<int>(wanted.size()), static_cast<int>(wanted.size()));
    if (!m_list.isEmpty() && m_list.selectedRow() < 0) {
        m_list.select(0);
        lvClick();
    }
    emit fileListFocusRequested();
    if (m_list.selectedRow() >= 0)
        m_state.setSelectedFileIndex(m_list.selectedRow());
    ShowTotalLength();
    return added;
}

bool JobArea::addOne(const QString& path, const QString& name, Source source)
{
    const int row = m_list.append(name);
    m_list.AdjustNameColumn();
    try {
        const TitleReading reading =
            source == Source::FileDialog ? TitleReading::Cleaned : TitleReading::AsRead;
        m_list.info(row) = ReadSourceTags(path, reading);
        if (const QString title = SourceCaption(path, m_list.info(row), reading); !title.isEmpty())
            m_list.setCaption(row, title);
        m_list.entry(row).path = path;
        ProbeFile(row, source == Source::FileDialog ? timecode::kSliderMinimumFromFileDialog
                                                    : timecode::kSliderMinimumFromFolder);
        if (source == Source::FileDialog && m_list.entry(row).duration == 0) {
            removeRow(row);
            refuse(path, name + QStringLiteral(" this File is Error or not supported."),
                   QStringLiteral("It is shorter than one second."));
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        // The reader may hold a half-opened file; switching it off and on
        // makes it accept the next one.
        if (m_reader.IsOpen())
            m_reader.Close();
        m_reader.SetEnabled(false);
        m_reader.SetEnabled(true);
        removeRow(row);
        refuse(path, name + QStringLiteral(" this File is not supported."),
               QString::fromUtf8(e.what()));
        return false;
    }
}

void JobArea::refuse(const QString& path, const QString& message, const QString& cause)
{
    emit fileRefused(path, message, cause);
    // The described text stays the box's first line; the cause follows.
    m_prompts.information(message + QLatin1Char('\n') + cause);
}

void JobArea::removeRow(int row)
{
    m_list.removeAt(row);
    m_list.AdjustNameColumn();
}

void JobArea::ProbeFile(int row, int32_t sliderLowerBound)
{
    listrecord& e = m_list.entry(row);
    if (m_reader.IsOpen())
        m_reader.Close();
    m_reader.OpenRead(e.path, 0, 1);
    const int32_t ms = m_reader.GetDurationMs();
    e.duration = ms / 1000;
    e.sliderMaximum = timecode::SliderMaximum(ms, sliderLowerBound);
    e.sampleCount = m_reader.GetSampleCount();
    e.beginTimes = {SegmentPoint()};
    e.endTimes = {SegmentPoint::seconds(ms / 1000)};
    e.segmentCount = 1;
    m_list.setTimeText(row, FormatTime(e.duration));
    m_reader.Close();
}

// ---- Moving and removing --------------------------------------------------

void JobArea::MoveFileUp()
{
    const int i = m_list.selectedRow();
    if (i <= 0 || m_state.JobRunning())
        return;
    if (m_state.PreviewFileIndex() == i)
        m_state.setPreviewFileIndex(i - 1);
    m_list.swapRows(i, i - 1);
    m_list.select(i - 1);
    m_state.setSelectedFileIndex(i - 1);
    emit fileListFocusRequested();
}

void JobArea::MoveFileDown()
{
    const int i = m_list.selectedRow();
    if (i < 0 || i >= m_list.count() - 1 || m_state.JobRunning())
        return;
    if (m_state.PreviewFileIndex() == i)
        m_state.setPreviewFileIndex(i + 1);
    m_list.swapRows(i, i + 1);
    m_list.select(i + 1);
    m_state.setSelectedFileIndex(i + 1);
    emit fileListFocusRequested();
}

void JobArea::RemoveFile()
{
    const int i = m_list.selectedRow();
    if (i < 0)
        return;
    // A preview never plays a file that is no longer listed; one of another
    // file goes on with its own.
    if (m_state.PreviewActive()) {
        if (m_state.PreviewFileIndex() == i)
            emit stopPreviewRequested();
        else if (m_state.PreviewFileIndex() > i)
            m_state.setPreviewFileIndex(m_state.PreviewFileIndex() - 1);
    }
    const int c = m_list.count();
    removeRow(i);
    if (m_list.isEmpty()) {
        m_segments.clear();
    } else {
        if (m_state.SelectedFileIndex() >= 0 && m_state.SelectedFileIndex() < c - 2) {
            m_list.select(m_state.SelectedFileIndex());
        } else {
            m_state.setSelectedFileIndex(0);
            m_list.select(0);
        }
        lvClick();
    }
    ShowTotalLength();
}

void JobArea::ClearJobList()
{
    if (m_state.PreviewActive())
        emit stopPreviewRequested();
    m_list.clear();
    m_list.AdjustNameColumn();
    m_segments.clear();
    setHelpMemoVisible(true);
    ShowTotalLength();
}

void JobArea::ClearSegments()
{
    const int i = m_list.selectedRow();
    if (i < 0)
        return;
    m_segments.clear();
    m_list.entry(i).clearSegments();
    lvClick();
    ShowTotalLength();
}

int JobArea::rowOfFile(const QString& path) const
{
    const QFileInfo wanted(path);
    const QString canonical = wanted.canonicalFilePath();
    for (int row = 0; row < m_list.count(); ++row) {
        const QFileInfo listed(m_list.entry(row).path);
        if (canonical.isEmpty() ? listed.absoluteFilePath() == wanted.absoluteFilePath()
                                : listed.canonicalFilePath() == canonical)
            return row;
    }
    return -1;
}

bool JobArea::placePlan(int row, const PiecePlan& plan)
{
    if (!m_list.isRow(row) || !ApplyPiecePlan(m_list.entry(row), plan))
        return false;
    m_list.select(row);
    m_state.setSelectedFileIndex(row);
    lvClick();
    ShowTotalLength();
    return true;
}

// ---- Selection and plans --------------------------------------------------

void JobArea::lvClick()
{
    m_state.setSegmentSelected(false);
    if (m_list.isEmpty())
        return;
    const int last = m_list.count() - 1;
    m_state.setSelectedFileIndex(std::clamp(m_state.SelectedFileIndex(), 0, last));
    if (m_state.JobRunning()) {
        m_list.select(m_state.SelectedFileIndex());
        return;
    }
    if (m_state.PreviewActive()) {
        if (m_list.isRow(m_state.PreviewFileIndex()))
            m_list.select(m_state.PreviewFileIndex());
        return;
    }
    if (m_list.selectedRow() < 0)
        m_list.select(m_state.SelectedFileIndex());
    m_state.setSelectedFileIndex(m_list.selectedRow());
    SetupPositionSlider();
    ShowSegmentPlan();
    setHelpMemoVisible(m_list.isEmpty());
}

void JobArea::ShowSegmentPlan()
{
    switch (m_options.functionChoice) {
    case segmentplan::Custom:
        ShowCustomSegments();
        break;
    case segmentplan::EverySeconds:
        ShowTimedPieces();
        break;
    case segmentplan::EqualCount:
        ShowEqualPieces();
        break;
    case segmentplan::Unification:
        ShowUnifiedSegments();
        break;
    default:
        break;
    }
}

int32_t JobArea::sliderRange() const
{
    if (m_slider)
        return timecode::SliderRange(m_slider->GetMax(), m_slider->GetThumbSize());
    return timecode::SliderRange(m_sliderMaximum, m_thumbSize);
}

int32_t JobArea::sliderSeconds(int32_t duration) const
{
    return timecode::SliderToSeconds(m_state.SliderPosition(), duration, sliderRange());
}

void JobArea::showPositionTime(int32_t duration)
{
    m_positionText = FormatTime(sliderSeconds(duration));
    emit positionTimeChanged(m_positionText);
}

void JobArea::showComputed(QVector<Segment> (*plan)(int32_t duration, int number), int number)
{
    const int sel = m_list.selectedRow();
    if (sel < 0)
        return;
    const int32_t d = m_list.entry(sel).duration;
    showPositionTime(d);
    m_segments.showComputed(plan(d, number), SegmentStatus::Unconverted);
}

void JobArea::ShowCustomSegments()
{
    const int sel = m_list.selectedRow();
    if (sel < 0 || m_list.isEmpty())
        return;
    showPositionTime(m_list.entry(sel).duration);
    m_segments.showStored(sel);
}

void JobArea::ShowTimedPieces()
{
    showComputed(segmentplan::TimedPieces, m_options.pieceSeconds);
}

void JobArea::ShowEqualPieces()
{
    showComputed(segmentplan::EqualPieces, m_options.pieceCount);
}

void JobArea::ShowUnifiedSegments()
{
    const int sel = m_list.selectedRow();
    if (sel < 0 || m_list.isEmpty())
        return;
    showPositionTime(m_list.entry(0).duration);
    m_segments.showStored(0);
}

void JobArea::SetupPositionSlider()
{
    const int sel = m_list.selectedRow();
    if (sel < 0)
        return;
    m_sliderMaximum = m_list.entry(sel).sliderMaximum;
    m_thumbSize = timecode::SliderThumbSize(m_sliderMaximum);
    if (m_slider)
        m_slider->setRange(m_sliderMaximum, m_thumbSize);
}

int64_t JobArea::totalLength() const
{
    return segmentplan::TotalLength(m_list, m_options.functionChoice);
}

void JobArea::ShowTotalLength()
{
    m_totalText = lengthText(totalLength());
    emit totalLengthChanged(m_totalText);
}

// ---- Segment editor -------------------------------------------------------

void JobArea::lv_timeClick()
{
    if (m_segments.isEmpty())
        return;
    const int last = m_segments.count() - 1;
    m_state.setSelectedSegmentIndex(std::clamp(m_state.SelectedSegmentIndex(), 0, last));
    if (m_segments.selectedRow() < 0)
        m_segments.select(m_state.SelectedSegmentIndex());
    m_state.setSelectedSegmentIndex(m_segments.selectedRow());
    m_state.setSegmentSelected(true);
}

int JobArea::editedEntry(bool complain)
{
    const int sel = m_list.selectedRow();
    if (sel < 0)
        return -1;
    switch (m_options.functionChoice) {
    case segmentplan::Custom:
        return sel;
    case segmentplan::Unification:
        return 0;
    case segmentplan::EverySeconds:
    case segmentplan::EqualCount:
        if (complain)
            m_prompts.information(kOnlyStoredChoices);
        return -1;
    default:
        return -1;
    }
}

bool JobArea::showEditedList(int e, bool withOpenSegment)
{
    // The rows may show another list than the edited one (the choice changed
    // without a rebuild); the editor addresses rows by index, so they must
    // show that list before it touches either. Begin, End and Ok work on the
    // open segment, which a job set aside.
    if (m_segments.showsStoredList(e) && !(withOpenSegment && m_segments.openSegmentSetAside()))
        return false;
    m_segments.showStored(e);
    return true;
}

void JobArea::readSliderPosition()
{
    if (m_slider)
        m_state.setSliderPosition(m_slider->GetPosition());
}

void JobArea::setOpenSegmentBound(bool begin)
{
    const int e = editedEntry(true);
    if (e < 0)
        return;
    readSliderPosition();
    listrecord& entry = m_list.entry(e);
    const int r = entry.openSegment();
    if (r < 0)
        return;
    showEditedList(e, true);
    entry.setOpenBound(begin, SegmentPoint::seconds(sliderSeconds(entry.duration)));
    m_segments.segmentEdited(r);
    ShowTotalLength();
}

void JobArea::SetSegmentBegin()
{
    setOpenSegmentBound(true);
}

void JobArea::SetSegmentEnd()
{
    setOpenSegmentBound(false);
}

void JobArea::ConfirmSegment()
{
    const int e = editedEntry(true);
    if (e < 0)
        return;
    listrecord& entry = m_list.entry(e);
    const int r = entry.openSegment();
    if (r < 0)
        return;
    showEditedList(e, true);
    if (entry.segment(r).lengthMs() < 0) {
        m_prompts.information(kStartAfterEnd);
        return;
    }
    entry.confirmOpenSegment();
    m_segments.openSegmentConfirmed();
    ShowTotalLength();
}

void JobArea::RemoveSegment()
{
    const int e = editedEntry(false);
    if (e < 0)
        return;
    const int k = m_segments.selectedRow();
    if (k < 0)
        return;
    // A selection in rows of another list says nothing about this one.
    if (showEditedList(e, false))
        return;
    // The open segment stays whatever its row reads (the preview writes
    // "Playing" into it); every operation needs it. Rows map onto the
    // list's segments from the first, also while a job's open segment is
    // set aside.
    listrecord& entry = m_list.entry(e);
    if (m_segments.segmentStatus(k) == SegmentStatus::Open || k == entry.openSegment()) {
        m_prompts.information(kOpenSegmentStays);
        return;
    }
    entry.removeSegment(k);
    m_segments.segmentRemoved(k);
    const int last = m_segments.count() - 1;
    if (m_state.SelectedSegmentIndex() > last)
        m_state.setSelectedSegmentIndex(last);
    m_segments.select(m_state.SelectedSegmentIndex());
    ShowTotalLength();
}
