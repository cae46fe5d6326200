// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/TagFields.h"

#include <QString>

class QIODevice;

// The Windows Media attributes of a WMA file: "Title", "Author" (artist),
// "WM/AlbumTitle", "WM/Year", "Description" (comment), "WM/Genre" and
// "WM/TrackNumber" (a number; "WM/Track" when that gives none), with
// "TotalTracks" joined to the track as "n/total".
namespace wma {
// The lengths the texts are held at, in UTF-16 units; the comment is
// written whole, so that what the user typed reaches the file.
inline constexpr int kTextLength = 128;
inline constexpr int kCommentLength = 255;
inline constexpr int kGenreLength = 32;
} // namespace wma

// Reads the attributes of the ASF header, or for older files the description
// entries of their header, the texts cut to their lengths. Throws TagError
// "Cannot open <path>: <cause>" only when the file cannot be opened; a
// damaged header gives empty fields. The file is only read.
TagFields ReadWmaTags(const QString& path);
TagFields ReadWmaTags(QIODevice& file);

// Sets "Author", "Title", "WM/AlbumTitle", "WM/Year", "Description",
// "WM/Genre" as texts, cut to their lengths at a character boundary (the
// comment only to what the format holds), "WM/TrackNumber" as a number and,
// for a track "n/total", "TotalTracks"; every other attribute stays. Throws
// TagError "Cannot write tags: <path>: <cause>", leaving the file as it
// was, when it cannot be opened, has no ASF header that can be rewritten,
// the track is no number from 0 to 65535 (with a number as its total), or
// the new file cannot be written.
void WriteWmaTags(const QString& path, const TagFields& tags);

// As WriteWmaTags, for the attributes of the fields in `which` only.
void UpdateWmaTags(const QString& path, const TagFields& values, TagFieldSet which);
