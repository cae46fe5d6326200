// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/AsfHeader.h"

#include "base/SafeFile.h"
#include "tags/TagText.h"

#include <QIODevice>
#include <QtEndian>

namespace {

const QByteArray headerGuid("\x30\x26\xb2\x75\x8e\x66\xcf\x11\xa6\xd9\x00\xaa\x00\x62\xce\x6c", 16);
const QByteArray
    contentDescriptionGuid("\x33\x26\xb2\x75\x8e\x66\xcf\x11\xa6\xd9\x00\xaa\x00\x62\xce\x6c", 16);
const QByteArray extendedContentDescriptionGuid(
    "\x40\xa4\xd0\xd2\x07\xe3\xd2\x11\x97\xf0\x00\xa0\xc9\x5e\xa8\x50", 16);

const QByteArray
    filePropertiesGuid("\xa1\xdc\xab\x8c\x47\xa9\xcf\x11\x8e\xe4\x00\xc0\x0c\x20\x53\x65", 16);

constexpr qint64 objectHeaderSize = 24;
// Where the File Properties object keeps the size of the whole file (behind
// the file identifier), and its flags, whose lowest bit marks a broadcast,
// for which the size is not known and stays as it is.
constexpr qsizetype fileSizeOffset = 16;
constexpr qsizetype filePropertiesFlagsOffset = 64;

bool holdsFileSize(const QByteArray& payload)
{
    return payload.size() >= filePropertiesFlagsOffset + 4 &&
           (qFromLittleEndian<quint32>(payload.constData() + filePropertiesFlagsOffset) & 1) == 0;
}
constexpr qint64 headerObjectSize = 30;
// Headers hold descriptions and now and then a picture; anything larger is
// taken for a broken size rather than read into memory.
constexpr qint64 headerLimit = qint64(64) << 20;

const char* const contentNames[5] = {"Title", "Author", "Copyright", "Description", "Rating"};

int contentIndex(const QString& name)
{
    for (int i = 0; i < 5; ++i) {
        if (name.compare(QLatin1String(contentNames[i]), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString fromUtf16Le(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = qFromLittleEndian<quint16>(bytes.data() + i);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

// Lengths are 16-bit byte counts, so a text keeps at most 32766 characters
// and its terminator.
QByteArray toUtf16Le(const QString& text)
{
    const QString kept = cutTagText(text, 32766);
    QByteArray bytes(2 * (kept.size() + 1), '\0');
    for (qsizetype i = 0; i < kept.size(); ++i)
        qToLittleEndian<quint16>(kept.at(i).unicode(), bytes.data() + 2 * i);
    return bytes;
}

void appendLe16(QByteArray& bytes, quint16 value)
{
    char buffer[2];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 2);
}

QByteArray objectBytes(const QByteArray& guid, const QByteArray& payload)
{
    char size[8];
    qToLittleEndian<quint64>(quint64(objectHeaderSize + payload.size()), size);
    return guid + QByteArray(size, 8) + payload;
}

// Reads little-endian fields from a payload and notices running past its end.
class PayloadReader {
public:
    explicit PayloadReader(const QByteArray& payload) : m_bytes(payload) {}
    bool ok() const { return m_ok; }
    quint16 le16()
    {
        const QByteArrayView b = take(2);
        return m_ok ? qFromLittleEndian<quint16>(b.data()) : 0;
    }
    QByteArrayView take(qsizetype size)
    {
        if (!m_ok || size > m_bytes.size() - m_pos) {
            m_ok = false;
            return {};
        }
        const QByteArrayView view = QByteArrayView(m_bytes).sliced(m_pos, size);
        m_pos += size;
        return view;
    }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

} // namespace

AsfValue AsfValue::fromText(const QString& text)
{
    return {Text, toUtf16Le(text)};
}

AsfValue AsfValue::fromDword(quint32 number)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(number, bytes.data());
    return {Dword, bytes};
}

QString AsfValue::text() const
{
    return type == Text ? fromUtf16Le(data) : QString();
}

std::optional<quint64> AsfValue::number() const
{
    const auto fits = [this](qsizetype size) { return data.size() >= size; };
    switch (type) {
    case Bool:
    case Dword:
        if (fits(4))
            return qFromLittleEndian<quint32>(data.constData());
        break;
    case Qword:
        if (fits(8))
            return qFromLittleEndian<quint64>(data.constData());
        break;
    case Word:
        if (fits(2))
            return qFromLittleEndian<quint16>(data.constData());
        break;
    default:
        break;
    }
    return std::nullopt;
}

std::optional<AsfHeader> AsfHeader::read(QIODevice& input)
{
    if (!input.seek(0))
        return std::nullopt;
    const QByteArray start = input.read(headerObjectSize);
    if (start.size() < headerObjectSize || !start.startsWith(headerGuid))
        return std::nullopt;
    const auto size = qFromLittleEndian<quint64>(start.constData() + 16);
    if (size < quint64(headerObjectSize) || size > quint64(headerLimit) ||
        qint64(size) > input.size())
        return std::nullopt;

    AsfHeader header;
    header.m_size = qint64(size);
    header.m_reserved = start.sliced(28, 2);
    const QByteArray body = input.read(header.m_size - headerObjectSize);
    if (body.size() != header.m_size - headerObjectSize)
        return std::nullopt;

    qsizetype pos = 0;
    bool sawContent = false;
    bool sawExtended = false;
    while (pos < body.size()) {
        if (body.size() - pos < objectHeaderSize)
            return std::nullopt;
        const auto objectSize = qFromLittleEndian<quint64>(body.constData() + pos + 16);
        if (objectSize < quint64(objectHeaderSize) || objectSize > quint64(body.size() - pos))
            return std::nullopt;
        Object object{body.sliced(pos, 16), body.sliced(pos + objectHeaderSize,
                                                        qsizetype(objectSize) - objectHeaderSize)};
        // The first of each description object counts, as for every reader.
        if (object.guid == contentDescriptionGuid && !sawContent) {
            if (!header.parseContentDescription(object.payload))
                return std::nullopt;
            sawContent = true;
        } else if (object.guid == extendedContentDescriptionGuid && !sawExtended) {
            if (!header.parseExtendedContentDescription(object.payload))
                return std::nullopt;
            sawExtended = true;
        }
        header.m_objects.push_back(std::move(object));
        pos += qsizetype(objectSize);
    }
    return header;
}

bool AsfHeader::parseContentDescription(const QByteArray& payload)
{
    PayloadReader reader(payload);
    quint16 lengths[5];
    for (quint16& length : lengths)
        length = reader.le16();
    for (int i = 0; i < 5; ++i)
        m_content[i] = fromUtf16Le(reader.take(lengths[i]));
    return reader.ok();
}

bool AsfHeader::parseExtendedContentDescription(const QByteArray& payload)
{
    PayloadReader reader(payload);
    const quint16 count = reader.le16();
    for (quint16 i = 0; i < count && reader.ok(); ++i) {
        const QString name = fromUtf16Le(reader.take(reader.le16()));
        AsfValue value;
        value.type = reader.le16();
        value.data = reader.take(reader.le16()).toByteArray();
        if (reader.ok())
            m_extended.emplace_back(name, std::move(value));
    }
    return reader.ok();
}

std::optional<AsfValue> AsfHeader::attribute(const QString& name) const
{
    // Some writers keep the description texts as extended entries too,
    // or only there; the description object's own text comes first.
    const int index = contentIndex(name);
    if (index >= 0 && !m_content[index].isEmpty())
        return AsfValue::fromText(m_content[index]);
    for (const auto& [key, value] : m_extended) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    if (index >= 0)
        return AsfValue::fromText(QString());
    return std::nullopt;
}

void AsfHeader::setAttribute(const QString& name, const AsfValue& value)
{
    // A description text lives in the description object; a copy of it
    // among the extended entries gets the new value too, as readers that see
    // both would otherwise show the old one.
    const int index = contentIndex(name);
    if (index >= 0)
        m_content[index] = value.text();
    bool found = false;
    for (auto& [key, existing] : m_extended) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            existing = index >= 0 ? AsfValue::fromText(value.text()) : value;
            found = true;
        }
    }
    if (!found && index < 0)
        m_extended.emplace_back(name, value);
}

void AsfHeader::removeAttribute(const QString& name)
{
    if (const int index = contentIndex(name); index >= 0)
        m_content[index].clear();
    std::erase_if(m_extended, [&name](const auto& entry) {
        return entry.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

QByteArray AsfHeader::contentDescriptionPayload() const
{
    QByteArray lengths;
    QByteArray texts;
    for (const QString& text : m_content) {
        const QByteArray bytes = text.isEmpty() ? QByteArray() : toUtf16Le(text);
        appendLe16(lengths, quint16(bytes.size()));
        texts += bytes;
    }
    return lengths + texts;
}

QByteArray AsfHeader::extendedContentDescriptionPayload() const
{
    QByteArray payload;
    appendLe16(payload, quint16(m_extended.size()));
    for (const auto& [name, value] : m_extended) {
        const QByteArray nameBytes = toUtf16Le(name);
        const QByteArray data = value.data.left(0xffff);
        appendLe16(payload, quint16(nameBytes.size()));
        payload += nameBytes;
        appendLe16(payload, value.type);
        appendLe16(payload, quint16(data.size()));
        payload += data;
    }
    return payload;
}

void AsfHeader::write(QIODevice& input, SafeFile& output) const
{
    QByteArray objects;
    quint32 count = 0;
    bool wroteContent = false;
    bool wroteExtended = false;
    const auto add = [&](const QByteArray& guid, const QByteArray& payload) {
        objects += objectBytes(guid, payload);
        ++count;
    };
    // The header's new size is known only once its objects are built; the
    // file size in the File Properties object is filled in after that.
    qsizetype fileSizeAt = -1;
    for (const Object& object : m_objects) {
        if (object.guid == filePropertiesGuid && fileSizeAt < 0 && holdsFileSize(object.payload)) {
            fileSizeAt = objects.size() + objectHeaderSize + fileSizeOffset;
            add(object.guid, object.payload);
        } else if (object.guid == contentDescriptionGuid) {
            if (!wroteContent)
                add(object.guid, contentDescriptionPayload());
            wroteContent = true;
        } else if (object.guid == extendedContentDescriptionGuid) {
            if (!wroteExtended)
                add(object.guid, extendedContentDescriptionPayload());
            wroteExtended = true;
        } else {
            add(object.guid, object.payload);
        }
    }
    if (!wroteContent)
        add(contentDescriptionGuid, contentDescriptionPayload());
    if (!wroteExtended)
        add(extendedContentDescriptionGuid, extendedContentDescriptionPayload());

    QByteArray header = headerGuid;
    char size[8];
    qToLittleEndian<quint64>(quint64(headerObjectSize + objects.size()), size);
    header.append(size, 8);
    char countBytes[4];
    qToLittleEndian(count, countBytes);
    header.append(countBytes, 4);
    header += m_reserved;

    if (fileSizeAt >= 0) {
        const qint64 fileSize = headerObjectSize + objects.size() + (input.size() - m_size);
        qToLittleEndian<quint64>(quint64(fileSize), objects.data() + fileSizeAt);
    }
    output.write(header + objects);
    if (!input.seek(m_size))
        throw SafeFileError(output.path(), input.errorString());
    output.copyRest(input);
}
