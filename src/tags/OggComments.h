#pragma once

#include "tags/TagFields.h"

#include <QString>

class QIODevice;

// The Vorbis comment fields of an Ogg file, as the reader fills them and the
// writer takes them.
struct OggTags {
    QString album;
    QString title;
    QString artist;
    QString comment;
    QString genre;
    QString date;
    QString trackNumber;

    friend bool operator==(const OggTags&, const OggTags&) = default;
};

// Throws TagError "Cannot open <path>: <cause>" when the file is no readable
// Ogg Vorbis file. The file is only read.
OggTags ReadOggComments(const QString& path);
OggTags ReadOggComments(QIODevice& file, const QString& path);

// Replaces the file's comments with the non-empty fields. Throws TagError
// "Cannot open <path>: <cause>" for a file that is no Ogg Vorbis file and
// "Cannot write comments: <cause>" when the new file cannot be written; the
// original then stays as it was. Returns true when the file was replaced.
bool WriteOggComments(const QString& path, const OggTags& tags);

// Sets the fields in `which` to their values in `values`: the comments the
// reader takes for those fields are replaced (an empty value leaves none);
// every other comment stays, in its order. Fails as WriteOggComments does.
bool UpdateOggComments(const QString& path, const OggTags& values, TagFieldSet which);
