#pragma once

#include "base/Error.h"

#include <QString>
#include <QStringList>

// A write that the file system refuses; the message is "Unable to write to
// <path>", followed by the cause where the file system is not to blame.
class IniWriteError : public Error {
public:
    explicit IniWriteError(const QString& path);
    IniWriteError(const QString& path, const QString& cause);
};

// An ini file with private-profile semantics: section and key names compare
// without case, every read goes to the file and every write goes to the file
// at once.
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

private:
    void store(const QByteArray& data) const;

    QString m_path;
};
