#pragma once

#include "jobs/PiecePlan.h"

#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

// A chapter as a file's tags give it: ID3 CHAP frames and Ogg CHAPTERxxx
// comments both count in milliseconds.
struct ChapterMark {
    int64_t startMs = 0;
    std::optional<int64_t> endMs; // absent: the chapter runs to the next one
    QString title;
};

// The pieces of a source of `rate` frames a second and `frames` frames long
// from its chapters, numbered 1, 2, ... in the order given (the table of
// contents' order where the file has one). A chapter without an end ends
// where the next chapter (by time) begins, the last at the end of the file;
// an end past the file is taken back to its end. Chapters that begin at or
// past the end, or end where they begin, make no piece, take no number and
// end no other chapter.
// Times become frames rounded to the nearest, ms × rate ÷ 1000.
PiecePlan PlanFromChapters(const QVector<ChapterMark>& chapters, int rate, int64_t frames);
