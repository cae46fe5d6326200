// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class QIODevice;
class SafeFile;

// One attribute value as an ASF file stores it.
struct AsfValue {
    // The value types of the Extended Content Description object.
    enum Type : quint16 { Text = 0, Bytes = 1, Bool = 2, Dword = 3, Qword = 4, Word = 5 };

    quint16 type = Text;
    QByteArray data; // little-endian; texts in UTF-16 with their terminating zero

    static AsfValue fromText(const QString& text);
    static AsfValue fromDword(quint32 number);
    // The text up to its terminator; empty for other types.
    QString text() const;
    // The number of a Bool, Dword, Qword or Word value.
    std::optional<quint64> number() const;
};

// The attributes of an ASF (Windows Media) file: the five texts of the
// Content Description object ("Title", "Author", "Copyright", "Description",
// "Rating") and the named values of the Extended Content Description object
// ("WM/AlbumTitle", "WM/Year", "WM/TrackNumber", ...), addressed alike by
// name. Writing replaces or adds those two objects inside the header object
// and leaves every other object and all data after the header as they are.
class AsfHeader {
public:
    // Empty when the input does not start with a well-formed header object.
    static std::optional<AsfHeader> read(QIODevice& input);

    std::optional<AsfValue> attribute(const QString& name) const;
    void setAttribute(const QString& name, const AsfValue& value);
    // Drops an extended attribute; a description text becomes empty.
    void removeAttribute(const QString& name);

    // Writes the header with the current attributes, then the input's bytes
    // after its old header. Throws SafeFileError on failure.
    void write(QIODevice& input, SafeFile& output) const;

private:
    struct Object {
        QByteArray guid;
        QByteArray payload; // what follows the 24 bytes of identifier and size
    };

    bool parseContentDescription(const QByteArray& payload);
    bool parseExtendedContentDescription(const QByteArray& payload);
    QByteArray contentDescriptionPayload() const;
    QByteArray extendedContentDescriptionPayload() const;

    std::vector<Object> m_objects;
    QByteArray m_reserved;
    qint64 m_size = 0;
    QString m_content[5];
    std::vector<std::pair<QString, AsfValue>> m_extended;
};
