// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/PlaceBesideMainWindow.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

void PlaceBesideMainWindow(QWidget& dialog, const QWidget& mainWindow)
{
    // The frame of a window that has not been shown yet is unknown, so a
    // frame position (move) is applied as if it had none, and the window
    // manager then puts the frame above that point. A client-area position is
    // kept exactly, and where both windows carry the same title bar, 10 px
    // between their client areas is 10 px between their frames as well.
    const QPoint client = mainWindow.geometry().topLeft() + QPoint(10, 10);
    dialog.setGeometry(QRect(client, dialog.size()));
    // Where the desktop decorates the dialog otherwise, its frame is put in
    // place once the window manager has drawn it.
    QPointer<QWidget> placed(&dialog);
    QPointer<const QWidget> main(&mainWindow);
    QTimer::singleShot(200, &dialog, [placed, main, client] {
        // Not when the dialog has gone or been moved meanwhile.
        if (!placed || !main || !placed->isVisible() || !placed->windowHandle() ||
            placed->geometry().topLeft() != client)
            return;
        const QPoint target = main->frameGeometry().topLeft() + QPoint(10, 10);
        if (!placed->windowHandle()->frameMargins().isNull() &&
            placed->frameGeometry().topLeft() != target)
            placed->move(target);
    });
}
