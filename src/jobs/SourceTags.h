// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/TagFields.h"

#include <QString>

enum class TitleReading {
    // The file dialog: titles cleaned of the characters file names cannot
    // hold, the ID3 version 1 title as a fall-back.
    Cleaned,
    // The folder dialog: titles as the readers deliver them, no version 1.
    AsRead,
};

// The tag record of a newly added source file, read by the extension in
// lower case (".mp3", ".ogg", ".wma"; any other file has none): title,
// artist, album, year, comment and genre. The Ogg and MP3 titles are cleaned
// under TitleReading::Cleaned, the WMA title stays as read. The track is left
// out: it numbers the source, not the pieces cut from it. Throws the tag
// readers' errors for a file that cannot be read as its extension claims.
TagFields ReadSourceTags(const QString& path, TitleReading reading);

// The name the file's row is listed under, from its record: the title
// (cleaned under TitleReading::Cleaned), for an MP3 file through the file
// dialog the ID3 version 1 title when the record has none. Empty when the row
// keeps the file name.
QString SourceCaption(const QString& path, const TagFields& tags, TitleReading reading);

// CleanFileName, then blanks and control characters trimmed at both ends.
QString CleanTitle(const QString& title);
