// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CutPlan.h"
#include "engine/JobView.h"
#include "engine/OutputFormat.h"

#include <QString>
#include <cstdint>

// How a piece is made: decoded and encoded, or its source's MP3 frames
// copied without a generation of quality lost (an MP3 source cut to MP3
// without a fade, when copying is asked for).
enum class PieceMethod { Encode, Copy };

// One output of a cut, decided before it is written: which piece of which
// source, under which name and in which format, with which tags and fades.
struct CutTask {
    int fileIndex = 0;
    cutplan::Piece piece;
    QString source;
    QString output;
    OutputFormat format = OutputFormat::Mp3;
    TagFields tags;
    bool tagged = true; // whether the tags are written at all
    // The fade envelope's lengths in output frames (0 for no such fade): the
    // fade-in from the piece's first frame, the fade-out up to its last. The
    // envelope is placed on the piece once the source's frames are known.
    int64_t fadeInFrames = 0;
    int64_t fadeOutFrames = 0;
    bool earlyEnd = false; // the Custom choice ends with fewer than 100 frames left
    PieceMethod how = PieceMethod::Encode;
};
