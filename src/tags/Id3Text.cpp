// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/Id3Text.h"

#include "tags/TagText.h"

#include <QtEndian>
#include <algorithm>

namespace id3 {

namespace {

QString decodeUtf16(QByteArrayView bytes, bool bigEndianDefault)
{
    bool big = bigEndianDefault;
    if (bytes.size() >= 2) {
        const quint8 b0 = quint8(bytes[0]);
        const quint8 b1 = quint8(bytes[1]);
        if (b0 == 0xfe && b1 == 0xff) {
            big = true;
            bytes = bytes.sliced(2);
        } else if (b0 == 0xff && b1 == 0xfe) {
            big = false;
            bytes = bytes.sliced(2);
        }
    }
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char* p = bytes.data() + 2 * i;
        text[i] = QChar(big ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p));
    }
    return text;
}

// The length of the bytes without a UTF-8 sequence that the end cuts short.
qsizetype wholeUtf8Length(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = quint8(bytes[size - back]);
        if ((byte & 0xc0) == 0x80)
            continue; // a continuation byte: its lead lies further back
        const int needed = byte < 0x80 ? 1 : byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : 2;
        return needed > back ? size - back : size;
    }
    return size;
}

// One text in the given encoding, up to its terminator.
QString decodeText(quint8 encoding, QByteArrayView bytes, bool cut)
{
    const bool wide = isWideEncoding(encoding);
    const qsizetype end = terminatorAt(bytes, wide);
    // Only a text without its terminator can be cut short.
    const bool terminated = wide ? end + 1 < bytes.size() : end < bytes.size();
    cut = cut && !terminated;
    bytes = bytes.first(end);
    QString text;
    switch (encoding) {
    case 1:
        text = decodeUtf16(bytes, false);
        break;
    case 2:
        text = decodeUtf16(bytes, true);
        break;
    case 3:
        return QString::fromUtf8(cut ? bytes.first(wholeUtf8Length(bytes)) : bytes);
    default:
        return QString::fromLatin1(bytes);
    }
    if (cut && !text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

} // namespace

qsizetype terminatorAt(QByteArrayView bytes, bool wide)
{
    if (!wide) {
        const qsizetype zero = bytes.indexOf('\0');
        return zero < 0 ? bytes.size() : zero;
    }
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] == 0 && bytes[i + 1] == 0)
            return i;
    }
    return bytes.size() & ~qsizetype(1);
}

bool isWideEncoding(quint8 encoding)
{
    return encoding == 1 || encoding == 2;
}

bool isKnownEncoding(quint8 encoding)
{
    return encoding <= 3;
}

QString textFrameValue(QByteArrayView content, bool cut)
{
    if (content.isEmpty())
        return {};
    const quint8 encoding = quint8(content[0]);
    // Without a known encoding byte the frame is taken as plain Latin-1 text.
    if (!isKnownEncoding(encoding))
        return trimTagText(QString::fromLatin1(content));
    return trimTagText(decodeText(encoding, content.sliced(1), cut));
}

UserText userTextFrame(QByteArrayView content, bool cut)
{
    if (content.isEmpty() || !isKnownEncoding(quint8(content[0])))
        return {};
    const quint8 encoding = quint8(content[0]);
    const QByteArrayView rest = content.sliced(1);
    const bool wide = isWideEncoding(encoding);
    const qsizetype descriptionEnd = terminatorAt(rest, wide);
    const qsizetype valueStart = std::min(descriptionEnd + (wide ? 2 : 1), rest.size());
    return {trimTagText(decodeText(encoding, rest.first(descriptionEnd), false)),
            trimTagText(decodeText(encoding, rest.sliced(valueStart), cut))};
}

QString commentFrameValue(QByteArrayView content, bool cut)
{
    if (content.size() <= 4)
        return {};
    const quint8 encoding = quint8(content[0]);
    const QByteArrayView rest = content.sliced(4);
    if (!isKnownEncoding(encoding))
        return trimTagText(QString::fromLatin1(rest));
    const bool wide = isWideEncoding(encoding);
    const qsizetype descriptionEnd = terminatorAt(rest, wide);
    const qsizetype textStart = descriptionEnd + (wide ? 2 : 1);
    // Without a terminated description (older writers left it out) all that
    // follows the language is the comment.
    if (textStart > rest.size())
        return trimTagText(decodeText(encoding, rest, cut));
    return trimTagText(decodeText(encoding, rest.sliced(textStart), cut));
}

} // namespace id3
