// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/SegmentList.h"

#include "base/TimeCode.h"
#include "jobs/JobList.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace {

QString wholeSeconds(int64_t seconds)
{
    return timecode::FormatTime(static_cast<int>(std::clamp<int64_t>(seconds, INT_MIN, INT_MAX)));
}

// Milliseconds as hh:mm:ss.mmm, a negative time behind a minus sign.
QString withMilliseconds(int64_t ms)
{
    const int64_t magnitude = ms < 0 ? -ms : ms;
    return (ms < 0 ? QStringLiteral("-") : QString()) + wholeSeconds(magnitude / 1000) +
           QStringLiteral(".%1").arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

SegmentList::SegmentList(const JobList& files, QObject* parent)
    : QAbstractTableModel(parent), m_files(files), m_selection(this)
{
    connect(&files, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { fileRowsRemoved(first, last); });
    connect(&files, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (m_entry >= 0)
            clear();
    });
    connect(&files, &JobList::rowsSwapped, this, [this](int a, int b) { fileRowsSwapped(a, b); });
}

QString SegmentList::timeText(const SegmentPoint& point)
{
    return point.isWholeSecond() ? wholeSeconds(point.wholeSeconds())
                                 : withMilliseconds(point.ms());
}

QString SegmentList::rangeText(const Segment& segment)
{
    return timeText(segment.begin) + QStringLiteral(" - ") + timeText(segment.end);
}

QString SegmentList::lengthText(const Segment& segment)
{
    // The difference is taken in 64 bits: a hand-made list may hold any times.
    if (segment.isWholeSeconds())
        return wholeSeconds(segment.end.wholeSeconds() - segment.begin.wholeSeconds());
    return withMilliseconds(segment.lengthMs());
}

void SegmentList::reset(int entry, QVector<Segment> computed, std::vector<Row> rows)
{
    beginResetModel();
    m_entry = entry;
    m_openAside = false;
    m_computed = std::move(computed);
    m_rows = std::move(rows);
    endResetModel();
    m_selection.clear();
}

void SegmentList::showStored(int entry)
{
    if (!m_files.isRow(entry)) {
        clear();
        return;
    }
    const int n = m_files.entry(entry).usedSegments();
    std::vector<Row> rows(static_cast<size_t>(n), Row{SegmentStatus::Confirmed});
    if (n > 0)
        rows.back().status = SegmentStatus::Open;
    reset(entry, {}, std::move(rows));
}

void SegmentList::showComputed(const QVector<Segment>& pieces, SegmentStatus status)
{
    reset(-1, pieces, std::vector<Row>(static_cast<size_t>(pieces.size()), Row{status}));
}

void SegmentList::clear()
{
    reset(-1, {}, {});
}

void SegmentList::takeOutOpenSegment()
{
    if (m_entry < 0 || m_openAside)
        return;
    if (count() == 1) {
        setStatus(0, SegmentStatus::Confirmed);
    } else if (count() > 1) {
        const int last = count() - 1;
        beginRemoveRows({}, last, last);
        m_rows.pop_back();
        m_openAside = true;
        endRemoveRows();
    }
}

bool SegmentList::showsStoredList(int entry) const
{
    if (entry < 0 || entry != m_entry || !m_files.isRow(entry))
        return false;
    return count() + (m_openAside ? 1 : 0) == m_files.entry(entry).usedSegments();
}

const SegmentList::Row& SegmentList::at(int row) const
{
    if (!isRow(row))
        throw std::out_of_range("segment list row " + std::to_string(row) + " does not exist");
    return m_rows[static_cast<size_t>(row)];
}

Segment SegmentList::segment(int row) const
{
    at(row);
    if (m_entry < 0)
        return m_computed.value(row);
    const listrecord& e = m_files.entry(m_entry);
    return row < e.usedSegments() ? e.segment(row) : Segment();
}

SegmentStatus SegmentList::segmentStatus(int row) const
{
    return at(row).status;
}

QString SegmentList::range(int row) const
{
    return rangeText(segment(row));
}

QString SegmentList::length(int row) const
{
    const Segment s = segment(row);
    if (at(row).lengthAtLeastZero && s.lengthMs() < 0)
        return wholeSeconds(0);
    return lengthText(s);
}

QString SegmentList::status(int row) const
{
    return statusText(at(row).status);
}

void SegmentList::setStatus(int row, SegmentStatus status)
{
    at(row);
    m_rows[static_cast<size_t>(row)].status = status;
    emit dataChanged(index(row, StatusColumn), index(row, StatusColumn));
}

void SegmentList::setCopied(int row)
{
    at(row);
    m_rows[static_cast<size_t>(row)].copied = true;
    emit dataChanged(index(row, RangeColumn), index(row, StatusColumn), {Qt::ToolTipRole});
}

bool SegmentList::isCopied(int row) const
{
    return at(row).copied;
}

void SegmentList::segmentEdited(int row)
{
    at(row);
    m_rows[static_cast<size_t>(row)].lengthAtLeastZero = true;
    emit dataChanged(index(row, RangeColumn), index(row, LengthColumn));
}

void SegmentList::openSegmentConfirmed()
{
    if (m_entry < 0 || isEmpty())
        return;
    setStatus(count() - 1, SegmentStatus::JustConfirmed);
    const int row = count();
    beginInsertRows({}, row, row);
    m_rows.push_back(Row{SegmentStatus::Open});
    endInsertRows();
}

void SegmentList::segmentRemoved(int row)
{
    at(row);
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void SegmentList::startPlaying(int row)
{
    at(row);
    Row& r = m_rows[static_cast<size_t>(row)];
    r.beforePlaying = r.status;
    setStatus(row, SegmentStatus::Playing);
}

void SegmentList::endPlaying(int row)
{
    if (isPlaying(row))
        setStatus(row, m_rows[static_cast<size_t>(row)].beforePlaying);
}

bool SegmentList::isPlaying(int row) const
{
    return isRow(row) && at(row).status == SegmentStatus::Playing;
}

void SegmentList::fileRowsRemoved(int first, int last)
{
    if (m_entry < first)
        return;
    if (m_entry <= last) {
        // The file whose list the rows show is gone; a list of nothing is
        // shown until the next file is.
        clear();
        return;
    }
    m_entry -= last - first + 1;
}

void SegmentList::fileRowsSwapped(int a, int b)
{
    if (m_entry == a)
        m_entry = b;
    else if (m_entry == b)
        m_entry = a;
}

int SegmentList::selectedRow() const
{
    return m_selection.selectedRow();
}

void SegmentList::select(int row)
{
    m_selection.selectRow(row);
}

int SegmentList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int SegmentList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QString SegmentList::title(int row) const
{
    const SegmentLabel label = segment(row).label;
    QString text;
    if (!label.title.isEmpty())
        text = (label.track > 0 ? QStringLiteral("%1 ").arg(label.track, 2, 10, QLatin1Char('0'))
                                : QString()) +
               label.title;
    else if (label.track > 0)
        text = label.trackTotal > 0
                   ? QStringLiteral("Piece %1 of %2").arg(label.track).arg(label.trackTotal)
                   : QStringLiteral("Piece %1").arg(label.track);
    if (!label.performer.isEmpty() && !text.isEmpty())
        text += QStringLiteral(" \u2013 ") + label.performer;
    return text;
}

QVariant SegmentList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !isRow(index.row()))
        return {};
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) {
        QStringList lines;
        if (const QString name = title(index.row()); !name.isEmpty())
            lines << name;
        if (at(index.row()).copied)
            lines << QStringLiteral("Copied from the MP3 file without re-encoding");
        return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case RangeColumn:
        return range(index.row());
    case LengthColumn:
        return length(index.row());
    case StatusColumn:
        return status(index.row());
    default:
        return {};
    }
}

QVariant SegmentList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case RangeColumn:
        return QStringLiteral("Begin Time - End Time");
    case LengthColumn:
        return QStringLiteral("Length");
    case StatusColumn:
        return QStringLiteral("Status");
    default:
        return {};
    }
}

Qt::ItemFlags SegmentList::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
