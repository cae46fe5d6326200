#include "jobs/JobArea.h"

#include "audio/AudioFile.h"
#include "base/Prompts.h"
#include "base/TimeCode.h"
#include "jobs/SegmentPlan.h"
#include "jobs/SourceTags.h"
#include "settings/Options.h"
#include "skin/SkinInterfaces.h"

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
const QString kUncertain = QStringLiteral("Uncertain");

QString lengthText(int64_t seconds)
{
    return FormatTime(static_cast<int>(std::clamp<int64_t>(seconds, INT_MIN, INT_MAX)));
}

bool isFolderExtension(const QString& name)
{
    static const QStringList kinds{QStringLiteral("mp3"), QStringLiteral("wav"),
                                   QStringLiteral("ogg"), QStringLiteral("wma"),
                                   QStringLiteral("raw"), QStringLiteral("vox")};
    return kinds.contains(QFileInfo(name).suffix().toLower());
}

} // namespace

const QString JobArea::kFileFilter = QStringLiteral(
    "All Supported Files|*.mp3;*.wav;*.wma;*.ogg;*.mp2|MP3 Files(*.mp3;*.mp2)|*.mp3;*.mp2|"
    "WMA Files(*.wma)|*.wma|OGG Files(*.ogg)|*.ogg|WAV File(*.wav)|*.wav");

JobArea::JobArea(Prompts& prompts, AudioFile& reader, const Options& options, Links links,
                 QObject* parent)
    : QObject(parent), m_prompts(prompts), m_reader(reader), m_options(options),
      m_links(std::move(links))
{
}

void JobArea::pump()
{
    if (m_links.pump)
        m_links.pump();
}

void JobArea::stopPreviewForReader()
{
    // Probing uses the reader the preview plays from.
    if (previewActive() && m_links.StopPreview)
        m_links.StopPreview();
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
    addFiles(paths);
}

void JobArea::AddFolder()
{
    const QString folder = m_prompts.chooseFolder(QStringLiteral("Add File Directory"));
    if (folder.isEmpty())
        return;
    addFolder(folder);
}

int JobArea::addFiles(const QStringList& paths)
{
    stopPreviewForReader();
    int added = 0;
    for (int i = 0; i < paths.size(); ++i) {
        pump();
        emit addingProgress(i, static_cast<int>(paths.size()));
        if (addOne(paths[i], QFileInfo(paths[i]).fileName(), Source::FileDialog))
            ++added;
    }
    emit addingProgress(static_cast<int>(paths.size()), static_cast<int>(paths.size()));
    if (!m_list.isEmpty() && m_list.selectedRow() < 0)
        m_list.select(0);
    lvClick();
    emit fileListFocusRequested();
    if (m_list.selectedRow() >= 0)
        m_selection.SelectedFileIndex = m_list.selectedRow();
    ShowTotalLength();
    return added;
}

int JobArea::addFolder(const QString& folder)
{
    stopPreviewForReader();
    // Sorted by name, so that a folder is added in the same order every time
    // whatever the file system's own order.
    const QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    QStringList wanted;
    for (const QString& name : names)
        if (isFolderExtension(name))
            wanted << name;
    int added = 0;
    for (int i = 0; i < wanted.size(); ++i) {
        pump();
        pump();
        emit addingProgress(i, static_cast<int>(wanted.size()));
        if (addOne(QDir(folder).filePath(wanted[i]), wanted[i], Source::Folder))
            ++added;
    }
    emit addingProgress(static_cast<int>(wanted.size()), static_cast<int>(wanted.size()));
    if (!m_list.isEmpty() && m_list.selectedRow() < 0) {
        m_list.select(0);
        lvClick();
    }
    emit fileListFocusRequested();
    if (m_list.selectedRow() >= 0)
        m_selection.SelectedFileIndex = m_list.selectedRow();
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
            refuse(path, name + QStringLiteral(" this File is Error or not supported."));
            return false;
        }
        return true;
    } catch (const std::exception&) {
        // The reader may hold a half-opened file; switching it off and on
        // makes it accept the next one.
        if (m_reader.IsOpen())
            m_reader.Close();
        m_reader.SetEnabled(false);
        m_reader.SetEnabled(true);
        removeRow(row);
        refuse(path, name + QStringLiteral(" this File is not supported."));
        return false;
    }
}

void JobArea::refuse(const QString& path, const QString& message)
{
    emit fileRefused(path, message);
    m_prompts.information(message);
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
    e.beginTimes = {0};
    e.endTimes = {ms / 1000};
    e.segmentCount = 1;
    m_list.setTimeText(row, FormatTime(e.duration));
    m_reader.Close();
}

// ---- Moving and removing --------------------------------------------------

void JobArea::MoveFileUp()
{
    const int i = m_list.selectedRow();
    if (i <= 0 || jobRunning())
        return;
    if (m_links.PreviewFileIndex && *m_links.PreviewFileIndex == i)
        *m_links.PreviewFileIndex = i - 1;
    m_list.swapRows(i, i - 1);
    m_list.select(i - 1);
    m_selection.SelectedFileIndex = i - 1;
    emit fileListFocusRequested();
}

void JobArea::MoveFileDown()
{
    const int i = m_list.selectedRow();
    if (i < 0 || i >= m_list.count() - 1 || jobRunning())
        return;
    if (m_links.PreviewFileIndex && *m_links.PreviewFileIndex == i)
        *m_links.PreviewFileIndex = i + 1;
    m_list.swapRows(i, i + 1);
    m_list.select(i + 1);
    m_selection.SelectedFileIndex = i + 1;
    emit fileListFocusRequested();
}

void JobArea::RemoveFile()
{
    const int i = m_list.selectedRow();
    if (i < 0)
        return;
    const int c = m_list.count();
    removeRow(i);
    if (m_list.isEmpty()) {
        m_segments.clear();
        m_shownEntry = -1;
    } else {
        if (m_selection.SelectedFileIndex >= 0 && m_selection.SelectedFileIndex < c - 2) {
            m_list.select(m_selection.SelectedFileIndex);
        } else {
            m_selection.SelectedFileIndex = 0;
            m_list.select(0);
        }
        lvClick();
    }
    ShowTotalLength();
}

void JobArea::ClearJobList()
{
    m_list.clear();
    m_list.AdjustNameColumn();
    m_segments.clear();
    m_shownEntry = -1;
    setHelpMemoVisible(true);
    ShowTotalLength();
}

void JobArea::ClearSegments()
{
    const int i = m_list.selectedRow();
    if (i < 0)
        return;
    m_segments.clear();
    m_shownEntry = -1;
    listrecord& e = m_list.entry(i);
    e.segmentCount = 1;
    // The arrays keep their length; only the first element is in use now.
    if (e.beginTimes.isEmpty())
        e.beginTimes.append(0);
    if (e.endTimes.isEmpty())
        e.endTimes.append(0);
    e.beginTimes[0] = 0;
    e.endTimes[0] = e.duration;
    lvClick();
    ShowTotalLength();
}

// ---- Selection and plans --------------------------------------------------

void JobArea::lvClick()
{
    m_selection.SegmentSelected = false;
    if (m_list.isEmpty())
        return;
    const int last = m_list.count() - 1;
    m_selection.SelectedFileIndex = std::clamp(m_selection.SelectedFileIndex, 0, last);
    if (jobRunning()) {
        m_list.select(m_selection.SelectedFileIndex);
        return;
    }
    if (previewActive()) {
        if (m_links.PreviewFileIndex && m_list.isRow(*m_links.PreviewFileIndex))
            m_list.select(*m_links.PreviewFileIndex);
        return;
    }
    if (m_list.selectedRow() < 0)
        m_list.select(m_selection.SelectedFileIndex);
    m_selection.SelectedFileIndex = m_list.selectedRow();
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
    if (m_panel.pb)
        return timecode::SliderRange(m_panel.pb->GetMax(), m_panel.pb->GetThumbSize());
    return timecode::SliderRange(m_sliderMaximum, m_thumbSize);
}

int32_t JobArea::sliderSeconds(int32_t duration) const
{
    return timecode::SliderToSeconds(m_selection.SliderPosition, duration, sliderRange());
}

void JobArea::showPositionTime(int32_t duration)
{
    m_positionText = FormatTime(sliderSeconds(duration));
    if (m_panel.timecaption)
        m_panel.timecaption->SetText(m_positionText);
    if (m_panel.timecaptionFrame)
        m_panel.timecaptionFrame->Redraw();
    emit positionTimeChanged(m_positionText);
}

void JobArea::showStoredList(const listrecord& e)
{
    const int n = e.usedSegments();
    for (int i = 0; i < n; ++i)
        m_segments.addRow(e.beginTimes[i], e.endTimes[i],
                          i == n - 1 ? kUncertain : QStringLiteral("OK"));
}

void JobArea::showComputed(QVector<Segment> (*plan)(int32_t duration, int number), int number)
{
    const int sel = m_list.selectedRow();
    if (sel < 0)
        return;
    const int32_t d = m_list.entry(sel).duration;
    showPositionTime(d);
    m_segments.clear();
    for (const Segment& s : plan(d, number))
        m_segments.addRow(s.begin, s.end, QStringLiteral("Unconvert"));
    m_shownEntry = -1;
}

void JobArea::ShowCustomSegments()
{
    const int sel = m_list.selectedRow();
    if (sel < 0 || m_list.isEmpty())
        return;
    m_segments.clear();
    showPositionTime(m_list.entry(sel).duration);
    showStoredList(m_list.entry(sel));
    m_shownEntry = sel;
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
    m_segments.clear();
    showPositionTime(m_list.entry(0).duration);
    showStoredList(m_list.entry(0));
    m_shownEntry = 0;
}

void JobArea::SetupPositionSlider()
{
    const int sel = m_list.selectedRow();
    if (sel < 0)
        return;
    m_sliderMaximum = m_list.entry(sel).sliderMaximum;
    m_thumbSize = timecode::SliderThumbSize(m_sliderMaximum);
    if (m_panel.pb) {
        m_panel.pb->SetMax(m_sliderMaximum);
        m_panel.pb->SetThumbSize(m_thumbSize);
    }
    if (m_panel.pbFrame)
        m_panel.pbFrame->Redraw();
}

int64_t JobArea::totalLength() const
{
    return segmentplan::TotalLength(m_list, m_options.functionChoice);
}

void JobArea::ShowTotalLength()
{
    m_totalText = lengthText(totalLength());
    if (m_panel.tataltime)
        m_panel.tataltime->SetText(m_totalText);
    if (m_panel.tataltimeFrame)
        m_panel.tataltimeFrame->Redraw();
    emit totalLengthChanged(m_totalText);
}

// ---- Segment editor -------------------------------------------------------

void JobArea::lv_timeClick()
{
    if (m_segments.isEmpty())
        return;
    const int last = m_segments.count() - 1;
    m_selection.SelectedSegmentIndex = std::clamp(m_selection.SelectedSegmentIndex, 0, last);
    if (m_segments.selectedRow() < 0)
        m_segments.select(m_selection.SelectedSegmentIndex);
    m_selection.SelectedSegmentIndex = m_segments.selectedRow();
    m_selection.SegmentSelected = true;
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

bool JobArea::mirrorEditedList(int e)
{
    // The rows may show another list than the edited one (the choice changed
    // without a rebuild); the editor addresses rows by index, so they must
    // mirror the list before it touches either.
    if (m_shownEntry == e && m_segments.count() == m_list.entry(e).usedSegments())
        return false;
    m_segments.clear();
    showStoredList(m_list.entry(e));
    m_shownEntry = e;
    return true;
}

void JobArea::readSliderPosition()
{
    if (m_panel.pb)
        m_selection.SliderPosition = m_panel.pb->GetPosition();
}

void JobArea::setOpenSegmentBound(bool begin)
{
    const int e = editedEntry(true);
    if (e < 0)
        return;
    readSliderPosition();
    mirrorEditedList(e);
    listrecord& entry = m_list.entry(e);
    const int r = entry.usedSegments() - 1;
    if (r < 0)
        return;
    const int32_t t = sliderSeconds(entry.duration);
    (begin ? entry.beginTimes : entry.endTimes)[r] = t;
    const int64_t length = static_cast<int64_t>(entry.endTimes[r]) - entry.beginTimes[r];
    m_segments.setTexts(r, SegmentList::rangeText(entry.beginTimes[r], entry.endTimes[r]),
                        length < 0 ? QStringLiteral("00:00:00") : lengthText(length));
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
    mirrorEditedList(e);
    listrecord& entry = m_list.entry(e);
    const int r = entry.usedSegments() - 1;
    if (r < 0)
        return;
    if (static_cast<int64_t>(entry.endTimes[r]) - entry.beginTimes[r] < 0) {
        m_prompts.information(kStartAfterEnd);
        return;
    }
    m_segments.setStatus(r, QStringLiteral("Ok"));
    m_segments.addRow(0, entry.duration, kUncertain);
    const int rows = r + 2;
    entry.beginTimes.resize(rows);
    entry.endTimes.resize(rows);
    entry.beginTimes[rows - 1] = 0;
    entry.endTimes[rows - 1] = entry.duration;
    entry.segmentCount = rows;
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
    if (mirrorEditedList(e))
        return;
    // The last row is the open segment whatever its status reads (the
    // preview writes "Playing" into it); every operation needs it.
    if (m_segments.status(k) == kUncertain || k == m_segments.count() - 1) {
        m_prompts.information(kOpenSegmentStays);
        return;
    }
    listrecord& entry = m_list.entry(e);
    const int n = entry.usedSegments();
    for (int i = k; i < n - 1; ++i) {
        entry.beginTimes[i] = entry.beginTimes[i + 1];
        entry.endTimes[i] = entry.endTimes[i + 1];
    }
    m_segments.removeAt(k);
    const int last = m_segments.count() - 1;
    if (m_selection.SelectedSegmentIndex > last)
        m_selection.SelectedSegmentIndex = last;
    m_segments.select(m_selection.SelectedSegmentIndex);
    entry.beginTimes.resize(n - 1);
    entry.endTimes.resize(n - 1);
    entry.segmentCount = n - 1;
    ShowTotalLength();
}
