#pragma once

#include "engine/CutPlan.h"
#include "engine/JobView.h"

#include <QString>
#include <QVector>
#include <cstdint>

class AudioFile;
class EncoderSetup;
class JobPump;
struct Options;

// One output of a cut decided before any is written: which piece of which
// source, and under which name.
struct CutTask {
    int fileIndex = 0;
    PlannedPiece piece;
    QString source;
    QString output;
    TagFields tags;
    int32_t storedSamples = 0; // n
    int32_t storedSeconds = 0; // S
    bool earlyEnd = false;
};

// A whole cut planned up front, for runs that cut several pieces at once
// (the command-line tool's workers): the same pieces, names and order as
// the window's job, which decides each name just before its piece.
class CutBatch {
public:
    // Plans every piece of every file of `files` under `choice`, naming the
    // outputs in the job's order in `folder` with the format's extension.
    static QVector<CutTask> plan(const QVector<JobFile>& files, int choice, int format,
                                 const QString& folder, const Options& options);

    // Cuts one task with its own reader and writer: configures the encoder,
    // writes the piece through the block loop and tags it. A reader already
    // open on the task's source is used as it is. Returns the source frames
    // written. On failure nothing is left under the output name.
    static int64_t cut(const CutTask& task, int format, AudioFile& reader, AudioFile& writer,
                       const EncoderSetup& encoder, const Options& options, JobPump& pump);
};
