// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/SkinPalette.h"

#include "skin/SkinFile.h"

namespace {

QString named(const SkinDocument& skin, const char* name, const char* fallback)
{
    const QString value = skin.colours.value(QString::fromLatin1(name));
    // Translucent colours are for layering on the panel, not for whole areas.
    if (value.size() == 7)
        return value.toLower();
    return QString::fromLatin1(fallback);
}

} // namespace

SkinPalette PaletteOf(const SkinDocument& skin)
{
    SkinPalette p;
    p.window = named(skin, "panel", "#1e2636");
    p.windowText = named(skin, "ink", "#e6ecf5");
    p.base = named(skin, "well", "#0e131c");
    p.alternateBase = named(skin, "base", "#171d29");
    p.text = p.windowText;
    p.placeholder = named(skin, "muted", "#8d9bb2");
    p.button = named(skin, "tool", "#263043");
    p.buttonText = p.windowText;
    // The job buttons' face, which carries white text by the skin's own rule.
    p.highlight = named(skin, "go", "#1f6ab5");
    p.highlightedText = QStringLiteral("#ffffff");
    p.link = named(skin, "accenthi", "#62b7ff");
    p.disabledText = named(skin, "faint", "#5d6b82");
    p.toolTipBase = named(skin, "bar", "#222c3f");
    p.toolTipText = p.windowText;
    p.border = named(skin, "line", "#6b7a94");
    return p;
}
