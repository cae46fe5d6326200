// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CutTask.h"

#include <QString>
#include <QVector>

namespace cli {

// --shard K/N: the K-th of N shares of a batch's files, for N processes on
// one machine or many (an indexed Kubernetes Job, a Slurm job array, GNU
// parallel). File i of the list, in the order given, belongs to share
// i mod N + 1, so that the shares are alike in size whatever the order.
// Every share plans the whole list, so that the names it gives are the ones
// a single run would give.
struct Shard {
    int index = 1; // K, from 1
    int count = 1; // N

    // Parses "K/N" with 1 <= K <= N; throws UsageError.
    static Shard parse(const QString& text);

    bool holds(int fileIndex) const { return fileIndex % count == index - 1; }
    // The tasks of this share, in their order.
    QVector<CutTask> select(const QVector<CutTask>& tasks) const;
};

} // namespace cli
