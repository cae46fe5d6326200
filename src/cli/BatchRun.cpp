// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BatchRun.h"

#include "cli/OptionTable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace cli {

namespace {

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Renames without ever replacing a file: false when `to` exists (or the
// rename fails otherwise).
bool renameWithoutReplacing(const QString& from, const QString& to)
{
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a link fails on an existing name too.
    if (::link(a.constData(), b.constData()) != 0)
        return false;
    ::unlink(a.constData());
    return true;
}

} // namespace

std::optional<BatchRun> BatchRun::fromCommandLine(const ParsedLine& line)
{
    const bool sharded = line.isSet(QStringLiteral("shard"));
    const bool recorded = line.isSet(QStringLiteral("manifest"));
    if (!sharded && !recorded)
        return std::nullopt;
    std::optional<Shard> shard;
    if (sharded)
        shard = Shard::parse(line.value(QStringLiteral("shard")));
    QString manifest;
    if (recorded) {
        manifest = line.value(QStringLiteral("manifest"));
        if (manifest.isEmpty())
            throw UsageError(QStringLiteral("--manifest needs a file name"));
    }
    return BatchRun(shard, manifest);
}

BatchRun::BatchRun(std::optional<Shard> shard, QString manifestPath)
    : m_shard(shard), m_manifestPath(std::move(manifestPath))
{
}

QString BatchRun::hiddenName(const QString& output)
{
    // Of a fixed length, so that it fits wherever the output's name fits.
    const QFileInfo info(output);
    const QByteArray id =
        QCryptographicHash::hash(info.fileName().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return info.path() + QStringLiteral("/.vessimo-part-") + QString::fromLatin1(id) +
           QLatin1Char('.') + info.suffix();
}

void BatchRun::removeLeftovers(const QString& hidden)
{
    // The hidden output, and what a process killed while writing it left:
    // the writers' own temporary files, "." + name + ".XXXXXX".
    QFile::remove(hidden);
    const QFileInfo info(hidden);
    const QString prefix = QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    QDir folder(info.path());
    const QStringList names =
        folder.entryList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        folder.remove(name);
}

QVector<CutTask> BatchRun::select(const QVector<CutTask>& all) const
{
    return m_shard ? m_shard->select(all) : all;
}

BatchRun::Prepared BatchRun::prepare(const QVector<CutTask>& all)
{
    if (!m_manifestPath.isEmpty())
        m_manifest = std::make_unique<Manifest>(m_manifestPath);
    Prepared prepared;
    for (CutTask task : select(all)) {
        const QString output = task.output;
        const QString hidden = hiddenName(output);
        bool recorded = false;
        if (m_manifest) {
            const ManifestEntry* entry = m_manifest->entryFor(absolute(output));
            recorded = entry && entry->isFor(absolute(task.source), absolute(output),
                                             task.piece.begin.ms(), task.piece.end.ms());
            if (recorded) {
                if (m_manifest->holds(*entry, output)) {
                    prepared.kept.push_back({task, output});
                    continue;
                }
                // Recorded, and killed before the rename.
                if (!present(output) && m_manifest->holds(*entry, hidden) &&
                    renameWithoutReplacing(hidden, output)) {
                    prepared.kept.push_back({task, output});
                    continue;
                }
            }
        }
        if (present(output)) {
            QString why;
            if (recorded)
                why = QStringLiteral("%1 is not what the manifest records (its size or SHA-256 "
                                     "differ); it is not replaced");
            else if (m_manifest)
                why = QStringLiteral("%1 exists and the manifest does not record it as this "
                                     "piece; it is not replaced");
            else
                why = QStringLiteral("%1 exists; a batch run never replaces a file (give it an "
                                     "empty folder, or --manifest to resume)");
            prepared.refused.push_back({task, why.arg(output)});
            continue;
        }
        removeLeftovers(hidden);
        m_final.insert(hidden, output);
        task.output = hidden;
        prepared.toCut.push_back(task);
    }
    return prepared;
}

void BatchRun::settle(const CutTask& task, CutJob::Outcome& outcome)
{
    const QString hidden = task.output;
    const QString output = m_final.value(hidden);
    if (!outcome.error.isEmpty() || outcome.output != hidden) {
        // A failure, or a name the file system refused: nothing is put in place.
        removeLeftovers(hidden);
        if (outcome.error.isEmpty())
            outcome.error = QStringLiteral("Cannot write %1").arg(output);
        return;
    }
    ManifestEntry entry;
    entry.source = absolute(task.source);
    entry.output = absolute(output);
    entry.beginMs = task.piece.begin.ms();
    entry.endMs = task.piece.end.ms();
    entry.beginFrame = outcome.firstFrame;
    entry.endFrame = outcome.firstFrame + outcome.frames;
    if (!Manifest::measure(hidden, entry.size, entry.sha256)) {
        removeLeftovers(hidden);
        outcome.error = QStringLiteral("Cannot read back %1").arg(output);
        return;
    }
    try {
        if (m_manifest)
            m_manifest->append(entry);
    } catch (const Error& e) {
        removeLeftovers(hidden);
        outcome.error = e.message();
        return;
    }
    if (!renameWithoutReplacing(hidden, output)) {
        const int cause = errno;
        removeLeftovers(hidden);
        outcome.error = cause == EEXIST
                            ? QStringLiteral("%1 appeared while it was cut; it is "
                                             "not replaced")
                                  .arg(output)
                            : QStringLiteral("Cannot put %1 in place: %2")
                                  .arg(output, QString::fromLocal8Bit(std::strerror(cause)));
        return;
    }
    outcome.output = output;
}

void BatchRun::finish(const QVector<CutTask>& tasks, QVector<CutJob::Outcome>& outcomes)
{
    for (int k = 0; k < tasks.size() && k < outcomes.size(); ++k) {
        CutJob::Outcome& outcome = outcomes[k];
        const QString output = m_final.value(tasks[k].output);
        if (!outcome.started || outcome.output == output)
            continue;
        removeLeftovers(tasks[k].output);
        if (outcome.error.isEmpty()) {
            outcome.error =
                QStringLiteral("%1 was stopped before it was complete; run again to cut it")
                    .arg(output);
            outcome.output.clear();
        }
    }
}

} // namespace cli
