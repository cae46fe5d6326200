#pragma once

#include "tags/TagFields.h"

#include <QString>

class QIODevice;

// The Windows Media attributes of a WMA file, as the reader fills them and
// the writer takes them; texts are held at most at their field lengths.
struct WmaTags {
    static constexpr int textLength = 128;
    static constexpr int commentLength = 255;
    static constexpr int genreLength = 32;

    bool present = false;
    QString year;
    QString artist;
    QString title;
    QString album;
    QString comment;
    QString genre;
    quint16 trackNumber = 0;

    friend bool operator==(const WmaTags&, const WmaTags&) = default;
};

// Reads the attributes of the ASF header, or for older files the description
// entries of their header. Throws TagError "Cannot open <path>: <cause>" only
// when the file cannot be opened; a damaged header gives empty fields. The
// file is only read.
WmaTags ReadWmaTags(const QString& path);
WmaTags ReadWmaTags(QIODevice& file);

// Sets "Author", "Title", "WM/AlbumTitle", "WM/Year", "Description",
// "WM/Genre" as texts, cut to their field lengths at a character boundary,
// and "WM/TrackNumber" as a number; every other attribute stays. Returns false, with
// the file untouched, when it cannot be opened or has no ASF header that can
// be rewritten; throws TagError when the new file cannot be written, leaving
// the old one intact.
bool WriteWmaTags(const QString& path, const WmaTags& tags);

// As WriteWmaTags, for the attributes of the fields in `which` only.
bool UpdateWmaTags(const QString& path, const WmaTags& values, TagFieldSet which);
