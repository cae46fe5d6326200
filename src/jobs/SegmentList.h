// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/JobEntry.h"
#include "jobs/RowSelection.h"
#include "jobs/SegmentStatus.h"

#include <QAbstractTableModel>
#include <vector>

class JobList;

// The segment list `lv_time` of the selected file: a view of segments, each
// with its state, rendered to the described texts only in data(). A stored
// list is read from its job list entry, which stays the one place its
// segments are kept, so the rows can never drift from it; computed pieces
// are never stored and live in the rows. The view follows its entry when
// rows of the file list are moved or removed.
class SegmentList : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { RangeColumn = 0, LengthColumn = 1, StatusColumn = 2 };

    explicit SegmentList(const JobList& files, QObject* parent = nullptr);

    // A bound as hh:mm:ss, with milliseconds (00:01:02.345) when it does not
    // fall on a whole second.
    static QString timeText(const SegmentPoint& point);
    // "00:01:00 - 00:02:00".
    static QString rangeText(const Segment& segment);
    // The length, hh:mm:ss or with milliseconds as the bounds are; a
    // negative length keeps its sign (-00:00:05).
    static QString lengthText(const Segment& segment);

    // ---- What the rows show ------------------------------------------------
    // The stored list of job list entry `entry`: its confirmed segments "OK"
    // and its open segment "Uncertain".
    void showStored(int entry);
    // Computed pieces, each with `status`.
    void showComputed(const QVector<Segment>& pieces, SegmentStatus status);
    void clear();
    // The stored list as a job takes it: the open segment, which a job never
    // processes, is set aside while confirmed segments stand before it, or
    // marked "OK" when it is the only one. It stays aside until the list is
    // shown again, and the rows still map one to one onto the entry's
    // segments from the first.
    void takeOutOpenSegment();

    // The entry whose stored list the rows show, -1 for computed pieces or nothing.
    int shownEntry() const { return m_entry; }
    // The rows show `entry`'s list as it is now (its open segment perhaps set aside).
    bool showsStoredList(int entry) const;
    bool openSegmentSetAside() const { return m_openAside; }

    int count() const { return static_cast<int>(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    bool isRow(int row) const { return row >= 0 && row < count(); }
    Segment segment(int row) const;
    SegmentStatus segmentStatus(int row) const;
    // The texts the three columns show.
    QString range(int row) const;
    QString length(int row) const;
    QString status(int row) const;
    // What a piece from a cue sheet, chapters or a silence search is
    // called ("03 Title – Performer", "Piece 3 of 5"), shown as the row's
    // tooltip; empty for the segments that carry no label.
    QString title(int row) const;

    // ---- Changes -----------------------------------------------------------
    void setStatus(int row, SegmentStatus status);
    // The piece of `row` was copied from the source's MP3 frames instead of
    // encoded: the status keeps its text and a tooltip says so.
    void setCopied(int row);
    bool isCopied(int row) const;
    // The editor moved a bound of the segment of `row`; the Begin and End
    // commands show a negative length as 00:00:00, unlike the list builders.
    void segmentEdited(int row);
    // The editor confirmed the open segment of the shown list ("Ok") and
    // opened a new one behind it.
    void openSegmentConfirmed();
    // The editor removed the segment of `row` from the shown list.
    void segmentRemoved(int row);

    // The preview plays the segment of `row`: it reads "Playing" until
    // endPlaying puts back what it read before, if it still reads "Playing".
    void startPlaying(int row);
    void endPlaying(int row);
    bool isPlaying(int row) const;

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
        SegmentStatus status;
        SegmentStatus beforePlaying = SegmentStatus::Open;
        // Set by the Begin and End commands: a negative length reads 00:00:00.
        bool lengthAtLeastZero = false;
        bool copied = false;
    };
    const Row& at(int row) const;
    void reset(int entry, QVector<Segment> computed, std::vector<Row> rows);
    void fileRowsRemoved(int first, int last);
    void fileRowsSwapped(int a, int b);

    const JobList& m_files;
    int m_entry = -1;
    bool m_openAside = false;
    QVector<Segment> m_computed;
    std::vector<Row> m_rows;
    RowSelection m_selection;
};
