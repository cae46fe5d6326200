// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/Id3Frames.h"

#include <QIODevice>
#include <QtEndian>

namespace id3 {

namespace {

// Format flags of version 2.3 and 2.4, with the bytes each puts in front of
// the content, in the order those bytes come.
constexpr quint8 v23Compressed = 0x80;
constexpr quint8 v23Encrypted = 0x40;
constexpr quint8 v23Grouped = 0x20;
constexpr quint8 v24Grouped = 0x40;
constexpr quint8 v24Compressed = 0x08;
constexpr quint8 v24Encrypted = 0x04;
constexpr quint8 v24Unsynchronised = 0x02;
constexpr quint8 v24DataLength = 0x01;
constexpr quint8 v22Compressed = 0x40;

} // namespace

quint32 syncsafe32(const char* p)
{
    const auto b = [p](int i) { return quint32(quint8(p[i]) & 0x7f); };
    return b(0) << 21 | b(1) << 14 | b(2) << 7 | b(3);
}

QByteArray resynchronised(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out.append(bytes[i]);
        if (quint8(bytes[i]) == 0xff && i + 1 < bytes.size() && bytes[i + 1] == '\0')
            ++i;
    }
    return out;
}

std::optional<QByteArray> readTagAtStart(QIODevice& file)
{
    QByteArray tag = file.read(kTagHeaderSize);
    if (tag.size() < kTagHeaderSize || !tag.startsWith("ID3"))
        return std::nullopt;
    const auto b = [&tag](int i) { return qint64(quint8(tag[i])); };
    const qint64 size = (b(6) << 21) + (b(7) << 14) + (b(8) << 7) + b(9);
    if (kTagHeaderSize + size > file.size())
        return std::nullopt;
    tag += file.read(size);
    if (tag.size() != kTagHeaderSize + size)
        return std::nullopt;
    return tag;
}

std::optional<QByteArray> frameArea(QByteArrayView tag)
{
    if (tag.size() < kTagHeaderSize)
        return std::nullopt;
    const quint8 version = quint8(tag[3]);
    const quint8 flags = quint8(tag[5]);
    if (version == 2 && (flags & v22Compressed))
        return std::nullopt;
    QByteArray body = tag.sliced(kTagHeaderSize).toByteArray();
    if (version <= 3 && (flags & kTagUnsynchronised))
        body = resynchronised(body);
    if ((version != 3 && version != 4) || !(flags & kTagExtendedHeader))
        return body;
    // Version 2.3 gives the extended header's size without its own four size
    // bytes, version 2.4 with them and in seven-bit bytes.
    if (body.size() < 4)
        return std::nullopt;
    const qint64 end = version == 3 ? 4 + qint64(qFromBigEndian<quint32>(body.constData()))
                                    : qint64(syncsafe32(body.constData()));
    if (end < 4 || end > body.size())
        return std::nullopt;
    return body.sliced(end);
}

FrameIterator::FrameIterator(QByteArrayView area, int version, bool tagUnsynchronised)
    : m_area(area), m_version(version), m_tagUnsynchronised(tagUnsynchronised && version == 4)
{
}

std::optional<Frame> FrameIterator::next()
{
    const int headerSize = m_version == 2 ? 6 : 10;
    if (m_done || m_position + headerSize > m_area.size())
        return std::nullopt;
    const char* p = m_area.data() + m_position;
    // Zeros where an identifier belongs are the tag's padding: no frame
    // follows. Walking a padded area a header at a time would find nothing
    // and, in a tag that claims hundreds of megabytes, take seconds.
    if (p[0] == '\0') {
        m_done = true;
        return std::nullopt;
    }
    Frame frame;
    frame.m_version = m_version;
    frame.m_headerSize = headerSize;
    frame.m_tagUnsynchronised = m_tagUnsynchronised;
    if (m_version == 2) {
        frame.id = QByteArrayView(p, 3);
        frame.declaredSize = qint64(quint8(p[3])) << 16 | qint64(quint8(p[4])) << 8 | quint8(p[5]);
    } else {
        frame.id = QByteArrayView(p, 4);
        frame.declaredSize = m_version == 4 ? syncsafe32(p + 4) : qFromBigEndian<quint32>(p + 4);
        frame.formatFlags = quint8(p[9]);
    }
    const qint64 room = m_area.size() - m_position - headerSize;
    frame.truncated = frame.declaredSize > room;
    const qint64 stored = headerSize + std::min(frame.declaredSize, room);
    frame.stored = QByteArrayView(p, stored);
    m_position += stored;
    m_done = frame.truncated;
    return frame;
}

QByteArrayView Frame::storedContent() const
{
    return stored.sliced(m_headerSize);
}

bool Frame::readable() const
{
    if (m_version == 3)
        return !(formatFlags & (v23Compressed | v23Encrypted));
    if (m_version == 4)
        return !(formatFlags & (v24Compressed | v24Encrypted));
    return true;
}

QByteArray Frame::content() const
{
    if (!readable())
        return {};
    QByteArrayView bytes = storedContent();
    qsizetype skipped = 0;
    if (m_version == 3 && (formatFlags & v23Grouped))
        skipped = 1;
    if (m_version == 4)
        skipped = ((formatFlags & v24Grouped) ? 1 : 0) + ((formatFlags & v24DataLength) ? 4 : 0);
    bytes = bytes.sliced(std::min(skipped, bytes.size()));
    if (m_version == 4 && (m_tagUnsynchronised || (formatFlags & v24Unsynchronised)))
        return resynchronised(bytes);
    return bytes.toByteArray();
}

} // namespace id3
