#pragma once

#include "jobs/JobEntry.h"

#include <QString>

// The tags of a newly added source file: the title that names its row and
// the tag record kept beside its entry.
struct SourceTags {
    QString title; // empty when the row keeps the file name
    AudioFileinfo info;
};

enum class TitleReading {
    // The file dialog: titles cleaned of the characters file names cannot
    // hold, the ID3 version 1 title as a fall-back.
    Cleaned,
    // The folder dialog: titles as the readers deliver them, no version 1.
    AsRead,
};

// Reads by the extension in lower case (".mp3", ".ogg", ".wma"); any other
// file has no tags. Throws the tag readers' errors for a file that cannot be
// read as its extension claims.
SourceTags ReadSourceTags(const QString& path, TitleReading reading);

// CleanFileName, then blanks and control characters trimmed at both ends.
QString CleanTitle(const QString& title);
