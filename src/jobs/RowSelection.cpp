// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/RowSelection.h"

int RowSelection::selectedRow() const
{
    const QModelIndexList rows = selectedRows();
    if (!rows.isEmpty())
        return rows.first().row();
    // A view that selected single cells still marks a row.
    const QModelIndexList cells = selectedIndexes();
    return cells.isEmpty() ? -1 : cells.first().row();
}

void RowSelection::selectRow(int row)
{
    if (row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    setCurrentIndex(model()->index(row, 0),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
