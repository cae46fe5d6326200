// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>

// A rectangle as the skin engine exchanges it: right and bottom lie just
// outside the area, so a rectangle whose right edge equals its left edge is
// empty (the conversion bar at 0 %).
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    QRect toQRect() const { return QRect(left, top, width(), height()); }
    static SkinRect fromXYWH(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
    friend bool operator==(const SkinRect&, const SkinRect&) = default;
};

// The interfaces an element of a loaded skin answers. The program asks an
// element for the interface it needs (dynamic_cast); an element that does not
// offer it yields nullptr.

class SkinObject {
public:
    virtual ~SkinObject() = default;
    virtual QString GetName() const = 0;
};

class SkinFrame {
public:
    virtual ~SkinFrame() = default;
    virtual SkinRect GetBounds() const = 0;
    virtual void SetBounds(const SkinRect& bounds) = 0;
    // Changes become visible on the next Redraw.
    virtual void Redraw() = 0;
};

class SkinScroller {
public:
    virtual ~SkinScroller() = default;
    virtual int GetMax() const = 0;
    virtual void SetMax(int max) = 0;
    virtual int GetThumbSize() const = 0;
    virtual void SetThumbSize(int size) = 0;
    virtual int GetPosition() const = 0;
    virtual void SetPosition(int position) = 0;
};

class SkinText {
public:
    virtual ~SkinText() = default;
    virtual void SetText(const QString& text) = 0;
    virtual QString GetText() const = 0;
};
