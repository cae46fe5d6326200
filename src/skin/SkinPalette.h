// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct SkinDocument;

// The colours of everything that is not the front panel (dialogs, popup
// menus, message boxes, file dialogs), taken from the skin's own named
// colours, so that the whole program has one look. Each is "#rrggbb".
// Every text colour stands out from the background it is drawn on by WCAG
// level AA for the program's own skin.
struct SkinPalette {
    QString window;          // dialog backgrounds
    QString windowText;      // labels
    QString base;            // edit boxes, lists, trees
    QString alternateBase;   // alternate rows
    QString text;            // text in edit boxes and lists
    QString placeholder;     // hints in empty edit boxes
    QString button;          // button faces
    QString buttonText;      // button captions
    QString highlight;       // selections, the focused menu item
    QString highlightedText; // text on a selection
    QString link;            // links, as in the about box
    QString disabledText;    // greyed-out controls
    QString toolTipBase;     // tooltips
    QString toolTipText;
    QString border; // outlines of boxes and buttons
};

// The palette of a skin; a colour the skin does not name takes the program's
// own (the "Midnight" skin's).
SkinPalette PaletteOf(const SkinDocument& skin);
