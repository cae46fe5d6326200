// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/SkinLook.h"

#include "skin/SkinPalette.h"

#include <QApplication>
#include <QStyleFactory>
#include <QToolTip>

QPalette QtPaletteOf(const SkinPalette& c)
{
    const auto colour = [](const QString& name) { return QColor::fromString(name); };
    QPalette p;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, colour(c.window));
        p.setColor(group, QPalette::WindowText, colour(c.windowText));
        p.setColor(group, QPalette::Base, colour(c.base));
        p.setColor(group, QPalette::AlternateBase, colour(c.alternateBase));
        p.setColor(group, QPalette::Text, colour(c.text));
        p.setColor(group, QPalette::PlaceholderText, colour(c.placeholder));
        p.setColor(group, QPalette::Button, colour(c.button));
        p.setColor(group, QPalette::ButtonText, colour(c.buttonText));
        p.setColor(group, QPalette::BrightText, colour(c.highlightedText));
        p.setColor(group, QPalette::Highlight, colour(c.highlight));
        p.setColor(group, QPalette::HighlightedText, colour(c.highlightedText));
        p.setColor(group, QPalette::Link, colour(c.link));
        p.setColor(group, QPalette::LinkVisited, colour(c.link));
        p.setColor(group, QPalette::ToolTipBase, colour(c.toolTipBase));
        p.setColor(group, QPalette::ToolTipText, colour(c.toolTipText));
    }
    // Fusion draws frames and bevels from these.
    const QColor border = colour(c.border);
    const QColor button = colour(c.button);
    p.setColor(QPalette::Light, button.lighter(150));
    p.setColor(QPalette::Midlight, button.lighter(125));
    p.setColor(QPalette::Mid, border);
    p.setColor(QPalette::Dark, border.darker(150));
    p.setColor(QPalette::Shadow, QColor(Qt::black));
    // Disabled controls: dimmed text on the same backgrounds.
    p.setColor(QPalette::Disabled, QPalette::Window, colour(c.window));
    p.setColor(QPalette::Disabled, QPalette::Base, colour(c.window));
    p.setColor(QPalette::Disabled, QPalette::Button, colour(c.window));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::PlaceholderText})
        p.setColor(QPalette::Disabled, role, colour(c.disabledText));
    p.setColor(QPalette::Disabled, QPalette::Highlight, border.darker(150));
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, colour(c.windowText));
    return p;
}

void ApplySkinLook(const SkinPalette& colours, bool withStyle)
{
    // Fusion draws every control from the palette, so nothing keeps the
    // desktop's light colours.
    if (withStyle)
        if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
            QApplication::setStyle(fusion);
    const QPalette palette = QtPaletteOf(colours);
    QApplication::setPalette(palette);
    QToolTip::setPalette(palette);
}
