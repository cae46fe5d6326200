// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class AudioFile;
class EncoderSetup;
class JobPump;
class Mp3CopySources;
class UnfinishedOutput;
struct CutTask;

// What a piece that is to be copied becomes when its source cannot be copied
// (it is no MP3 that can be indexed exactly, or the piece is too short).
enum class RefusedCopy {
    Encode, // encoded instead, as if copying had not been asked for
    Fail,   // the piece fails with the reason
};

// What cutting a piece takes: the reader, open on the task's source or
// closed (a piece that is encoded opens it); the writer and its encoder
// configuration; the record of the output being written, which the caller
// drops when a failure escapes; the pump; for pieces that are copied, the
// indexed sources (without them every piece is encoded) and what a refused
// copy becomes.
struct PieceTools {
    AudioFile& reader;
    AudioFile& writer;
    const EncoderSetup& encoder;
    UnfinishedOutput& unfinished;
    JobPump& pump;
    Mp3CopySources* copies = nullptr;
    RefusedCopy refusedCopy = RefusedCopy::Encode;
};

struct PieceWritten {
    QString output;         // the name written under (the fallback name, if it came to that)
    int64_t firstFrame = 0; // where the piece begins in its source
    int64_t frames = 0;
    bool copied = false; // the source's frames were copied, not encoded
    QString notCopied;   // why a piece that was to be copied was encoded
};

// What the caller decides and learns around the opening of a piece's output.
struct PieceHooks {
    // The name to use when the task's own cannot be created.
    std::function<QString()> fallback;
    // Called right before the output is opened (to open outputs in order).
    std::function<void()> beforeOpen;
    // Called with the name once the output exists.
    std::function<void(const QString&)> opened;
};

// Cuts one task, the same for the window and the command line, and writes
// the tags into the finished output. A piece to be encoded: positions the
// reader at the piece, opens the output (openOutput), moves the piece through
// the block loop with the task's fades and closes the output; a stop keeps
// what was written, closed and tagged. A piece to be copied is written whole
// by its source's piece writer, under the task's name or, where the file
// system refuses that, the fallback name; progress goes from nothing to all
// of it. The piece holds the same source frames either way.
PieceWritten cutPiece(const CutTask& task, const PieceTools& tools, const PieceHooks& hooks);
