// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"
#include "base/UnfinishedFile.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

class QIODevice;

// The system's text for an errno value, as the user's locale words it.
QString errnoText(int error);

// A file that could not be created, written or put in place. The message is
// "Cannot write <path>: <cause>"; callers that word it their own way use the
// two parts.
class SafeFileError : public Error {
public:
    SafeFileError(const QString& path, const QString& cause);
    const QString& path() const { return m_path; }
    const QString& cause() const { return m_cause; }

private:
    QString m_path;
    QString m_cause;
};

// The new content of a file, written beside it under a hidden name and put in
// its place by one rename when commit() completes it. Until then a file of
// that name stays as it was, and a write that fails or is abandoned (the
// object destroyed without commit(), or the process ended by a signal that
// UnfinishedFile::removeAll() handles) leaves nothing behind. Every failure
// throws SafeFileError.
//
// A target name near the file system's limit gets a shortened hidden name.
class SafeFile {
public:
    enum class Target {
        // A file the program makes (an output): created with the user's
        // default permissions; a file or symbolic link of that name is
        // replaced.
        New,
        // An existing file rewritten (its tags): the file a symbolic link
        // points to is rewritten and the link stays; the mode bits, the owner
        // and the hard links stay too. Where a rename cannot keep them (the
        // file has other links, or belongs to someone the program cannot
        // give a file to), or no file can be created beside it (a read-only
        // folder), the new content is written over the old one in place;
        // see commit(). A write permission the old file lacks is needed only
        // then; otherwise the folder's is enough.
        Existing,
    };

    SafeFile(QString target, Target kind);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    const QString& path() const { return m_target; }

    void write(const void* data, size_t size);
    void write(const QByteArray& data) { write(data.constData(), size_t(data.size())); }
    // Copies the rest of source, from its current position, in blocks.
    void copyRest(QIODevice& source);
    void seek(int64_t offset);
    void seekToEnd();
    int64_t position() const;
    // The file as a write-only device, for writers that take one; a failure
    // comes back from it as a failed write with the cause in errorString().
    QIODevice& device();

    // Completes the file and puts it in place of the target. Written in
    // place, the new content is complete in a scratch file first and space
    // for it is reserved before any old byte is overwritten; the old bytes
    // it overwrites are kept aside and put back when a write fails, so that
    // a failure leaves the old file as it was.
    void commit();

    // Whether commit() writes over the old file instead of renaming.
    bool writesInPlace() const { return m_inPlace; }

    // The refusals that need no file to be created: no name, a folder of
    // that name, a missing folder, a name too long for the file system.
    static void checkNewTarget(const QString& path);

private:
    [[noreturn]] void fail(const QString& cause) const;
    int createBeside();
    void adopt(int fd);
    void openExisting();
    void commitInPlace();
    void discard();

    QString m_target;
    Target m_kind;
    QByteArray m_finalPath;    // where the content goes: the target, or the file a link points to
    UnfinishedFile m_tempPath; // the hidden file beside it; empty when written in place
    std::FILE* m_file = nullptr;
    bool m_inPlace = false;
    struct stat m_old {}; // the existing file, for Target::Existing
    std::unique_ptr<QIODevice> m_device;
};
