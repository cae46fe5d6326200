// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/SkinIcons.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <functional>

namespace {

// Each icon is drawn on a 24 × 24 grid; the painter is scaled to the box.
using Draw = std::function<void(QPainter&, const QColor&)>;

QPen line(const QColor& ink, qreal width = 2.0)
{
    return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void triangle(QPainter& p, qreal x, qreal y, qreal w, qreal h, bool right)
{
    QPainterPath path;
    if (right) {
        path.moveTo(x, y);
        path.lineTo(x + w, y + h / 2);
        path.lineTo(x, y + h);
    } else {
        path.moveTo(x + w, y);
        path.lineTo(x, y + h / 2);
        path.lineTo(x + w, y + h);
    }
    path.closeSubpath();
    p.drawPath(path);
}

void arrow(QPainter& p, const QColor& ink, bool up)
{
    p.setPen(line(ink, 2.2));
    const qreal tip = up ? 5 : 19;
    const qreal tail = up ? 19 : 5;
    const qreal wing = up ? 11 : 13;
    p.drawLine(QPointF(12, tip), QPointF(12, tail));
    p.drawLine(QPointF(12, tip), QPointF(6, wing));
    p.drawLine(QPointF(12, tip), QPointF(18, wing));
}

void page(QPainter& p, const QColor& ink)
{
    p.setPen(line(ink, 1.8));
    QPainterPath path;
    path.moveTo(6, 3);
    path.lineTo(14, 3);
    path.lineTo(19, 8);
    path.lineTo(19, 21);
    path.lineTo(6, 21);
    path.closeSubpath();
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(14, 3), QPointF(14, 8), QPointF(19, 8)}));
}

const QHash<QString, Draw>& icons()
{
    static const QHash<QString, Draw> table = {
        {QStringLiteral("play"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.5));
             p.setBrush(ink);
             triangle(p, 8, 5, 11, 14, true);
         }},
        {QStringLiteral("stop"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(Qt::NoPen);
             p.setBrush(ink);
             p.drawRoundedRect(QRectF(6.5, 6.5, 11, 11), 1.5, 1.5);
         }},
        {QStringLiteral("back"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.2));
             p.setBrush(ink);
             triangle(p, 3, 7, 9, 10, false);
             triangle(p, 11, 7, 9, 10, false);
         }},
        {QStringLiteral("forward"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.2));
             p.setBrush(ink);
             triangle(p, 4, 7, 9, 10, true);
             triangle(p, 12, 7, 9, 10, true);
         }},
        {QStringLiteral("add"),
         [](QPainter& p, const QColor& ink) {
             page(p, ink);
             p.setPen(line(ink, 2));
             p.drawLine(QPointF(12.5, 11), QPointF(12.5, 18));
             p.drawLine(QPointF(9, 14.5), QPointF(16, 14.5));
         }},
        {QStringLiteral("up"), [](QPainter& p, const QColor& ink) { arrow(p, ink, true); }},
        {QStringLiteral("down"), [](QPainter& p, const QColor& ink) { arrow(p, ink, false); }},
        {QStringLiteral("remove"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 2.2));
             p.drawLine(QPointF(7, 7), QPointF(17, 17));
             p.drawLine(QPointF(17, 7), QPointF(7, 17));
         }},
        {QStringLiteral("clear"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             p.drawLine(QPointF(5, 7), QPointF(19, 7));
             p.drawLine(QPointF(10, 7), QPointF(10.5, 4));
             p.drawLine(QPointF(10.5, 4), QPointF(13.5, 4));
             p.drawLine(QPointF(13.5, 4), QPointF(14, 7));
             QPainterPath can;
             can.moveTo(7, 7);
             can.lineTo(8, 20);
             can.lineTo(16, 20);
             can.lineTo(17, 7);
             p.drawPath(can);
             p.drawLine(QPointF(10.5, 10), QPointF(10.8, 17));
             p.drawLine(QPointF(13.5, 10), QPointF(13.2, 17));
         }},
        {QStringLiteral("folder"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             QPainterPath path;
             path.moveTo(3, 7);
             path.lineTo(3, 19);
             path.lineTo(21, 19);
             path.lineTo(21, 8.5);
             path.lineTo(11.5, 8.5);
             path.lineTo(9.5, 5.5);
             path.lineTo(3.8, 5.5);
             path.closeSubpath();
             p.drawPath(path);
         }},
        {QStringLiteral("settings"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             const qreal rows[3] = {6, 12, 18};
             const qreal knobs[3] = {15, 8, 13};
             for (int i = 0; i < 3; ++i) {
                 p.setBrush(Qt::NoBrush);
                 p.drawLine(QPointF(4, rows[i]), QPointF(20, rows[i]));
                 p.setBrush(ink);
                 p.drawEllipse(QPointF(knobs[i], rows[i]), 2.2, 2.2);
             }
         }},
        {QStringLiteral("help"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             p.drawEllipse(QPointF(12, 12), 9, 9);
             QPainterPath q;
             q.moveTo(9.2, 9.5);
             q.cubicTo(9.2, 6.2, 14.8, 6.2, 14.8, 9.5);
             q.cubicTo(14.8, 11.8, 12, 11.8, 12, 14.2);
             p.drawPath(q);
             p.setPen(Qt::NoPen);
             p.setBrush(ink);
             p.drawEllipse(QPointF(12, 17.3), 1.3, 1.3);
         }},
        {QStringLiteral("book"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.7));
             QPainterPath left;
             left.moveTo(12, 7);
             left.cubicTo(9.5, 5, 6, 5, 3, 6);
             left.lineTo(3, 19);
             left.cubicTo(6, 18, 9.5, 18, 12, 20);
             QPainterPath right;
             right.moveTo(12, 7);
             right.cubicTo(14.5, 5, 18, 5, 21, 6);
             right.lineTo(21, 19);
             right.cubicTo(18, 18, 14.5, 18, 12, 20);
             p.drawPath(left);
             p.drawPath(right);
             p.drawLine(QPointF(12, 7), QPointF(12, 20));
         }},
        {QStringLiteral("globe"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.6));
             p.drawEllipse(QPointF(12, 12), 9, 9);
             p.drawEllipse(QPointF(12, 12), 4, 9);
             p.drawLine(QPointF(3, 12), QPointF(21, 12));
             p.drawLine(QPointF(4.5, 7.5), QPointF(19.5, 7.5));
             p.drawLine(QPointF(4.5, 16.5), QPointF(19.5, 16.5));
         }},
        {QStringLiteral("info"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             p.drawEllipse(QPointF(12, 12), 9, 9);
             p.setPen(line(ink, 2.2));
             p.drawLine(QPointF(12, 11), QPointF(12, 17));
             p.setPen(Qt::NoPen);
             p.setBrush(ink);
             p.drawEllipse(QPointF(12, 7.5), 1.4, 1.4);
         }},
        {QStringLiteral("cut"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             p.drawEllipse(QPointF(7, 17), 3, 3);
             p.drawEllipse(QPointF(17, 17), 3, 3);
             p.drawLine(QPointF(9, 14.6), QPointF(18, 4));
             p.drawLine(QPointF(15, 14.6), QPointF(6, 4));
         }},
        {QStringLiteral("join"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             p.drawRoundedRect(QRectF(2.5, 8.5, 9, 7), 3.5, 3.5);
             p.drawRoundedRect(QRectF(12.5, 8.5, 9, 7), 3.5, 3.5);
             p.setPen(line(ink, 2.2));
             p.drawLine(QPointF(8.5, 12), QPointF(15.5, 12));
         }},
        {QStringLiteral("halt"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             QPolygonF oct;
             for (int i = 0; i < 8; ++i) {
                 const qreal a = (22.5 + 45.0 * i) * 3.14159265358979 / 180.0;
                 oct << QPointF(12 + 9 * std::cos(a), 12 + 9 * std::sin(a));
             }
             p.drawPolygon(oct);
             p.setPen(Qt::NoPen);
             p.setBrush(ink);
             p.drawRect(QRectF(9, 9, 6, 6));
         }},
        {QStringLiteral("begin"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 2));
             p.drawLine(QPointF(7, 5), QPointF(7, 19));
             p.setBrush(ink);
             p.setPen(line(ink, 1.2));
             triangle(p, 10, 7, 8, 10, true);
         }},
        {QStringLiteral("end"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 2));
             p.drawLine(QPointF(17, 5), QPointF(17, 19));
             p.setBrush(ink);
             p.setPen(line(ink, 1.2));
             triangle(p, 6, 7, 8, 10, true);
         }},
        {QStringLiteral("confirm"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 2.4));
             p.drawPolyline(QPolygonF({QPointF(5, 12.5), QPointF(10, 17.5), QPointF(19, 7)}));
         }},
        {QStringLiteral("exit"),
         [](QPainter& p, const QColor& ink) {
             // A door with an arrow leaving it.
             p.setPen(line(ink, 1.8));
             p.drawPolyline(
                 QPolygonF({QPointF(13, 4), QPointF(5, 4), QPointF(5, 20), QPointF(13, 20)}));
             p.setPen(line(ink, 2));
             p.drawLine(QPointF(10, 12), QPointF(20, 12));
             p.drawPolyline(QPolygonF({QPointF(16, 8), QPointF(20, 12), QPointF(16, 16)}));
         }},
        {QStringLiteral("tag"),
         [](QPainter& p, const QColor& ink) {
             p.setPen(line(ink, 1.8));
             QPainterPath path;
             path.moveTo(3, 4);
             path.lineTo(12, 4);
             path.lineTo(21, 13);
             path.lineTo(13, 21);
             path.lineTo(3, 12);
             path.closeSubpath();
             p.drawPath(path);
             p.setPen(Qt::NoPen);
             p.setBrush(ink);
             p.drawEllipse(QPointF(8, 9), 1.8, 1.8);
         }},
        {QStringLiteral("logo"),
         [](QPainter& p, const QColor& ink) {
             // A waveform cut in two by a blade.
             p.setPen(line(ink, 2));
             const qreal bars[7] = {4, 8, 13, 7, 11, 5, 9};
             for (int i = 0; i < 7; ++i) {
                 const qreal x = 3 + i * 3;
                 p.drawLine(QPointF(x, 12 - bars[i] / 2), QPointF(x, 12 + bars[i] / 2));
             }
         }},
    };
    return table;
}

class VectorIconEngine : public QIconEngine {
public:
    VectorIconEngine(QString name, QColor ink) : m_name(std::move(name)), m_ink(ink) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        QColor ink = m_ink;
        if (mode == QIcon::Disabled)
            ink.setAlphaF(0.4f);
        DrawSkinIcon(*painter, m_name, rect, ink);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        QPixmap pm(size * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

    QIconEngine* clone() const override { return new VectorIconEngine(m_name, m_ink); }

private:
    QString m_name;
    QColor m_ink;
};

} // namespace

bool HasSkinIcon(const QString& name)
{
    return icons().contains(name);
}

void DrawSkinIcon(QPainter& painter, const QString& name, const QRectF& box, const QColor& ink)
{
    const auto it = icons().find(name);
    if (it == icons().end())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(box.width(), box.height());
    painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    painter.scale(side / 24.0, side / 24.0);
    painter.setBrush(Qt::NoBrush);
    (*it)(painter, ink);
    painter.restore();
}

QIcon SkinIcon(const QString& name, const QColor& ink)
{
    return QIcon(new VectorIconEngine(name, ink));
}
