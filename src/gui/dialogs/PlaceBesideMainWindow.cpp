#include "gui/dialogs/PlaceBesideMainWindow.h"

#include <QWidget>

void PlaceBesideMainWindow(QWidget& dialog, const QWidget& mainWindow)
{
    // The frame of a window that has not been shown yet is unknown, so a
    // frame position (move) is applied as if it had none, and the window
    // manager then puts the frame above that point. A client-area position is
    // kept exactly, and since both windows carry the same title bar, 10 px
    // between their client areas is 10 px between their frames as well.
    dialog.setGeometry(QRect(mainWindow.geometry().topLeft() + QPoint(10, 10), dialog.size()));
}
