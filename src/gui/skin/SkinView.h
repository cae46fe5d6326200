// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skin/Skin.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QPainter;

// Paints a skinned window and feeds the mouse into the skin engine, which
// raises the element events. Without a skin it paints a plain surface.
class SkinView : public QWidget {
    Q_OBJECT
public:
    explicit SkinView(QWidget* parent = nullptr);

    // The engine and the window handle whose skinned form this view shows.
    void setSkin(Skin& skin, Skin::WindowHandle window);

    // Call after the window has been dressed (SkinWindowAs), to follow the
    // repaint requests of its elements.
    void attach();

    Skin* skin() const { return m_skin; }
    SkinnedWindow* skinnedWindow() const;

    // The elements Tab visits, in reading order: the buttons and the slider.
    std::vector<SkinElement*> focusableElements() const;
    // The element with the keyboard focus inside the panel, or nullptr.
    SkinElement* focusedElement() const;
    void setFocusedElement(SkinElement* element);

    // Keys the panel does not handle itself (Space and Enter press the
    // focused button); answers whether it used the key.
    std::function<bool(SkinElement* focused, QKeyEvent* event)> keyHandler;
    // Draws behind a slider's track (the waveform of the selected file).
    std::function<void(QPainter& p, const SkinSlider& slider)> sliderUnderlay;

signals:
    // The keyboard focus moved to another element of the panel.
    void focusedElementChanged(SkinElement* element);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void paintElement(QPainter& p, const SkinElement& e) const;
    void paintPanel(QPainter& p, const SkinElement& e) const;
    void paintCaption(QPainter& p, const SkinElement& e, const QString& text) const;
    void paintButton(QPainter& p, const SkinElement& e) const;
    void paintSlider(QPainter& p, const SkinSlider& e) const;
    void paintBar(QPainter& p, const SkinElement& e) const;
    void updateCursor();
    void paintFocusRing(QPainter& p) const;
    bool isButton(const SkinElement* e) const;

    Skin* m_skin = nullptr;
    Skin::WindowHandle m_window = nullptr;
    QPointer<SkinnedWindow> m_attached;
    int m_focusIndex = -1;
};
