// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/TagChapter.h"
#include "tags/TagFields.h"

#include <QString>

// The tags of an audio file, whatever its format: ID3 for MP3, Vorbis
// comments for Ogg, Windows Media attributes for WMA, chosen by the file's
// extension (in any case). Files of other formats carry no tags.
//
// Every failure throws TagError with the file's path and the cause: "Cannot
// open <path>: <cause>" when the file cannot be read (for Ogg: is no Ogg
// Vorbis file), "Cannot write ..." when its tags cannot be written. A write
// that fails leaves the file as it was.
namespace TagFile {

enum class Format { Mp3, Ogg, Wma, None };

Format formatOf(const QString& path);

// The fields of the file's tag; empty ones when it has none. For MP3 these
// are the ID3 version 2 fields (ReadId3v1Title gives the older title).
TagFields read(const QString& path);

// The chapters the file's tags mark: ID3 chapter frames in MP3 files,
// CHAPTERnnn comments in Ogg files; none for other formats.
TagChapters chapters(const QString& path);

// Sets the fields in `which` to their values in `fields`; an empty value
// removes the field. All else the file holds stays: the other fields, and
// frames, comments and attributes this program does not know.
void write(const QString& path, const TagFields& fields, TagFieldSet which = everyTagField);

// Tags a file the program has just written, as the per-format writers do:
// MP3 gets a version 2.3 tag of all seven frames (empty ones too), Ogg the
// non-empty fields as its only comments, WMA the seven attributes. Every
// field given is written, the year, comment and a track "n/total" too.
void writeNew(const QString& path, const TagFields& fields);

} // namespace TagFile
