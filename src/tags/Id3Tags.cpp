// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/Id3Tags.h"

#include "base/RegularFile.h"
#include "base/SafeFile.h"
#include "tags/Id3Frames.h"
#include "tags/Id3Text.h"
#include "tags/TagError.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <optional>

using id3::kTagHeaderSize;

namespace {

// Of a longer frame only this many bytes are read, as the described reader's
// buffer held them.
constexpr qint64 frameBufferSize = 250;

// The frame each field is read from and written to, by version: 2.2 has
// three-letter names. The year has a second frame: TDRC is the year's place
// in version 2.4 (TYER in 2.3), and writers mix them up.
struct FieldFrame {
    TagField field;
    const char* v22;
    const char* id;
};
const FieldFrame fieldFrames[] = {
    {TagField::Title, "TT2", "TIT2"},   {TagField::Artist, "TP1", "TPE1"},
    {TagField::Album, "TAL", "TALB"},   {TagField::Track, "TRK", "TRCK"},
    {TagField::Year, "TYE", "TYER"},    {TagField::Genre, "TCO", "TCON"},
    {TagField::Comment, "COM", "COMM"},
};

// The field a frame holds, if any.
std::optional<TagField> fieldOf(QByteArrayView id, int version)
{
    for (const FieldFrame& f : fieldFrames) {
        if (id == QByteArrayView(version == 2 ? f.v22 : f.id))
            return f.field;
    }
    if (version != 2 && id == "TDRC")
        return TagField::Year;
    return std::nullopt;
}

// The first bytes of a frame's content, as many as the reader keeps, and
// whether the content went on.
struct Kept {
    QByteArray bytes;
    bool cut = false;
};

Kept keptContent(const id3::Frame& frame)
{
    Kept kept{frame.content(), frame.truncated};
    if (kept.bytes.size() > frameBufferSize) {
        kept.bytes.truncate(frameBufferSize);
        kept.cut = true;
    }
    return kept;
}

bool isUserText(QByteArrayView id)
{
    return id == "TXXX" || id == "TXX";
}

// A user text frame whose description says it holds a comment, as ffmpeg
// writes comments.
bool isUserComment(QByteArrayView content)
{
    return id3::userTextFrame(content).description.compare(QLatin1String("comment"),
                                                           Qt::CaseInsensitive) == 0;
}

// TYER and TDRC both give the year; the one of the tag's own version wins.
int yearRank(QByteArrayView id, int version)
{
    const bool own = version == 4 ? id == "TDRC" : id != "TDRC";
    return own ? 2 : 1;
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
    return QString::fromLatin1(title.first(id3::terminatorAt(title, false)));
}

QString ReadId3v1Title(const QString& path)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadId3v1Title(file);
}

TagFields ReadId3v2(QIODevice& file)
{
    const std::optional<QByteArray> tag = id3::readTagAtStart(file);
    if (!tag)
        return {};
    const std::optional<QByteArray> area = id3::frameArea(*tag);
    if (!area)
        return {};
    const int version = quint8(tag->at(3));
    TagFields tags;
    QString userComment; // taken when there is no comment frame
    int yearFrom = 0;
    id3::FrameIterator frames(*area, version, quint8(tag->at(5)) & id3::kTagUnsynchronised);
    while (const std::optional<id3::Frame> frame = frames.next()) {
        // A frame whose first bytes run past the tag leaves the whole tag
        // unread.
        if (frame->truncated &&
            frame->storedContent().size() < std::min(frame->declaredSize, frameBufferSize))
            return {};
        const std::optional<TagField> field = fieldOf(frame->id, version);
        if (!field) {
            if (isUserText(frame->id)) {
                if (const Kept kept = keptContent(*frame); isUserComment(kept.bytes))
                    userComment = id3::userTextFrame(kept.bytes, kept.cut).value;
            }
            continue;
        }
        if (*field == TagField::Year) {
            const int rank = yearRank(frame->id, version);
            if (rank < yearFrom)
                continue;
            yearFrom = rank;
        }
        const Kept kept = keptContent(*frame);
        tags[*field] = *field == TagField::Comment ? id3::commentFrameValue(kept.bytes, kept.cut)
                                                   : id3::textFrameValue(kept.bytes, kept.cut);
    }
    if (tags.comment.isEmpty())
        tags.comment = userComment;
    return tags;
}

TagFields ReadId3v2(const QString& path)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadId3v2(file);
}

namespace {

// A chapter frame: its element identifier, start and end times in
// milliseconds, byte offsets (unused here), then sub-frames.
struct ChapterFrame {
    QByteArray element;
    TagChapter chapter;
};

std::optional<ChapterFrame> chapterFrom(const QByteArray& content, int version)
{
    const qsizetype idEnd = content.indexOf('\0');
    if (idEnd < 0 || content.size() < idEnd + 1 + 16)
        return std::nullopt;
    ChapterFrame chap;
    chap.element = content.first(idEnd);
    const char* times = content.constData() + idEnd + 1;
    chap.chapter.startMs = qFromBigEndian<quint32>(times);
    const qint64 end = qFromBigEndian<quint32>(times + 4);
    // An end that is not after the start says nothing.
    if (end > chap.chapter.startMs)
        chap.chapter.endMs = end;
    id3::FrameIterator subFrames(QByteArrayView(content).sliced(idEnd + 1 + 16), version);
    while (const std::optional<id3::Frame> sub = subFrames.next()) {
        if (sub->id == "TIT2" && !sub->truncated)
            chap.chapter.title = id3::textFrameValue(sub->content());
    }
    return chap;
}

// A table of contents: its element identifier, flags, the identifiers of its
// entries (chapters or nested tables).
struct TableOfContents {
    QByteArray element;
    bool topLevel = false;
    QList<QByteArray> entries;
};

std::optional<TableOfContents> tableFrom(const QByteArray& content)
{
    const qsizetype idEnd = content.indexOf('\0');
    if (idEnd < 0 || content.size() < idEnd + 3)
        return std::nullopt;
    TableOfContents toc;
    toc.element = content.first(idEnd);
    toc.topLevel = quint8(content[idEnd + 1]) & 0x02;
    int count = quint8(content[idEnd + 2]);
    qsizetype pos = idEnd + 3;
    while (count-- > 0 && pos < content.size()) {
        qsizetype end = content.indexOf('\0', pos);
        if (end < 0)
            end = content.size();
        toc.entries << content.sliced(pos, end - pos);
        pos = end + 1;
    }
    return toc;
}

// The chapters a table lists, nested tables expanded in place; each table is
// visited once, so a table that lists itself ends.
void collectListed(const TableOfContents& toc, const QList<TableOfContents>& tables,
                   QList<QByteArray>& visited, QList<QByteArray>& order)
{
    if (visited.contains(toc.element))
        return;
    visited << toc.element;
    for (const QByteArray& entry : toc.entries) {
        const auto nested = std::find_if(tables.begin(), tables.end(),
                                         [&](const auto& t) { return t.element == entry; });
        if (nested != tables.end())
            collectListed(*nested, tables, visited, order);
        else if (!order.contains(entry))
            order << entry;
    }
}

} // namespace

TagChapters ReadId3v2Chapters(QIODevice& file)
{
    const std::optional<QByteArray> tag = id3::readTagAtStart(file);
    if (!tag)
        return {};
    const std::optional<QByteArray> area = id3::frameArea(*tag);
    const int version = quint8(tag->at(3));
    if (!area || version < 3)
        return {};
    QList<ChapterFrame> chapters;
    QList<TableOfContents> tables;
    id3::FrameIterator frames(*area, version, quint8(tag->at(5)) & id3::kTagUnsynchronised);
    while (const std::optional<id3::Frame> frame = frames.next()) {
        if (frame->truncated)
            break;
        if (frame->id == "CHAP") {
            if (auto chap = chapterFrom(frame->content(), version))
                chapters << *chap;
        } else if (frame->id == "CTOC") {
            if (auto toc = tableFrom(frame->content()))
                tables << *toc;
        }
    }
    std::stable_sort(chapters.begin(), chapters.end(), [](const auto& a, const auto& b) {
        return a.chapter.startMs < b.chapter.startMs;
    });

    // The top-level table decides the order; without one, the first table.
    QList<QByteArray> order;
    if (!tables.isEmpty()) {
        const auto top =
            std::find_if(tables.begin(), tables.end(), [](const auto& t) { return t.topLevel; });
        QList<QByteArray> visited;
        collectListed(top != tables.end() ? *top : tables.first(), tables, visited, order);
    }
    TagChapters result;
    for (const QByteArray& element : order) {
        for (const ChapterFrame& c : chapters) {
            if (c.element == element) {
                result << c.chapter;
                break;
            }
        }
    }
    for (const ChapterFrame& c : chapters) {
        if (!order.contains(c.element))
            result << c.chapter;
    }
    return result;
}

TagChapters ReadId3v2Chapters(const QString& path)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadId3v2Chapters(file);
}

namespace {

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

QByteArray fieldFrame(TagField field, const QString& text, int version = 3)
{
    const auto f = std::find_if(std::begin(fieldFrames), std::end(fieldFrames),
                                [field](const FieldFrame& f) { return f.field == field; });
    const char* id = field == TagField::Year && version == 4 ? "TDRC" : f->id;
    return frame(id, field == TagField::Comment ? commentContent(text) : textContent(text),
                 version);
}

QByteArray buildTag(const QString& path, const TagFields& tags)
{
    QByteArray frames;
    for (const FieldFrame& f : fieldFrames)
        frames += fieldFrame(f.field, tags[f.field]);
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
    const QByteArray header = file.read(kTagHeaderSize);
    if (header.size() < kTagHeaderSize || !header.startsWith("ID3") || quint8(header[3]) == 0xff ||
        quint8(header[4]) == 0xff)
        return 0;
    for (int i = 6; i < 10; ++i) {
        if (quint8(header[i]) & 0x80)
            return 0;
    }
    const bool footer = quint8(header[3]) == 4 && (quint8(header[5]) & 0x10);
    const qint64 end =
        kTagHeaderSize + id3::syncsafe32(header.constData() + 6) + (footer ? kTagHeaderSize : 0);
    return end <= file.size() ? end : 0;
}

} // namespace

void WriteId3v2(const QString& path, const TagFields& tags)
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

bool isFrameId(QByteArrayView id)
{
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// A comment frame that holds the comment field rather than a described
// value (iTunes' normalisation data and the like): its description is empty.
// A frame that cannot be read (compressed, encrypted) counts as described.
bool isPlainComment(const id3::Frame& frame)
{
    if (!frame.readable())
        return false;
    const QByteArray content = frame.content();
    if (content.size() < 4)
        return false;
    const quint8 encoding = quint8(content[0]);
    if (!id3::isKnownEncoding(encoding))
        return true;
    QByteArrayView description = QByteArrayView(content).sliced(4);
    // UTF-16 texts may begin with a byte order mark, an empty one too.
    if (encoding == 1 && description.size() >= 2 &&
        (description.startsWith("\xff\xfe") || description.startsWith("\xfe\xff")))
        description = description.sliced(2);
    return id3::terminatorAt(description, id3::isWideEncoding(encoding)) == 0;
}

bool isReplaced(const id3::Frame& frame, int version, TagFieldSet which)
{
    if (which.testFlag(TagField::Comment) && frame.readable() && isUserText(frame.id) &&
        isUserComment(frame.content()))
        return true;
    const std::optional<TagField> field = fieldOf(frame.id, version);
    if (!field || !which.testFlag(*field))
        return false;
    return *field != TagField::Comment || isPlainComment(frame);
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
    existing.declaredSize = id3::syncsafe32(tag.constData() + 6);
    if (existing.version != 3 && existing.version != 4)
        cannotUpdate(
            path,
            QStringLiteral("tags of ID3 version 2.%1 cannot be updated").arg(existing.version));
    const std::optional<QByteArray> area =
        id3::frameArea(QByteArrayView(tag).first(kTagHeaderSize + existing.declaredSize));
    if (!area)
        cannotUpdate(path, QStringLiteral("its ID3 tag is damaged"));

    // Frames are kept as they are, up to the padding or to anything that is
    // no frame. The new header leaves the tag-wide unsynchronisation flag
    // out: version 2.3 frames are kept undone, and a version 2.4 frame whose
    // content stays unsynchronised gets its own flag.
    const bool unsynchronised = existing.flags & id3::kTagUnsynchronised;
    id3::FrameIterator frames(*area, existing.version, unsynchronised);
    while (const std::optional<id3::Frame> frame = frames.next()) {
        if (!isFrameId(frame->id) || frame->truncated)
            break;
        if (isReplaced(*frame, existing.version, which))
            continue;
        QByteArray kept = frame->stored.toByteArray();
        if (existing.version == 4 && unsynchronised)
            kept[9] = char(quint8(kept[9]) | 0x02);
        existing.frames += kept;
    }
    return existing;
}

} // namespace

void UpdateId3v2(const QString& path, const TagFields& values, TagFieldSet which)
{
    RegularFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        cannotUpdate(path, source.errorString());
    const ExistingTag existing = readExistingTag(source, path, which);

    QByteArray frames = existing.frames;
    for (const FieldFrame& f : fieldFrames) {
        const QString& text = values[f.field];
        if (which.testFlag(f.field) && !text.isEmpty())
            frames += fieldFrame(f.field, text, existing.version);
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
