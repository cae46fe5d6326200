// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <mutex>

namespace cli {

// One finished output of a batch, as a line of its manifest records it.
struct ManifestEntry {
    QString source; // absolute paths
    QString output;
    int64_t beginMs = 0;
    int64_t endMs = 0;
    int64_t beginFrame = 0;
    int64_t endFrame = 0;
    int64_t size = 0;
    QByteArray sha256; // in hex

    // Whether the entry is for this piece: the same output, source and bounds.
    bool isFor(const QString& source, const QString& output, int64_t beginMs, int64_t endMs) const;
};

// --manifest FILE: one JSON line per finished output, appended as the
// outputs are put in place. Each line goes in with a single write to a file
// opened for appending, so that several processes may share one manifest
// and a process that is killed leaves whole lines behind; a line that does
// not parse (cut short on a file system that does not append atomically)
// is ignored when the manifest is read.
class Manifest {
public:
    // Reads the lines there already; a missing file is an empty manifest.
    // Throws Error when the file is there and cannot be read.
    explicit Manifest(QString path);

    const QString& path() const { return m_path; }

    // The last line for an output, if any.
    const ManifestEntry* entryFor(const QString& output) const;
    // Whether the manifest records this piece and the file `file` holds what
    // it records: its size and SHA-256.
    bool holds(const ManifestEntry& entry, const QString& file) const;

    // Appends the line for an output and keeps it; safe to call from several
    // threads (the look-ups above are for before they start). Throws Error
    // when the line cannot be written whole.
    void append(const ManifestEntry& entry);

    // The size and SHA-256 (hex) of a file; false when it cannot be read.
    static bool measure(const QString& file, int64_t& size, QByteArray& sha256);

private:
    QString m_path;
    QHash<QString, ManifestEntry> m_last; // by output
    std::mutex m_appending;
};

} // namespace cli
