// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"

#include <QString>
#include <QVector>
#include <cstdint>

// What a template may name of a piece.
struct PieceNameFields {
    QString base;   // the usual base of the piece's names (the caption up to its first dot)
    QString title;  // the piece's title: its segment's, else the source's
    QString artist; // the piece's performer, else the source's artist
    QString album;
    QString source; // the source's file name without its extension, dots and all
    int number = 0; // the piece's number: its track, else its place in its file's pieces
    int64_t startMs = 0;
    int64_t endMs = 0;
};

// A template is refused with a message that lists the fields it may hold.
class NameTemplateError : public Error {
public:
    using Error::Error;
};

// An output name built from a template such as "{n:02} {title}" or
// "{source}-{start}-{end}". Fields: {base} {title} {artist} {album} {source}
// {n} {n:0D} (the number in D digits, zero-padded) {start} {end} (seconds,
// "90.5"); "{{" and "}}" are braces. The result is one file name stem: what
// file names cannot hold is removed, control characters become blanks, and
// leading dots and blanks go, so that no name is hidden or climbs folders.
class NameTemplate {
public:
    // Throws NameTemplateError for an unknown field, an unclosed brace or a
    // template without any field.
    explicit NameTemplate(const QString& text);

    // The stem for a piece (no extension); empty when nothing is left of
    // it, and the piece then takes the usual name.
    QString expand(const PieceNameFields& fields) const;

    // The fields, as --help and the messages list them.
    static QString fieldList();

private:
    enum class Kind { Text, Base, Title, Artist, Album, Source, Number, Start, End };
    struct Part {
        Kind kind = Kind::Text;
        QString text;   // for Kind::Text
        int digits = 0; // for Kind::Number: zero-padded to this width
    };
    QVector<Part> m_parts;
};
