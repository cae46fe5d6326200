// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/TagChapter.h"
#include "tags/TagFields.h"

#include <QString>

class QIODevice;

// The Vorbis comments of an Ogg file: "title", "artist", "album", "date"
// (the year), "comment", "genre" and "tracknumber", names taken in any case;
// a "tracktotal" (or "totaltracks") joins the track as "n/total", and a
// "description" is the comment when there is no "comment".
//
// Throws TagError "Cannot open <path>: <cause>" when the file is no readable
// Ogg Vorbis file. The file is only read.
TagFields ReadOggComments(const QString& path);
TagFields ReadOggComments(QIODevice& file, const QString& path);

// The chapters of the "CHAPTERnnn=HH:MM:SS.mmm" and "CHAPTERnnnNAME=..."
// comments (any number of digits), in the order of their numbers. A chapter
// whose time cannot be read is left out. Fails as ReadOggComments does.
TagChapters ReadOggChapters(const QString& path);
TagChapters ReadOggChapters(QIODevice& file, const QString& path);

// Replaces the file's comments with the non-empty fields, named "Title",
// "Artist", "Album", "TrackNumber" (and "TrackTotal" for a track "n/total"),
// "Date", "Genre", "Comment" in this order. Throws TagError "Cannot open
// <path>: <cause>" for a file that is no Ogg Vorbis file and "Cannot write
// comments: <cause>" when the new file cannot be written; the original then
// stays as it was.
void WriteOggComments(const QString& path, const TagFields& tags);

// Sets the fields in `which` to their values in `values`: the comments the
// reader takes for those fields are replaced (an empty value leaves none);
// every other comment stays, in its order. Fails as WriteOggComments does.
void UpdateOggComments(const QString& path, const TagFields& values, TagFieldSet which);
