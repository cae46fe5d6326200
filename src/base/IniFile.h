#pragma once

#include "base/Error.h"

#include <QString>
#include <QStringList>

// A write that the file system refuses; the message is "Unable to write to <path>".
class IniWriteError : public Error {
public:
    explicit IniWriteError(const QString& path);
};

// An ini file with private-profile semantics: section and key names compare
// without case, every read goes to the file and every write goes to the file
// at once. Writes keep all other lines (comments, blank lines, unknown
// sections) in their order and replace the file atomically, so a crash or a
// full disk never leaves a truncated file behind.
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

    // Each throws IniWriteError when the file cannot be written; the old
    // content then stays as it was.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    // The options file of the program: Vessimo.ini in the user's configuration folder.
    static QString defaultPath();

private:
    QStringList readLines() const;

    QString m_path;
};
