// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/JobEntry.h"
#include "jobs/RowSelection.h"

#include <QAbstractTableModel>
#include <vector>

// The job list: per row the shown caption and time, the job list entry
// (`listrecord`) and the tag record (`AudioFileinfo`). The three are one
// element of one sequence, so no operation can move a row without its entry
// and tag record. Shown by the file list view `lv`, whose selection is this
// model's selection model.
class JobList : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, TimeColumn = 1 };

    explicit JobList(QObject* parent = nullptr);

    int count() const { return static_cast<int>(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    bool isRow(int row) const { return row >= 0 && row < count(); }

    const listrecord& entry(int row) const { return m_rows.at(checked(row)).entry; }
    listrecord& entry(int row) { return m_rows.at(checked(row)).entry; }
    const AudioFileinfo& info(int row) const { return m_rows.at(checked(row)).info; }
    AudioFileinfo& info(int row) { return m_rows.at(checked(row)).info; }
    QString caption(int row) const { return m_rows.at(checked(row)).caption; }
    QString timeText(int row) const { return m_rows.at(checked(row)).time; }
    void setCaption(int row, const QString& caption);
    void setTimeText(int row, const QString& time);
    // The tag editor changes the records of all rows at once.
    void setInfo(int row, const AudioFileinfo& info) { m_rows.at(checked(row)).info = info; }

    // Appends a row with an empty entry and tag record; returns its index.
    int append(const QString& caption);
    void removeAt(int row);
    // Exchanges two rows with their entries and tag records.
    void swapRows(int a, int b);
    void clear();

    QItemSelectionModel* selectionModel() { return &m_selection; }
    // The selected row, -1 when none is.
    int selectedRow() const;
    // Selects that row alone; -1 clears the selection.
    void select(int row);

    // The width of the "File name" column: 143 while fewer than 12 rows leave
    // room beside the vertical scroll bar, 123 from 12 rows on.
    int nameColumnWidth() const { return m_nameColumnWidth; }
    void AdjustNameColumn();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void nameColumnWidthChanged(int width);
    // Rows `a` and `b` exchanged their files (the model's own signals only
    // say that their data changed).
    void rowsSwapped(int a, int b);

private:
    struct Row {
        QString caption;
        QString time;
        listrecord entry;
        AudioFileinfo info;
    };
    size_t checked(int row) const;

    std::vector<Row> m_rows;
    RowSelection m_selection;
    int m_nameColumnWidth = 143;
};
