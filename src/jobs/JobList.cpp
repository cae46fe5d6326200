// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/JobList.h"

#include <stdexcept>
#include <utility>

JobList::JobList(QObject* parent) : QAbstractTableModel(parent), m_selection(this) {}

size_t JobList::checked(int row) const
{
    if (!isRow(row))
        throw std::out_of_range("job list row " + std::to_string(row) + " does not exist");
    return static_cast<size_t>(row);
}

void JobList::setCaption(int row, const QString& caption)
{
    m_rows.at(checked(row)).caption = caption;
    emit dataChanged(index(row, NameColumn), index(row, NameColumn));
}

void JobList::setTimeText(int row, const QString& time)
{
    m_rows.at(checked(row)).time = time;
    emit dataChanged(index(row, TimeColumn), index(row, TimeColumn));
}

int JobList::append(const QString& caption)
{
    const int row = count();
    beginInsertRows({}, row, row);
    m_rows.push_back(Row{caption, QString(), listrecord{}, AudioFileinfo{}});
    endInsertRows();
    return row;
}

void JobList::removeAt(int row)
{
    checked(row);
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void JobList::swapRows(int a, int b)
{
    std::swap(m_rows.at(checked(a)), m_rows.at(checked(b)));
    emit rowsSwapped(a, b);
    emit dataChanged(index(std::min(a, b), 0), index(std::max(a, b), columnCount() - 1));
}

void JobList::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
    m_selection.clear();
}

int JobList::selectedRow() const
{
    return m_selection.selectedRow();
}

void JobList::select(int row)
{
    m_selection.selectRow(row);
}

void JobList::AdjustNameColumn()
{
    const int width = count() < 12 ? 143 : 123;
    if (width == m_nameColumnWidth)
        return;
    m_nameColumnWidth = width;
    emit nameColumnWidthChanged(width);
}

int JobList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int JobList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant JobList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !isRow(index.row()))
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return index.column() == NameColumn ? row.caption : row.time;
    if (role == Qt::ToolTipRole)
        return row.entry.path;
    return {};
}

QVariant JobList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("File name");
    case TimeColumn:
        return QStringLiteral("Time");
    default:
        return {};
    }
}

Qt::ItemFlags JobList::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
