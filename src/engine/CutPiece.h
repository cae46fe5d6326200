#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class AudioFile;
class EncoderSetup;
class JobPump;
class UnfinishedOutput;
struct CutTask;

// What cutting a piece takes: the reader, open on the task's source; the
// writer and its encoder configuration; the record of the output being
// written, which the caller drops when a failure escapes; the pump.
struct PieceTools {
    AudioFile& reader;
    AudioFile& writer;
    const EncoderSetup& encoder;
    UnfinishedOutput& unfinished;
    JobPump& pump;
};

struct PieceWritten {
    QString output; // the name written under (the fallback name, if it came to that)
    int64_t frames = 0;
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

// Cuts one task, the same for the window and the command line: positions the
// reader at the piece, opens the output (openOutput), moves the piece through
// the block loop with the task's fades, closes the output and writes the tags
// into it. A stop keeps what was written, closed and tagged.
PieceWritten cutPiece(const CutTask& task, const PieceTools& tools, const PieceHooks& hooks);
