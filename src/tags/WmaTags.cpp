// SPDX-License-Identifier: GPL-3.0-or-later
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

// The number of tracks as writers store it: a text, now and then a number.
QString totalAttribute(const AsfHeader& header)
{
    const std::optional<AsfValue> value = header.attribute(QStringLiteral("TotalTracks"));
    if (!value)
        return {};
    if (value->type == AsfValue::Text)
        return trimTagText(value->text());
    const quint64 number = value->number().value_or(0);
    return number ? QString::number(number) : QString();
}

void readAttributes(const AsfHeader& header, TagFields& tags)
{
    tags.title = textAttribute(header, "Title", wma::kTextLength);
    tags.artist = textAttribute(header, "Author", wma::kTextLength);
    tags.album = textAttribute(header, "WM/AlbumTitle", wma::kTextLength);
    tags.year = textAttribute(header, "WM/Year", wma::kTextLength);
    quint32 track = numberAttribute(header, "WM/TrackNumber");
    if (track == 0)
        track = numberAttribute(header, "WM/Track");
    // The track is a 16-bit number; 0 is none.
    if (const quint16 number = quint16(track))
        tags.track = joinTrack(QString::number(number), totalAttribute(header));
    tags.comment = textAttribute(header, "Description", wma::kCommentLength);
    tags.genre = textAttribute(header, "WM/Genre", wma::kGenreLength);
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

void readOldDescription(QIODevice& file, qint64 end, TagFields& tags)
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
            tags.artist = cutTagText(value, wma::kTextLength);
        else if (type == 2)
            tags.title = cutTagText(value, wma::kTextLength);
        else if (type == 4)
            tags.comment = cutTagText(value, wma::kCommentLength);
    }
}

// The header objects of files older than the ASF header object: a
// description object with typed entries.
void readOldHeader(QIODevice& file, TagFields& tags)
{
    if (!file.seek(0))
        return;
    const QByteArray first = file.read(24);
    if (first.size() != 24 || !first.startsWith(oldHeaderGuid))
        return;
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

TagFields ReadWmaTags(QIODevice& file)
{
    TagFields tags;
    if (const std::optional<AsfHeader> header = AsfHeader::read(file))
        readAttributes(*header, tags);
    else
        readOldHeader(file, tags);
    return tags;
}

TagFields ReadWmaTags(const QString& path)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TagError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    return ReadWmaTags(file);
}

namespace {

// The attribute each text field is written to, in the writer's order, and
// the length it is held at (0: as long as the format allows).
struct AttributeName {
    TagField field;
    const char* name;
    int length;
};
const AttributeName attributeNames[] = {
    {TagField::Artist, "Author", wma::kTextLength},
    {TagField::Title, "Title", wma::kTextLength},
    {TagField::Album, "WM/AlbumTitle", wma::kTextLength},
    {TagField::Year, "WM/Year", wma::kTextLength},
    {TagField::Comment, "Description", 0},
    {TagField::Genre, "WM/Genre", wma::kGenreLength},
};

[[noreturn]] void cannotWrite(const QString& path, const QString& cause)
{
    throw TagError(QStringLiteral("Cannot write tags: %1: %2").arg(path, cause));
}

// The track as the attributes hold it: a 16-bit number (0 for none) and
// the total as digits.
struct WmaTrack {
    quint16 number = 0;
    QString total;
};

WmaTrack wmaTrack(const QString& path, const QString& track)
{
    const TrackText text = splitTrack(track);
    bool numberOk = true;
    const uint number = text.number.isEmpty() ? 0 : text.number.toUInt(&numberOk);
    bool totalOk = true;
    if (!text.total.isEmpty())
        text.total.toUInt(&totalOk);
    if (!numberOk || !totalOk || number > 0xffff)
        cannotWrite(path, QStringLiteral("the track must be a number from 0 to 65535 (and "
                                         "\"/\" and the number of tracks, if any)"));
    return {quint16(number), text.total};
}

} // namespace

void WriteWmaTags(const QString& path, const TagFields& tags)
{
    UpdateWmaTags(path, tags, everyTagField);
}

void UpdateWmaTags(const QString& path, const TagFields& values, TagFieldSet which)
{
    const WmaTrack track =
        which.testFlag(TagField::Track) ? wmaTrack(path, values.track) : WmaTrack{};
    // A file that cannot be opened, or has no ASF header, has no attributes
    // to set: nothing is written, and the caller is told why.
    RegularFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        cannotWrite(path, source.errorString());
    std::optional<AsfHeader> header = AsfHeader::read(source);
    if (!header)
        cannotWrite(path, QStringLiteral("no Windows Media (ASF) header found"));
    for (const AttributeName& a : attributeNames) {
        if (which.testFlag(a.field)) {
            const QString& text = values[a.field];
            header->setAttribute(QLatin1String(a.name),
                                 AsfValue::fromText(a.length ? cutTagText(text, a.length) : text));
        }
    }
    if (which.testFlag(TagField::Track)) {
        header->setAttribute(QStringLiteral("WM/TrackNumber"), AsfValue::fromDword(track.number));
        if (track.total.isEmpty())
            header->removeAttribute(QStringLiteral("TotalTracks"));
        else
            header->setAttribute(QStringLiteral("TotalTracks"), AsfValue::fromText(track.total));
    }
    try {
        SafeFile replacement(path, SafeFile::Target::Existing);
        header->write(source, replacement);
        source.close();
        replacement.commit();
    } catch (const SafeFileError& e) {
        cannotWrite(path, e.cause());
    }
}
