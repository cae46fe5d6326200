// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/TagChapter.h"
#include "tags/TagFields.h"

#include <QString>

class QIODevice;

// The title of the ID3 version 1 block at the end of the file; empty when the
// file has none or cannot be read.
QString ReadId3v1Title(const QString& path);
QString ReadId3v1Title(QIODevice& file);

// The fields of the ID3 version 2 tag (2.2, 2.3 or 2.4) at the start of the
// file; without a comment frame, a user text frame described "comment" (as
// ffmpeg writes one) gives the comment. Never fails: a missing or damaged tag
// gives empty fields. The file is only read.
TagFields ReadId3v2(const QString& path);
TagFields ReadId3v2(QIODevice& file);

// The chapters of the ID3 version 2 tag at the start of the file: its
// chapter frames with the titles of their title sub-frames, in the order of
// the table of contents when the tag has one (chapters it leaves out follow
// by start time), else by start time. Never fails: a missing or damaged tag
// gives none.
TagChapters ReadId3v2Chapters(const QString& path);
TagChapters ReadId3v2Chapters(QIODevice& file);

// Puts a version 2.3 tag with the seven frames in front of the audio data,
// replacing a version 2 tag that the file already starts with. The file is
// rewritten beside itself and renamed into place; throws TagError and leaves
// the file as it was on any failure.
void WriteId3v2(const QString& path, const TagFields& tags);

// Sets the fields in `which` to their values in `values` in the file's ID3
// version 2.3 or 2.4 tag, or in a new version 2.3 tag: the frames of those
// fields are replaced (an empty value leaves none), every other frame stays
// as it is. The year is TYER in version 2.3 and TDRC in 2.4; the comment
// replaces the comment frames without a description and the user text
// frames described "comment". Throws TagError and
// leaves the file as it was on any failure.
void UpdateId3v2(const QString& path, const TagFields& values, TagFieldSet which);
