// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QRectF>
#include <QString>

class QPainter;

// The program's icons, drawn as vector shapes so that they stay crisp at any
// size and device pixel ratio. Names: play, stop, back, forward, add, up,
// down, remove, clear, folder, settings, help, book, globe, info, cut, join,
// halt, begin, end, confirm, exit, tag, logo. An unknown name draws nothing.
void DrawSkinIcon(QPainter& painter, const QString& name, const QRectF& box, const QColor& ink);
bool HasSkinIcon(const QString& name);

// The same drawing as a QIcon for menus and windows.
QIcon SkinIcon(const QString& name, const QColor& ink = QColor(0x2b, 0x3a, 0x55));
