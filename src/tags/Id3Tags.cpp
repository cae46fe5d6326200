#include "tags/Id3Tags.h"

#include "base/SafeFile.h"
#include "tags/TagError.h"
#include "tags/TagText.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr int headerSize = 10;
constexpr qint64 frameBufferSize = 250;

quint32 bigEndian32(const char* p)
{
    return qFromBigEndian<quint32>(p);
}

quint32 syncsafe32(const char* p)
{
    const auto b = [p](int i) { return quint32(quint8(p[i]) & 0x7f); };
    return b(0) << 21 | b(1) << 14 | b(2) << 7 | b(3);
}

// Texts end at their terminator; what may follow it (a second value, junk
// left by an editor) is not part of the field.
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

// One text in the given ID3 text encoding, up to its terminator.
QString decodeText(quint8 encoding, QByteArrayView bytes)
{
    const bool wide = encoding == 1 || encoding == 2;
    bytes = bytes.first(terminatorAt(bytes, wide));
    switch (encoding) {
    case 1:
        return decodeUtf16(bytes, false);
    case 2:
        return decodeUtf16(bytes, true);
    case 3:
        return QString::fromUtf8(bytes);
    default:
        return QString::fromLatin1(bytes);
    }
}

bool knownEncoding(quint8 encoding)
{
    return encoding <= 3;
}

QString textFrameValue(QByteArrayView content)
{
    if (content.isEmpty())
        return {};
    const quint8 encoding = quint8(content[0]);
    // Without a known encoding byte the frame is taken as plain Latin-1 text.
    if (!knownEncoding(encoding))
        return trimTagText(QString::fromLatin1(content));
    return trimTagText(decodeText(encoding, content.sliced(1)));
}

// Encoding byte, language code, a terminated short description, the text.
QString commentFrameValue(QByteArrayView content)
{
    if (content.size() <= 4)
        return {};
    const quint8 encoding = quint8(content[0]);
    const QByteArrayView rest = content.sliced(4);
    if (!knownEncoding(encoding))
        return trimTagText(QString::fromLatin1(rest));
    const bool wide = encoding == 1 || encoding == 2;
    const qsizetype descriptionEnd = terminatorAt(rest, wide);
    const qsizetype textStart = descriptionEnd + (wide ? 2 : 1);
    // Without a terminated description (older writers left it out) all that
    // follows the language is the comment.
    if (textStart > rest.size())
        return trimTagText(decodeText(encoding, rest));
    return trimTagText(decodeText(encoding, rest.sliced(textStart)));
}

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xff; });
}

QByteArray utf16WithBom(const QString& text)
{
    QByteArray bytes("\xff\xfe", 2);
    bytes.reserve(2 + 2 * text.size());
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

// ISO-8859-1 when every character has a place in it, so that plain texts
// keep their classic size; UTF-16 with a byte order mark otherwise.
QByteArray textContent(const QString& text)
{
    if (fitsLatin1(text))
        return '\0' + text.toLatin1();
    return '\1' + utf16WithBom(text);
}

QByteArray commentContent(const QString& text)
{
    if (fitsLatin1(text))
        return QByteArray("\0eng\0", 5) + text.toLatin1();
    return QByteArray("\1eng", 4) + utf16WithBom({}) + QByteArray(2, '\0') + utf16WithBom(text);
}

QByteArray frame(const char* id, const QByteArray& content)
{
    QByteArray bytes(id, 4);
    char size[4];
    qToBigEndian<quint32>(quint32(content.size()), size);
    bytes.append(size, 4);
    bytes.append(2, '\0');
    return bytes + content;
}

QByteArray buildTag(const QString& path, const Mp3Tags& tags)
{
    QByteArray frames =
        frame("TIT2", textContent(tags.title)) + frame("TPE1", textContent(tags.artist)) +
        frame("TALB", textContent(tags.album)) + frame("TRCK", textContent(tags.track)) +
        frame("TYER", textContent(tags.year)) + frame("TCON", textContent(tags.genre)) +
        frame("COMM", commentContent(tags.comment));
    frames.append(10, '\0');
    const qint64 size = frames.size();
    if (size >= qint64(1) << 28)
        throw TagError(QStringLiteral("Cannot write tags: %1: the texts are too long").arg(path));
    QByteArray header("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        header.append(char((size >> shift) & 0x7f));
    return header + frames;
}

// Where the audio data starts: behind a well-formed version 2 tag at the
// front of the file, else at 0.
qint64 audioStart(QIODevice& file)
{
    const QByteArray header = file.read(headerSize);
    if (header.size() < headerSize || !header.startsWith("ID3") || quint8(header[3]) == 0xff ||
        quint8(header[4]) == 0xff)
        return 0;
    for (int i = 6; i < 10; ++i) {
        if (quint8(header[i]) & 0x80)
            return 0;
    }
    const bool footer = quint8(header[3]) == 4 && (quint8(header[5]) & 0x10);
    const qint64 end = headerSize + syncsafe32(header.constData() + 6) + (footer ? headerSize : 0);
    return end <= file.size() ? end : 0;
}

} // namespace

QString ReadId3v1Title(QIODevice& file)
{
    constexpr qint64 blockSize = 128;
    const qint64 size = file.size();
    if (size < blockSize || !file.seek(size - blockSize))
        return {};
    const QByteArray block = file.read(blockSize);
    if (block.size() != blockSize || !block.startsWith("TAG"))
        return {};
    const QByteArrayView title = QByteArrayView(block).sliced(3, 30);
    return QString::fromLatin1(title.first(terminatorAt(title, false)));
}

QString ReadId3v1Title(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadId3v1Title(file);
}

Mp3Tags ReadId3v2(QIODevice& file)
{
    Mp3Tags tags;
    const QByteArray header = file.read(headerSize);
    if (header.size() < headerSize || !header.startsWith("ID3"))
        return tags;
    const auto b = [&header](int i) { return qint64(quint8(header[i])); };
    // The size bytes are taken whole, as old writers did not always keep
    // their top bit clear.
    const qint64 tagEnd = (b(6) << 21) + (b(7) << 14) + (b(8) << 7) + b(9) + headerSize;
    if (tagEnd > file.size())
        return tags;
    // Version 2.4 counts frame sizes in seven-bit bytes and keeps the year
    // in TDRC.
    const bool syncsafeFrameSizes = b(3) == 4;

    qint64 position = headerSize;
    while (position < tagEnd) {
        if (!file.seek(position))
            return {};
        const QByteArray frameHeader = file.read(headerSize);
        if (frameHeader.size() < headerSize)
            return {};
        const char* p = frameHeader.constData();
        // Zeros where a frame identifier belongs are the tag's padding: no
        // frame follows. Walking a padded area ten bytes at a time would
        // find nothing and, in a tag that claims hundreds of megabytes,
        // keep the window busy for seconds.
        if (p[0] == '\0')
            break;
        const qint64 size = syncsafeFrameSizes ? syncsafe32(p + 4) : bigEndian32(p + 4);
        const qint64 kept = std::min(size, frameBufferSize);
        const QByteArray content = file.read(kept);
        if (content.size() < kept)
            return {};
        position += headerSize + size;

        const QByteArrayView id(p, 4);
        if (id == "TIT2")
            tags.title = textFrameValue(content);
        else if (id == "TPE1")
            tags.artist = textFrameValue(content);
        else if (id == "TALB")
            tags.album = textFrameValue(content);
        else if (id == "TRCK")
            tags.track = textFrameValue(content);
        else if (id == "TYER" || (syncsafeFrameSizes && id == "TDRC"))
            tags.year = textFrameValue(content);
        else if (id == "TCON")
            tags.genre = textFrameValue(content);
        else if (id == "COMM")
            tags.comment = commentFrameValue(content);
    }
    return tags;
}

Mp3Tags ReadId3v2(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadId3v2(file);
}

void WriteId3v2(const QString& path, const Mp3Tags& tags)
{
    const QByteArray tag = buildTag(path, tags);
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        throw TagError(QStringLiteral("Cannot write tags: %1: %2").arg(path, source.errorString()));
    const qint64 start = audioStart(source);
    if (!source.seek(start))
        throw TagError(QStringLiteral("Cannot write tags: %1: %2").arg(path, source.errorString()));
    try {
        SafeFile replacement(path, SafeFile::Target::Existing);
        replacement.write(tag);
        replacement.copyRest(source);
        source.close();
        replacement.commit();
    } catch (const SafeFileError& e) {
        throw TagError(QStringLiteral("Cannot write tags: %1: %2").arg(path, e.cause()));
    }
}
