// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

// For the parsers that read a file by name: the fuzzer's bytes written to a
// file of this process, named with `suffix`, which is removed at exit. In
// memory where the system offers it, so that the writes and syncs of the
// code under test cost no disk time.
class FuzzFile {
public:
    explicit FuzzFile(const char* suffix)
        : m_path(folder().filePath(
              QStringLiteral("vessimo-fuzz-%1%2").arg(::getpid()).arg(QLatin1String(suffix))))
    {
        static QStringList made;
        if (made.isEmpty())
            std::atexit([] {
                for (const QString& path : made)
                    QFile::remove(path);
            });
        made << m_path;
    }

    // Replaces the file's content with the input.
    const QString& write(const uint8_t* data, size_t size) const
    {
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
        return m_path;
    }
    const QString& path() const { return m_path; }

private:
    static QDir folder()
    {
        const QDir memory(QStringLiteral("/dev/shm"));
        return ::access("/dev/shm", W_OK) == 0 ? memory : QDir::temp();
    }

    QString m_path;
};
