#include "tags/Id3Tags.h"

#include "base/RegularFile.h"
#include "base/SafeFile.h"
#include "tags/TagError.h"
#include "tags/TagText.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <optional>

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

QByteArray syncsafeBytes(qint64 size)
{
    QByteArray bytes;
    for (int shift = 21; shift >= 0; shift -= 7)
        bytes.append(char((size >> shift) & 0x7f));
    return bytes;
}

// A frame with no flags; version 2.4 gives its size in seven-bit bytes.
QByteArray frame(const char* id, const QByteArray& content, int version = 3)
{
    QByteArray bytes(id, 4);
    if (version == 4) {
        bytes += syncsafeBytes(content.size());
    } else {
        char size[4];
        qToBigEndian<quint32>(quint32(content.size()), size);
        bytes.append(size, 4);
    }
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
    return QByteArray("ID3\x03\x00\x00", 6) + syncsafeBytes(size) + frames;
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

// Where the first frame of a tag (header included) starts: behind the
// extended header when the tag has one. Version 2.3 gives that header's size
// without its own four size bytes, version 2.4 with them and in seven-bit
// bytes. Empty when the extended header does not fit in the tag.
std::optional<qint64> firstFrameAt(QByteArrayView tag)
{
    const quint8 version = quint8(tag[3]);
    const bool extended = (version == 3 || version == 4) && (quint8(tag[5]) & 0x40);
    if (!extended)
        return headerSize;
    if (tag.size() < headerSize + 4)
        return std::nullopt;
    const char* size = tag.data() + headerSize;
    const qint64 end = version == 3 ? headerSize + 4 + qint64(bigEndian32(size))
                                    : headerSize + qint64(syncsafe32(size));
    if (end < headerSize + 4 || end > tag.size())
        return std::nullopt;
    return end;
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
    RegularFile file(path);
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
    // The whole tag in one read, its size checked against the file's above:
    // a tag of countless tiny frames then costs no file access per frame.
    const QByteArray tag = header + file.read(tagEnd - headerSize);
    if (tag.size() != tagEnd)
        return {};
    // Version 2.4 counts frame sizes in seven-bit bytes and keeps the year
    // in TDRC.
    const bool syncsafeFrameSizes = b(3) == 4;

    const std::optional<qint64> framesStart = firstFrameAt(tag);
    if (!framesStart)
        return {};
    qint64 position = *framesStart;
    while (position + headerSize <= tagEnd) {
        const char* p = tag.constData() + position;
        // Zeros where a frame identifier belongs are the tag's padding: no
        // frame follows. Walking a padded area ten bytes at a time would
        // find nothing and, in a tag that claims hundreds of megabytes,
        // keep the window busy for seconds.
        if (p[0] == '\0')
            break;
        const qint64 size = syncsafeFrameSizes ? syncsafe32(p + 4) : bigEndian32(p + 4);
        const qint64 kept = std::min(size, frameBufferSize);
        if (position + headerSize + kept > tagEnd)
            return {};
        const QByteArrayView content(p + headerSize, kept);
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
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadId3v2(file);
}

void WriteId3v2(const QString& path, const Mp3Tags& tags)
{
    const QByteArray tag = buildTag(path, tags);
    RegularFile source(path);
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

namespace {

// The frames a field is written to, in the order the writer writes fields.
struct FieldFrame {
    TagField field;
    const char* id;
    QString Mp3Tags::*value;
};
const FieldFrame fieldFrames[] = {
    {TagField::Title, "TIT2", &Mp3Tags::title},     {TagField::Artist, "TPE1", &Mp3Tags::artist},
    {TagField::Album, "TALB", &Mp3Tags::album},     {TagField::Track, "TRCK", &Mp3Tags::track},
    {TagField::Year, "TYER", &Mp3Tags::year},       {TagField::Genre, "TCON", &Mp3Tags::genre},
    {TagField::Comment, "COMM", &Mp3Tags::comment},
};

bool isFrameId(QByteArrayView id)
{
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// Undoes the unsynchronisation of a version 2.3 tag: every zero byte that
// follows 0xff was inserted by the writer.
QByteArray resynchronised(const QByteArray& bytes)
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

// A comment frame that holds the comment field rather than a described
// value (iTunes' normalisation data and the like): its description is empty.
// Frames compressed, encrypted or otherwise transformed count as described.
bool isPlainComment(QByteArrayView content, quint8 formatFlags, int version)
{
    const quint8 transformed = version == 4 ? 0x4f : 0xe0;
    if ((formatFlags & transformed) != 0 || content.size() < 4)
        return false;
    const quint8 encoding = quint8(content[0]);
    if (!knownEncoding(encoding))
        return true;
    QByteArrayView description = content.sliced(4);
    // UTF-16 texts may begin with a byte order mark, an empty one too.
    if (encoding == 1 && description.size() >= 2 &&
        (description.startsWith("\xff\xfe") || description.startsWith("\xfe\xff")))
        description = description.sliced(2);
    return terminatorAt(description, encoding == 1 || encoding == 2) == 0;
}

bool isReplaced(QByteArrayView id, QByteArrayView content, quint8 formatFlags, int version,
                TagFieldSet which)
{
    for (const FieldFrame& f : fieldFrames) {
        if (!which.testFlag(f.field))
            continue;
        if (f.field == TagField::Comment) {
            if (id == "COMM" && isPlainComment(content, formatFlags, version))
                return true;
        } else if (id == f.id || (f.field == TagField::Year && id == "TDRC")) {
            return true;
        }
    }
    return false;
}

// The tag at the front of an MP3 file as the updater sees it.
struct ExistingTag {
    int version = 3;
    quint8 flags = 0;
    qint64 declaredSize = 0; // what the header gives, the padding included
    qint64 audioStart = 0;
    QByteArray frames; // the frames kept, each whole with its header
};

[[noreturn]] void cannotUpdate(const QString& path, const QString& cause)
{
    throw TagError(QStringLiteral("Cannot write tags: %1: %2").arg(path, cause));
}

ExistingTag readExistingTag(QFile& source, const QString& path, TagFieldSet which)
{
    ExistingTag existing;
    existing.audioStart = audioStart(source);
    if (existing.audioStart == 0)
        return existing;
    if (!source.seek(0))
        cannotUpdate(path, source.errorString());
    const QByteArray tag = source.read(existing.audioStart);
    if (tag.size() != existing.audioStart)
        cannotUpdate(path, source.errorString());
    existing.version = quint8(tag[3]);
    existing.flags = quint8(tag[5]);
    existing.declaredSize = syncsafe32(tag.constData() + 6);
    if (existing.version != 3 && existing.version != 4)
        cannotUpdate(
            path,
            QStringLiteral("tags of ID3 version 2.%1 cannot be updated").arg(existing.version));
    QByteArray body = tag.sliced(0, headerSize + existing.declaredSize);
    if (existing.version == 3 && (existing.flags & 0x80))
        body = tag.first(headerSize) + resynchronised(body.sliced(headerSize));
    const std::optional<qint64> first = firstFrameAt(body);
    if (!first)
        cannotUpdate(path, QStringLiteral("its ID3 tag is damaged"));

    // Frames are kept as they are, up to the padding or to anything that is
    // no frame.
    qint64 position = *first;
    while (position + headerSize <= body.size()) {
        const char* p = body.constData() + position;
        const QByteArrayView id(p, 4);
        if (!isFrameId(id))
            break;
        const qint64 size = existing.version == 4 ? syncsafe32(p + 4) : bigEndian32(p + 4);
        if (size > body.size() - position - headerSize)
            break;
        const QByteArrayView content(p + headerSize, size);
        if (!isReplaced(id, content, quint8(p[9]), existing.version, which))
            existing.frames.append(p, headerSize + size);
        position += headerSize + size;
    }
    return existing;
}

} // namespace

void UpdateId3v2(const QString& path, const Mp3Tags& values, TagFieldSet which)
{
    RegularFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        cannotUpdate(path, source.errorString());
    const ExistingTag existing = readExistingTag(source, path, which);

    QByteArray frames = existing.frames;
    for (const FieldFrame& f : fieldFrames) {
        const QString& text = values.*f.value;
        if (!which.testFlag(f.field) || text.isEmpty())
            continue;
        const char* id = f.field == TagField::Year && existing.version == 4 ? "TDRC" : f.id;
        frames += frame(id, f.field == TagField::Comment ? commentContent(text) : textContent(text),
                        existing.version);
    }
    // The old tag's size when the frames fit in it, so that the audio data
    // keeps its place; the same padding as a new tag otherwise.
    if (existing.audioStart == 0 && frames.isEmpty())
        return;
    constexpr qint64 padding = 10;
    const qint64 size = std::max(frames.size() + padding, existing.declaredSize);
    if (size >= qint64(1) << 28)
        cannotUpdate(path, QStringLiteral("the texts are too long"));
    frames.append(size - frames.size(), '\0');
    // Unsynchronisation, the extended header and the footer are not written
    // again; the experimental flag stays.
    const char flags = char(existing.flags & 0x20);
    const QByteArray header =
        QByteArray("ID3") + char(existing.version) + '\0' + flags + syncsafeBytes(size);

    if (!source.seek(existing.audioStart))
        cannotUpdate(path, source.errorString());
    try {
        SafeFile replacement(path, SafeFile::Target::Existing);
        replacement.write(header + frames);
        replacement.copyRest(source);
        source.close();
        replacement.commit();
    } catch (const SafeFileError& e) {
        cannotUpdate(path, e.cause());
    }
}
