// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QItemSelectionModel>

// The selection of a list whose views select whole rows, one at a time:
// the file list and the segment list.
class RowSelection : public QItemSelectionModel {
public:
    explicit RowSelection(QAbstractItemModel* model) : QItemSelectionModel(model) {}

    // The selected row; -1 when nothing is selected.
    int selectedRow() const;
    // Selects `row` and makes it current; a row the list does not have
    // clears the selection.
    void selectRow(int row);
};
