// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"
#include "skin/SkinInterfaces.h"

#include <QHash>
#include <QList>
#include <QString>

enum class SkinKind {
    Panel,  // decoration: a filled, optionally rounded and outlined area
    Label,  // decoration: a fixed caption
    Button, // clickable face with a caption or a drawn icon
    Slider, // a scroller with a thumb
    Text,   // a caption the program changes
    Bar,    // a bar whose rectangle the program changes
};

struct SkinElementDesc {
    SkinKind kind = SkinKind::Panel;
    QString name; // empty for anonymous decoration
    SkinRect bounds;
    // Look of the element (colours already resolved to "#rrggbb" or "#aarrggbb").
    QHash<QString, QString> attributes;
};

struct SkinFormDesc {
    QString name;
    int width = 0;
    int height = 0;
    QHash<QString, QString> attributes;
    QList<SkinElementDesc> elements; // in painting order, back to front
};

struct SkinDocument {
    QString title;
    QList<SkinFormDesc> forms;
    // The named colours ("colour <name> #rrggbb"), by name without the "@".
    QHash<QString, QString> colours;

    const SkinFormDesc* form(const QString& name) const;
};

// A skin file that cannot be used; the message names the line.
class SkinFileError : public Error {
public:
    using Error::Error;
};

// The skin description is plain text, one statement per line:
//
//   vessimo-skin 1                        first statement, format version
//   title "Midnight"
//   colour accent #3aa0ff                 named colour, used as @accent
//   form Vessimo 521 380 [key=value ...]
//     <kind> <name|-> x y width height [key=value ...]
//   end
//
// Kinds: panel, label, button, slider, text, bar. Values may be quoted with
// double quotes; \" and \\ escape inside quotes. '#' at the start of a line
// begins a comment.
SkinDocument ParseSkin(const QString& text);
SkinDocument LoadSkinDocument(const QString& path);
