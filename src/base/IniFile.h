// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"

#include <QString>
#include <QStringList>
#include <memory>

// A write that the file system refuses; the message is "Unable to write to
// <path>", followed by the cause where the file system is not to blame.
class IniWriteError : public Error {
public:
    explicit IniWriteError(const QString& path);
    IniWriteError(const QString& path, const QString& cause);
};

// An ini file with private-profile semantics: section and key names compare
// without case, every read goes to the file and every write goes to the file
// at once. A read parses the file again only when it changed (its identity,
// size or times differ from the parse kept, or it changed too recently for
// its times to tell), so that many reads of a large file stay cheap.
//
// Only a regular file of at most maxSize bytes is read: a FIFO would hang
// the program and a link to a device would never end. Any other file reads
// as empty, so that every key gives its default, and is named once on the
// standard error stream; writes to it are refused, so that a large file is
// never replaced by the few keys the program writes.
//
// A value reads as the text after the first "=", without surrounding blanks
// and without one pair of matching quotes around it ("x" and 'x' read as x),
// as private-profile reads give it. Writes store every value so that it
// reads back as written: a value with surrounding blanks, or one enclosed in
// matching quotes itself, is written in double quotes; a value with a line
// break cannot be stored in one line and is refused.
//
// Writes change only the line of the key (or add it): every other line is
// written back byte for byte, whatever its encoding, and a byte-order mark and
// Windows line endings stay. Lines that are not UTF-8 read as Latin-1. The
// file is replaced atomically where it can be (so that a crash or a full disk
// never leaves a truncated file behind) and rewritten in place where
// replacing it would split a hard link or change its owner, or where its
// folder takes no new files.
class IniFile {
public:
    explicit IniFile(QString path);
    ~IniFile();
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;

    // The largest options file read: far beyond any the program writes.
    static constexpr qint64 maxSize = 1 << 20;

    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Decimal with an optional sign and surrounding blanks; anything else, or
    // a value outside 32 bits, reads as the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Read as an integer, any non-zero value being true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Each throws IniWriteError when the file cannot be written or the value
    // holds a line break; the old content then stays as it was.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    // The options file of the program (OptionsFilePath: Vessimo.ini in the
    // program's configuration folder, taken over from the older place once).
    static QString defaultPath();

    // How often a file was parsed, by every object of the process together.
    static int parseCount();

private:
    struct Parsed;
    const Parsed& parsed() const;
    void store(const QByteArray& data);

    QString m_path;
    // The last parse of the file, and what the file was like when it was made.
    mutable std::unique_ptr<Parsed> m_parsed;
};
