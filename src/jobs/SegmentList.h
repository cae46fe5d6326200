#pragma once

#include "jobs/RowSelection.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

// The segment list `lv_time` of the selected file: per row its range, length
// and status texts. The rows carry nothing but these texts; the segment
// plans rebuild them and the editor, the jobs and the preview change them.
class SegmentList : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { RangeColumn = 0, LengthColumn = 1, StatusColumn = 2 };

    explicit SegmentList(QObject* parent = nullptr);

    // "00:01:00 - 00:02:00".
    static QString rangeText(int32_t begin, int32_t end);

    int count() const { return static_cast<int>(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    bool isRow(int row) const { return row >= 0 && row < count(); }

    // Adds a row for that segment with its length as FormatTime gives it.
    int addRow(int32_t begin, int32_t end, const QString& status);
    void setTexts(int row, const QString& range, const QString& length);
    void setStatus(int row, const QString& status);
    QString range(int row) const;
    QString length(int row) const;
    QString status(int row) const;
    void removeAt(int row);
    void clear();

    QItemSelectionModel* selectionModel() { return &m_selection; }
    int selectedRow() const;
    void select(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        QString range;
        QString length;
        QString status;
    };
    const Row& at(int row) const;

    std::vector<Row> m_rows;
    RowSelection m_selection;
};
