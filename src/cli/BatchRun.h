// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Manifest.h"
#include "cli/Shards.h"
#include "engine/CutJob.h"

#include <QString>
#include <QVector>
#include <memory>
#include <mutex>
#include <optional>

namespace cli {

class ParsedLine;

// --shard and --manifest: a cut that is one of many processes of a batch,
// or that may be run again after it was killed.
//
// Such a run decides its names from the plan of the whole list alone
// (OutputNaming::ignoreExistingFiles), so every process decides the same
// ones. It writes each output under a hidden name of its own in the output
// folder and, once the output is complete and tagged, records it in the
// manifest and then renames it into place, never over a file that is there:
// under its final name a file is either complete or absent. A re-run with
// the same manifest keeps each output that the manifest records and that
// holds what it records, and puts in place one that was recorded but not yet
// renamed when the run was killed. A file under a planned name that the
// manifest does not record is not this batch's: it is not replaced, and the
// piece fails.
class BatchRun {
public:
    // None when neither option is given. Throws UsageError.
    static std::optional<BatchRun> fromCommandLine(const ParsedLine& line);

    BatchRun(std::optional<Shard> shard, QString manifestPath);

    // What became of a task that is not to be cut.
    struct Kept {
        CutTask task;
        QString output; // the output that is in place
    };
    struct Refused {
        CutTask task;
        QString message;
    };
    struct Prepared {
        QVector<CutTask> toCut; // with their hidden names as outputs
        QVector<Kept> kept;     // complete from an earlier run
        QVector<Refused> refused;
    };
    // The tasks of this run's shard, in their order (all without --shard).
    QVector<CutTask> select(const QVector<CutTask>& all) const;

    // The tasks of this run from those of the whole list. Throws Error when
    // the manifest cannot be read.
    Prepared prepare(const QVector<CutTask>& all);

    // Puts a finished output in place: its manifest line, then the rename
    // (the outcome then names it), or the outcome's error. Runs on a
    // worker's thread, as CutJob::Workers::settle.
    void settle(const CutTask& task, CutJob::Outcome& outcome);
    // After the run: removes what a stop left under the hidden names.
    void finish(const QVector<CutTask>& tasks, QVector<CutJob::Outcome>& outcomes);

private:
    static QString hiddenName(const QString& output);
    static void removeLeftovers(const QString& hidden);

    std::optional<Shard> m_shard;
    QString m_manifestPath;
    std::unique_ptr<Manifest> m_manifest;
    QHash<QString, QString> m_final; // by hidden name
};

} // namespace cli
