#pragma once

#include <QFile>
#include <QString>

// The new content of a file, written beside it and put in its place in one
// rename, so that the file is never missing or half written. The new file
// gets the mode bits (and, where allowed, the owner) of the old one; a write
// permission that the old file lacked is not needed, only the folder's.
// Destroyed without commit(), the temporary file is removed and the original
// stays as it was.
class FileReplacement {
public:
    // Every failure throws TagError "<target>: <cause>".
    explicit FileReplacement(QString target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    QFile& file() { return m_file; }

    // Writes all of data or throws TagError.
    void write(const char* data, qint64 size);
    void write(const QByteArray& data) { write(data.constData(), data.size()); }
    // Copies the rest of source, from its current position, in blocks.
    void copyRest(QIODevice& source);

    // Flushes, takes over the old file's mode and renames over it. Throws
    // TagError on failure, with the temporary file removed.
    void commit();

private:
    [[noreturn]] void fail(const QString& cause);

    QString m_target;
    QByteArray m_realPath;
    QByteArray m_tempPath;
    QFile m_file;
    bool m_committed = false;
};
