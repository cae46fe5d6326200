// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/PiecePlan.h"
#include "tags/TagChapter.h"

#include <cstdint>

// The pieces of a source of `rate` frames a second and `frames` frames long
// from its chapters, numbered 1, 2, ... in the order given (the table of
// contents' order where the file has one). A chapter without an end ends
// where the next chapter (by time) begins, the last at the end of the file;
// an end past the file is taken back to its end. Chapters that begin at or
// past the end, or end where they begin, make no piece, take no number and
// end no other chapter.
// Times become frames rounded to the nearest, ms × rate ÷ 1000.
PiecePlan PlanFromChapters(const TagChapters& chapters, int rate, int64_t frames);
