// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// One chapter that a file's tags mark. Both formats that carry chapters give
// their times in milliseconds (ID3 chapter frames as whole numbers, Vorbis
// comments as HH:MM:SS.mmm), none as a sample position, so a chapter is
// placed as a time.
struct TagChapter {
    int64_t startMs = 0;
    // Where the chapter ends, when the file says so; otherwise it runs to the
    // next chapter's start or the end of the audio.
    std::optional<int64_t> endMs;
    QString title; // empty when the chapter has none

    friend bool operator==(const TagChapter&, const TagChapter&) = default;
};

using TagChapters = QList<TagChapter>;
