#include "tags/WmaTags.h"

#include "base/RegularFile.h"
#include "base/SafeFile.h"
#include "tags/AsfHeader.h"
#include "tags/TagError.h"
#include "tags/TagText.h"

#include <QFile>
#include <QtEndian>

namespace {

// Every value is fetched into a buffer of this many bytes; a text that does
// not fit in it with its terminator is not delivered at all.
constexpr qsizetype valueBufferSize = 256;

QString textAttribute(const AsfHeader& header, const char* name, int length)
{
    const std::optional<AsfValue> value = header.attribute(QLatin1String(name));
    if (!value || value->type != AsfValue::Text)
        return {};
    const QString text = value->text();
    if (2 * (text.size() + 1) > valueBufferSize)
        return {};
    return cutTagText(text, length);
}

// Writers store the track as a number; some store it as a decimal text.
quint32 numberAttribute(const AsfHeader& header, const char* name)
{
    const std::optional<AsfValue> value = header.attribute(QLatin1String(name));
    if (!value)
        return 0;
    if (value->type == AsfValue::Text)
        return value->text().trimmed().toUInt();
    return quint32(value->number().value_or(0));
}

void readAttributes(const AsfHeader& header, WmaTags& tags)
{
    tags.present = true;
    tags.title = textAttribute(header, "Title", WmaTags::textLength);
    tags.artist = textAttribute(header, "Author", WmaTags::textLength);
    tags.album = textAttribute(header, "WM/AlbumTitle", WmaTags::textLength);
    tags.year = textAttribute(header, "WM/Year", WmaTags::textLength);
    quint32 track = numberAttribute(header, "WM/TrackNumber");
    if (track == 0)
        track = numberAttribute(header, "WM/Track");
    tags.trackNumber = quint16(track);
    tags.comment = textAttribute(header, "Description", WmaTags::commentLength);
    tags.genre = textAttribute(header, "WM/Genre", WmaTags::genreLength);
}

const QByteArray oldHeaderGuid("\xd1\x29\xe2\xd6\xda\x35\xd1\x11\x90\x34\x00\xa0\xc9\x03\x49\xbe",
                               16);
const QByteArray
    oldDescriptionGuid("\xd5\x29\xe2\xd6\xda\x35\xd1\x11\x90\x34\x00\xa0\xc9\x03\x49\xbe", 16);

// Reads up to 511 UTF-16 characters of a text of the given length and skips
// the rest; false when the file ends first.
bool readOldText(QIODevice& file, quint16 length, QString& text)
{
    constexpr qint64 kept = 511;
    const QByteArray bytes = file.read(2 * std::min<qint64>(length, kept));
    if (bytes.size() != 2 * std::min<qint64>(length, kept))
        return false;
    text.clear();
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(qFromLittleEndian<quint16>(bytes.constData() + i)));
    if (const qsizetype zero = text.indexOf(QChar(0)); zero >= 0)
        text.truncate(zero);
    return length <= kept || file.seek(file.pos() + 2 * (qint64(length) - kept));
}

void readOldDescription(QIODevice& file, qint64 end, WmaTags& tags)
{
    const QByteArray countBytes = file.read(2);
    if (countBytes.size() != 2)
        return;
    const quint16 count = qFromLittleEndian<quint16>(countBytes.constData());
    for (quint16 i = 0; i < count && file.pos() < end; ++i) {
        const QByteArray entry = file.read(9);
        if (entry.size() != 9)
            return;
        const quint8 type = quint8(entry[0]);
        QString name;
        QString value;
        if (!readOldText(file, qFromLittleEndian<quint16>(entry.constData() + 5), name) ||
            !readOldText(file, qFromLittleEndian<quint16>(entry.constData() + 7), value))
            return;
        if (type == 1)
            tags.artist = cutTagText(value, WmaTags::textLength);
        else if (type == 2)
            tags.title = cutTagText(value, WmaTags::textLength);
        else if (type == 4)
            tags.comment = cutTagText(value, WmaTags::commentLength);
    }
}

// The header objects of files older than the ASF header object: a
// description object with typed entries.
void readOldHeader(QIODevice& file, WmaTags& tags)
{
    if (!file.seek(0))
        return;
    const QByteArray first = file.read(24);
    if (first.size() != 24 || !first.startsWith(oldHeaderGuid))
        return;
    tags.present = true;
    const qint64 headerEnd =
        std::min<quint64>(qFromLittleEndian<quint64>(first.constData() + 16), quint64(file.size()));
    qint64 pos = 24;
    while (pos + 24 <= headerEnd) {
        if (!file.seek(pos))
            return;
        const QByteArray object = file.read(24);
        if (object.size() != 24)
            return;
        const quint64 size = qFromLittleEndian<quint64>(object.constData() + 16);
        if (size < 24 || size > quint64(headerEnd - pos))
            return;
        if (object.startsWith(oldDescriptionGuid))
            readOldDescription(file, pos + qint64(size), tags);
        pos += qint64(size);
    }
}

} // namespace

WmaTags ReadWmaTags(QIODevice& file)
{
    WmaTags tags;
    if (const std::optional<AsfHeader> header = AsfHeader::read(file))
        readAttributes(*header, tags);
    else
        readOldHeader(file, tags);
    return tags;
}

WmaTags ReadWmaTags(const QString& path)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TagError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    return ReadWmaTags(file);
}

namespace {

// The attribute each field is written to, in the writer's order.
struct AttributeName {
    TagField field;
    const char* name;
    QString WmaTags::*text; // null for the track number
    int length;
};
const AttributeName attributeNames[] = {
    {TagField::Artist, "Author", &WmaTags::artist, WmaTags::textLength},
    {TagField::Title, "Title", &WmaTags::title, WmaTags::textLength},
    {TagField::Album, "WM/AlbumTitle", &WmaTags::album, WmaTags::textLength},
    {TagField::Year, "WM/Year", &WmaTags::year, WmaTags::textLength},
    {TagField::Comment, "Description", &WmaTags::comment, WmaTags::commentLength},
    {TagField::Genre, "WM/Genre", &WmaTags::genre, WmaTags::genreLength},
    {TagField::Track, "WM/TrackNumber", nullptr, 0},
};

} // namespace

bool WriteWmaTags(const QString& path, const WmaTags& tags)
{
    return UpdateWmaTags(path, tags, everyTagField);
}

bool UpdateWmaTags(const QString& path, const WmaTags& values, TagFieldSet which)
{
    // A file that cannot be opened has no attributes to set, like one
    // without an ASF header: nothing is written.
    RegularFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    std::optional<AsfHeader> header = AsfHeader::read(source);
    if (!header)
        return false;
    for (const AttributeName& a : attributeNames) {
        if (!which.testFlag(a.field))
            continue;
        header->setAttribute(QLatin1String(a.name),
                             a.text ? AsfValue::fromText(cutTagText(values.*a.text, a.length))
                                    : AsfValue::fromDword(values.trackNumber));
    }
    try {
        SafeFile replacement(path, SafeFile::Target::Existing);
        header->write(source, replacement);
        source.close();
        replacement.commit();
    } catch (const SafeFileError& e) {
        throw TagError(QStringLiteral("Cannot write tags: %1: %2").arg(path, e.cause()));
    }
    return true;
}
