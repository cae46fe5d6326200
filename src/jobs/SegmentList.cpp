#include "jobs/SegmentList.h"

#include "base/TimeCode.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

SegmentList::SegmentList(QObject* parent) : QAbstractTableModel(parent), m_selection(this) {}

QString SegmentList::rangeText(int32_t begin, int32_t end)
{
    return timecode::FormatTime(begin) + QStringLiteral(" - ") + timecode::FormatTime(end);
}

const SegmentList::Row& SegmentList::at(int row) const
{
    if (!isRow(row))
        throw std::out_of_range("segment list row " + std::to_string(row) + " does not exist");
    return m_rows[static_cast<size_t>(row)];
}

int SegmentList::addRow(int32_t begin, int32_t end, const QString& status)
{
    const int row = count();
    beginInsertRows({}, row, row);
    // The difference is taken in 64 bits: a hand-made list may hold any times.
    const int64_t length = static_cast<int64_t>(end) - begin;
    m_rows.push_back(Row{
        rangeText(begin, end),
        timecode::FormatTime(static_cast<int>(std::clamp<int64_t>(length, INT32_MIN, INT32_MAX))),
        status});
    endInsertRows();
    return row;
}

void SegmentList::setTexts(int row, const QString& range, const QString& length)
{
    at(row);
    m_rows[static_cast<size_t>(row)].range = range;
    m_rows[static_cast<size_t>(row)].length = length;
    emit dataChanged(index(row, RangeColumn), index(row, LengthColumn));
}

void SegmentList::setStatus(int row, const QString& status)
{
    at(row);
    m_rows[static_cast<size_t>(row)].status = status;
    emit dataChanged(index(row, StatusColumn), index(row, StatusColumn));
}

QString SegmentList::range(int row) const
{
    return at(row).range;
}

QString SegmentList::length(int row) const
{
    return at(row).length;
}

QString SegmentList::status(int row) const
{
    return at(row).status;
}

void SegmentList::removeAt(int row)
{
    at(row);
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void SegmentList::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
    m_selection.clear();
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

QVariant SegmentList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !isRow(index.row()) || role != Qt::DisplayRole)
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case RangeColumn:
        return row.range;
    case LengthColumn:
        return row.length;
    case StatusColumn:
        return row.status;
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
