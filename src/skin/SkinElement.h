// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skin/SkinFile.h"
#include "skin/SkinInterfaces.h"

#include <memory>

class SkinnedWindow;

// One element of a skinned window. Every element has a name (possibly empty
// for decoration) and a rectangle; sliders and texts add their interfaces.
class SkinElement : public SkinObject, public SkinFrame {
public:
    // `window` may be null: such a detached element keeps its values but is
    // never painted.
    SkinElement(SkinnedWindow* window, const SkinElementDesc& desc);

    static std::unique_ptr<SkinElement> create(SkinnedWindow* window, const SkinElementDesc& desc);

    SkinKind kind() const { return m_kind; }
    QString attribute(const QString& key, const QString& fallback = {}) const;
    int intAttribute(const QString& key, int fallback) const;
    bool isInteractive() const { return m_kind == SkinKind::Button || m_kind == SkinKind::Slider; }

    QString GetName() const override { return m_name; }
    SkinRect GetBounds() const override { return m_bounds; }
    void SetBounds(const SkinRect& bounds) override { m_bounds = bounds; }
    // The rectangle the skin file gives, whatever the program set since
    // (the full length of a bar).
    SkinRect designBounds() const { return m_designBounds; }
    void Redraw() override;

private:
    SkinnedWindow* m_window;
    SkinKind m_kind;
    QString m_name;
    SkinRect m_bounds;
    SkinRect m_designBounds;
    SkinRect m_drawnBounds; // what the screen shows, repainted together with the new rectangle
    QHash<QString, QString> m_attributes;
};

class SkinSlider : public SkinElement, public SkinScroller {
public:
    SkinSlider(SkinnedWindow* window, const SkinElementDesc& desc);

    int GetMax() const override { return m_max; }
    void SetMax(int max) override { m_max = max; }
    int GetThumbSize() const override { return m_thumbSize; }
    void SetThumbSize(int size) override { m_thumbSize = size; }
    int GetPosition() const override { return m_position; }
    void SetPosition(int position) override { m_position = position; }

    // The last position the thumb can reach: maximum minus thumb size.
    int range() const { return m_max - m_thumbSize > 0 ? m_max - m_thumbSize : 0; }
    // Width in pixels of the drawn thumb, and the mapping between positions
    // and the x coordinate of the thumb's centre; painter and mouse agree on it.
    int thumbPixels() const;
    int positionAt(int x) const;
    int thumbCentre() const;

private:
    int m_max = 100;
    int m_thumbSize = 0;
    int m_position = 0;
};

class SkinTextElement : public SkinElement, public SkinText {
public:
    SkinTextElement(SkinnedWindow* window, const SkinElementDesc& desc);

    void SetText(const QString& text) override { m_text = text; }
    QString GetText() const override { return m_text; }

private:
    QString m_text;
};
