// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/SafeFile.h"

#include <QString>
#include <cstdint>
#include <memory>

// A file being written by one of the encoders: buffered, every failure
// thrown as OutputWriteError "Cannot write <path>: <cause>".
//
// The data goes to a hidden file beside the target, which replaces the
// target only when close() completes it (see SafeFile). So a failed or
// abandoned write leaves no file that looks finished, and a file of that name
// (an earlier output, or a source still being read for this very output)
// stays intact until the new one is complete.
class OutputFile {
public:
    explicit OutputFile(QString path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const QString& path() const { return m_path; }

    void write(const void* data, size_t size);
    void seek(int64_t offset);
    void seekToEnd();
    int64_t position() const;
    // Flushes, closes and puts the file in place of the target.
    void close();

    // Throws OutputWriteError "Cannot write <path>: <cause>".
    [[noreturn]] void fail(const QString& cause) const { failFor(m_path, cause); }
    [[noreturn]] static void failFor(const QString& path, const QString& cause);
    // The refusals that need no file to be created: a folder of that name, a
    // missing folder.
    static void checkTarget(const QString& path);

private:
    QString m_path;
    std::unique_ptr<SafeFile> m_file;
};
