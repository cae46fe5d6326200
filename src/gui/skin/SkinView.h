#pragma once

#include "skin/Skin.h"

#include <QPointer>
#include <QWidget>

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

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void paintElement(QPainter& p, const SkinElement& e) const;
    void paintPanel(QPainter& p, const SkinElement& e) const;
    void paintCaption(QPainter& p, const SkinElement& e, const QString& text) const;
    void paintButton(QPainter& p, const SkinElement& e) const;
    void paintSlider(QPainter& p, const SkinSlider& e) const;
    void paintBar(QPainter& p, const SkinElement& e) const;
    void updateCursor();

    Skin* m_skin = nullptr;
    Skin::WindowHandle m_window = nullptr;
    QPointer<SkinnedWindow> m_attached;
};
