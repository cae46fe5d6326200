#pragma once

#include "tags/TagFields.h"

#include <QString>

class QIODevice;

// The tag fields of an MP3 file, as the ID3 version 2 reader fills them and
// the writer takes them.
struct Mp3Tags {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString track;
    QString comment;
    QString genre;

    friend bool operator==(const Mp3Tags&, const Mp3Tags&) = default;
};

// The title of the ID3 version 1 block at the end of the file; empty when the
// file has none or cannot be read.
QString ReadId3v1Title(const QString& path);
QString ReadId3v1Title(QIODevice& file);

// The ID3 version 2 tag at the start of the file. Never fails: a missing or
// damaged tag gives empty fields. The file is only read.
Mp3Tags ReadId3v2(const QString& path);
Mp3Tags ReadId3v2(QIODevice& file);

// Puts a version 2.3 tag with the seven frames in front of the audio data,
// replacing a version 2 tag that the file already starts with. The file is
// rewritten beside itself and renamed into place; throws TagError and leaves
// the file as it was on any failure.
void WriteId3v2(const QString& path, const Mp3Tags& tags);

// Sets the fields in `which` to their values in `values` in the file's ID3
// version 2.3 or 2.4 tag, or in a new version 2.3 tag: the frames of those
// fields are replaced (an empty value leaves none), every other frame stays
// as it is. The year is TYER in version 2.3 and TDRC in 2.4; the comment
// replaces the comment frames without a description. Throws TagError and
// leaves the file as it was on any failure.
void UpdateId3v2(const QString& path, const Mp3Tags& values, TagFieldSet which);
