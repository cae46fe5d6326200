// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/SkinView.h"

#include "gui/SkinIcons.h"

#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cstdlib>

namespace {

QColor colour(const SkinElement& e, const QString& key, const QColor& fallback)
{
    const QString v = e.attribute(key);
    if (v.isEmpty())
        return fallback;
    const QColor c = QColor::fromString(v);
    return c.isValid() ? c : fallback;
}

int mouseButton(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 0;
    case Qt::RightButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    default:
        return 3;
    }
}

QFont elementFont(const SkinElement& e, int defaultSize)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(e.intAttribute(QStringLiteral("size"), defaultSize));
    const QString weight = e.attribute(QStringLiteral("weight"));
    if (weight == QLatin1String("bold"))
        f.setWeight(QFont::Bold);
    else if (weight == QLatin1String("medium"))
        f.setWeight(QFont::DemiBold);
    if (e.attribute(QStringLiteral("font")) == QLatin1String("mono"))
        f.setFamily(QStringLiteral("DejaVu Sans Mono"));
    if (e.intAttribute(QStringLiteral("spacing"), 0) != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, e.intAttribute(QStringLiteral("spacing"), 0));
    return f;
}

Qt::Alignment alignment(const SkinElement& e)
{
    const QString a = e.attribute(QStringLiteral("align"), QStringLiteral("center"));
    Qt::Alignment h = Qt::AlignHCenter;
    if (a == QLatin1String("left"))
        h = Qt::AlignLeft;
    else if (a == QLatin1String("right"))
        h = Qt::AlignRight;
    return h | Qt::AlignVCenter;
}

QRectF inner(const QRect& r)
{
    return QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
}

} // namespace

SkinView::SkinView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tab walks the panel's elements one by one, then leaves for the lists.
    // Only the keyboard focuses it: a mouse click on the panel leaves the
    // focus in the list the user works in.
    setFocusPolicy(Qt::TabFocus);
}

SkinnedWindow* SkinView::skinnedWindow() const
{
    return m_skin ? m_skin->GetSkinnedWindow(m_window) : nullptr;
}

std::vector<SkinElement*> SkinView::focusableElements() const
{
    std::vector<SkinElement*> out;
    const SkinnedWindow* w = skinnedWindow();
    if (!w)
        return out;
    for (const auto& e : w->elements())
        if (e->isInteractive() && !e->GetName().isEmpty())
            out.push_back(e.get());
    // Reading order: rows from the top, then from the left; elements whose
    // centres lie within a few pixels of one another share a row.
    std::stable_sort(out.begin(), out.end(), [](const SkinElement* a, const SkinElement* b) {
        const int ay = a->GetBounds().top + a->GetBounds().height() / 2;
        const int by = b->GetBounds().top + b->GetBounds().height() / 2;
        if (std::abs(ay - by) > 6)
            return ay < by;
        return a->GetBounds().left < b->GetBounds().left;
    });
    return out;
}

SkinElement* SkinView::focusedElement() const
{
    const auto elements = focusableElements();
    if (m_focusIndex < 0 || m_focusIndex >= static_cast<int>(elements.size()))
        return nullptr;
    return elements[static_cast<size_t>(m_focusIndex)];
}

void SkinView::setFocusedElement(SkinElement* element)
{
    const auto elements = focusableElements();
    const auto it = std::find(elements.begin(), elements.end(), element);
    const int index = it == elements.end() ? -1 : static_cast<int>(it - elements.begin());
    if (index == m_focusIndex)
        return;
    m_focusIndex = index;
    update();
    emit focusedElementChanged(focusedElement());
}

bool SkinView::isButton(const SkinElement* e) const
{
    return e && e->kind() == SkinKind::Button;
}

void SkinView::focusInEvent(QFocusEvent* event)
{
    const auto elements = focusableElements();
    if (!elements.empty()) {
        if (event->reason() == Qt::BacktabFocusReason)
            setFocusedElement(elements.back());
        else if (event->reason() == Qt::TabFocusReason || !focusedElement())
            setFocusedElement(elements.front());
    }
    update();
    QWidget::focusInEvent(event);
}

void SkinView::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

bool SkinView::focusNextPrevChild(bool next)
{
    const auto elements = focusableElements();
    const int target = m_focusIndex + (next ? 1 : -1);
    if (hasFocus() && target >= 0 && target < static_cast<int>(elements.size())) {
        setFocusedElement(elements[static_cast<size_t>(target)]);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void SkinView::keyPressEvent(QKeyEvent* event)
{
    SkinElement* focused = focusedElement();
    const int key = event->key();
    const bool activate = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (activate && isButton(focused) && m_skin && event->modifiers() == Qt::NoModifier) {
        m_skin->clickElement(focused);
        return;
    }
    if (keyHandler && keyHandler(focused, event))
        return;
    QWidget::keyPressEvent(event);
}

void SkinView::paintFocusRing(QPainter& p) const
{
    const SkinElement* e = focusedElement();
    if (!e || !hasFocus())
        return;
    const QRectF r = QRectF(e->GetBounds().toQRect()).adjusted(-2.5, -2.5, 2.5, 2.5);
    const qreal radius = std::min<qreal>(e->intAttribute(QStringLiteral("radius"), 3) + 2,
                                         std::min(r.width(), r.height()) / 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xff, 0xd4, 0x4d), 2));
    p.drawRoundedRect(r, radius, radius);
}

void SkinView::setSkin(Skin& skin, Skin::WindowHandle window)
{
    if (m_skin)
        disconnect(m_skin, nullptr, this, nullptr);
    m_skin = &skin;
    m_window = window;
    connect(m_skin, &Skin::stateChanged, this, [this](Skin::WindowHandle w, const QRect& area) {
        if (w == m_window)
            update(area.adjusted(-2, -2, 2, 2));
        updateCursor();
    });
    update();
}

void SkinView::attach()
{
    if (!m_skin)
        return;
    SkinnedWindow* w = m_skin->GetSkinnedWindow(m_window);
    if (w == m_attached)
        return;
    if (m_attached)
        disconnect(m_attached, nullptr, this, nullptr);
    m_attached = w;
    if (w) {
        connect(w, &SkinnedWindow::redrawRequested, this,
                [this](const QRect& area) { update(area.adjusted(-2, -2, 2, 2)); });
    }
    update();
}

void SkinView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const SkinnedWindow* w = m_skin ? m_skin->GetSkinnedWindow(m_window) : nullptr;
    QColor background(0x1c, 0x22, 0x30);
    if (w) {
        const QColor c = QColor::fromString(w->attribute(QStringLiteral("fill")));
        if (c.isValid())
            background = c;
    }
    p.fillRect(rect(), background);
    if (!w)
        return;
    for (const auto& e : w->elements())
        paintElement(p, *e);
    paintFocusRing(p);
}

void SkinView::paintElement(QPainter& p, const SkinElement& e) const
{
    switch (e.kind()) {
    case SkinKind::Panel:
        paintPanel(p, e);
        break;
    case SkinKind::Label:
        paintCaption(p, e, e.attribute(QStringLiteral("text")));
        break;
    case SkinKind::Text:
        paintPanel(p, e);
        paintCaption(p, e, dynamic_cast<const SkinTextElement&>(e).GetText());
        break;
    case SkinKind::Button:
        paintButton(p, e);
        break;
    case SkinKind::Slider:
        paintSlider(p, dynamic_cast<const SkinSlider&>(e));
        break;
    case SkinKind::Bar:
        paintBar(p, e);
        break;
    }
}

void SkinView::paintPanel(QPainter& p, const SkinElement& e) const
{
    const QRect r = e.GetBounds().toQRect();
    if (r.isEmpty())
        return;
    const QColor fill = colour(e, QStringLiteral("fill"), Qt::transparent);
    const QColor fill2 = colour(e, QStringLiteral("fill2"), fill);
    const QColor border = colour(e, QStringLiteral("border"), Qt::transparent);
    const qreal radius = e.intAttribute(QStringLiteral("radius"), 0);
    if (fill.alpha() == 0 && fill2.alpha() == 0 && border.alpha() == 0)
        return;
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill);
    g.setColorAt(1, fill2);
    p.setPen(border.alpha() ? QPen(border, 1) : QPen(Qt::NoPen));
    p.setBrush(g);
    p.drawRoundedRect(inner(r), radius, radius);
    const QColor line = colour(e, QStringLiteral("line"), Qt::transparent);
    if (line.alpha()) {
        p.setPen(QPen(line, 1));
        p.drawLine(QPointF(r.left(), r.bottom() + 0.5), QPointF(r.right() + 1, r.bottom() + 0.5));
    }
}

void SkinView::paintCaption(QPainter& p, const SkinElement& e, const QString& text) const
{
    const QRect r = e.GetBounds().toQRect();
    const QString icon = e.attribute(QStringLiteral("icon"));
    if (!icon.isEmpty())
        DrawSkinIcon(p, icon, r, colour(e, QStringLiteral("ink"), QColor(0xe6, 0xec, 0xf5)));
    if (text.isEmpty())
        return;
    p.setFont(elementFont(e, 11));
    p.setPen(colour(e, QStringLiteral("ink"), QColor(0xe6, 0xec, 0xf5)));
    const int pad = e.intAttribute(QStringLiteral("pad"), 0);
    p.drawText(r.adjusted(pad, 0, -pad, 0), alignment(e), text);
}

void SkinView::paintButton(QPainter& p, const SkinElement& e) const
{
    const QRect r = e.GetBounds().toQRect();
    const bool down = m_skin->pressed() == &e;
    const bool hover = m_skin->hovered() == &e && (!m_skin->pressed() || down);
    const QColor fill = colour(e, QStringLiteral("fill"), Qt::transparent);
    QColor face = fill;
    if (down)
        face = colour(e, QStringLiteral("down"), fill.darker(130));
    else if (hover)
        face = colour(e, QStringLiteral("hover"), fill.lighter(125));
    const QColor border = colour(e, QStringLiteral("border"), Qt::transparent);
    const qreal radius = e.intAttribute(QStringLiteral("radius"), 4);
    if (face.alpha() || border.alpha()) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, down ? face : face.lighter(108));
        g.setColorAt(1, down ? face.lighter(106) : face);
        p.setPen(border.alpha() ? QPen(down ? border.darker(115) : border, 1) : Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(inner(r), radius, radius);
    }
    QColor ink = colour(e, QStringLiteral("ink"), QColor(0xe6, 0xec, 0xf5));
    if (hover || down)
        ink = colour(e, QStringLiteral("inkhover"), ink);
    const QString text = e.attribute(QStringLiteral("text"));
    const QString icon = e.attribute(QStringLiteral("icon"));
    const int shift = down ? 1 : 0;
    const QRect content = r.translated(0, shift);
    const int iconSize = e.intAttribute(QStringLiteral("iconsize"), std::min(r.height() - 8, 16));
    if (!icon.isEmpty() && text.isEmpty()) {
        const QRectF box(content.center().x() - iconSize / 2.0 + 0.5,
                         content.center().y() - iconSize / 2.0 + 0.5, iconSize, iconSize);
        DrawSkinIcon(p, icon, box, ink);
        return;
    }
    p.setFont(elementFont(e, 11));
    p.setPen(ink);
    if (icon.isEmpty()) {
        p.drawText(content, alignment(e), text);
        return;
    }
    const int gap = 5;
    const int textWidth = p.fontMetrics().horizontalAdvance(text);
    const int total = iconSize + gap + textWidth;
    const qreal left = content.center().x() + 0.5 - total / 2.0;
    DrawSkinIcon(p, icon,
                 QRectF(left, content.center().y() - iconSize / 2.0 + 0.5, iconSize, iconSize),
                 ink);
    p.drawText(QRectF(left + iconSize + gap, content.top(), textWidth + 2, content.height()),
               Qt::AlignLeft | Qt::AlignVCenter, text);
}

void SkinView::paintSlider(QPainter& p, const SkinSlider& e) const
{
    const QRect r = e.GetBounds().toQRect();
    const int thumb = e.thumbPixels();
    const qreal groove = e.intAttribute(QStringLiteral("groove"), 4);
    const qreal cy = r.top() + r.height() / 2.0;
    const QRectF track(r.left() + thumb / 2.0 - groove / 2, cy - groove / 2,
                       r.width() - thumb + groove, groove);
    if (sliderUnderlay)
        sliderUnderlay(p, e);
    p.setPen(Qt::NoPen);
    p.setBrush(colour(e, QStringLiteral("track"), QColor(0x0e, 0x13, 0x1c)));
    p.drawRoundedRect(track, groove / 2, groove / 2);
    const qreal cx = e.thumbCentre() + 0.5;
    QRectF played = track;
    played.setRight(cx);
    p.setBrush(colour(e, QStringLiteral("fill"), QColor(0x3d, 0xa5, 0xff)));
    p.drawRoundedRect(played, groove / 2, groove / 2);

    const bool active = m_skin->pressed() == &e || m_skin->hovered() == &e;
    const qreal radius = thumb / 2.0 - 0.5;
    if (active) {
        QColor halo = colour(e, QStringLiteral("fill"), QColor(0x3d, 0xa5, 0xff));
        halo.setAlpha(60);
        p.setBrush(halo);
        p.drawEllipse(QPointF(cx, cy), radius + 2.5, radius + 2.5);
    }
    p.setPen(QPen(colour(e, QStringLiteral("ring"), QColor(0x3d, 0xa5, 0xff)), 2));
    p.setBrush(colour(e, QStringLiteral("thumb"), Qt::white));
    p.drawEllipse(QPointF(cx, cy), radius - 1, radius - 1);
}

void SkinView::paintBar(QPainter& p, const SkinElement& e) const
{
    const QRect r = e.GetBounds().toQRect();
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const QColor fill = colour(e, QStringLiteral("fill"), QColor(0x3d, 0xa5, 0xff));
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, fill);
    g.setColorAt(1, colour(e, QStringLiteral("fill2"), fill));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    const qreal radius =
        std::min<qreal>(e.intAttribute(QStringLiteral("radius"), 0), r.width() / 2.0);
    p.drawRoundedRect(QRectF(r), radius, radius);
}

void SkinView::updateCursor()
{
    const SkinElement* e = m_skin ? m_skin->hovered() : nullptr;
    setCursor(e && e->isInteractive() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void SkinView::mousePressEvent(QMouseEvent* event)
{
    if (!m_skin)
        return;
    const QPoint pt = event->position().toPoint();
    m_skin->mousePress(m_window, pt.x(), pt.y(), mouseButton(event->button()));
}

void SkinView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_skin)
        return;
    const QPoint pt = event->position().toPoint();
    m_skin->mouseMove(m_window, pt.x(), pt.y());
}

void SkinView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_skin)
        return;
    const QPoint pt = event->position().toPoint();
    m_skin->mouseRelease(m_window, pt.x(), pt.y(), mouseButton(event->button()));
}

void SkinView::leaveEvent(QEvent*)
{
    if (!m_skin)
        return;
    m_skin->mouseLeave(m_window);
}

bool SkinView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Space and Enter press the focused button before any shortcut of
        // the window sees them.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool activate = key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
                              key->key() == Qt::Key_Enter;
        if (activate && isButton(focusedElement()) && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const SkinnedWindow* w = m_skin ? m_skin->GetSkinnedWindow(m_window) : nullptr;
        const SkinElement* e = w ? w->elementAt(help->pos().x(), help->pos().y()) : nullptr;
        QString hint = e ? e->attribute(QStringLiteral("hint")) : QString();
        const QString key = e ? e->attribute(QStringLiteral("key")) : QString();
        if (!hint.isEmpty() && !key.isEmpty())
            hint += QStringLiteral(" (%1)").arg(key);
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), hint, this);
        return true;
    }
    return QWidget::event(event);
}
