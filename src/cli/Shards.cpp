// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Shards.h"

#include "cli/OptionTable.h"

#include <QRegularExpression>

namespace cli {

Shard Shard::parse(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,9})/([0-9]{1,9})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (m.hasMatch()) {
        const Shard shard{m.captured(1).toInt(), m.captured(2).toInt()};
        if (shard.count >= 1 && shard.index >= 1 && shard.index <= shard.count)
            return shard;
    }
    throw UsageError(QStringLiteral("--shard takes K/N, the K-th of N shares with K from 1 to N "
                                    "(1/4 ... 4/4), not \"%1\"")
                         .arg(text));
}

QVector<CutTask> Shard::select(const QVector<CutTask>& tasks) const
{
    QVector<CutTask> mine;
    for (const CutTask& task : tasks)
        if (holds(task.fileIndex))
            mine.push_back(task);
    return mine;
}

} // namespace cli
