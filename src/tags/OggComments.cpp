// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/OggComments.h"

#include "base/RegularFile.h"
#include "base/SafeFile.h"
#include "tags/TagError.h"
#include "tags/TagText.h"
#include "tags/VorbisCommentEditor.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace {

// A name is made of printable ASCII without "="; anything else before the
// first "=" makes the whole comment a value without a name.
bool isCommentName(QByteArrayView name)
{
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = quint8(c);
        return (u >= 0x20 && u <= 0x3c) || (u >= 0x3e && u <= 0x7d);
    });
}

// The names the writer gives each field, in its order; the reader takes
// them in any case.
struct CommentName {
    TagField field;
    const char* name;
};
const CommentName commentNames[] = {
    {TagField::Title, "Title"},       {TagField::Artist, "Artist"}, {TagField::Album, "Album"},
    {TagField::Track, "TrackNumber"}, {TagField::Year, "Date"},     {TagField::Genre, "Genre"},
    {TagField::Comment, "Comment"},
};
// The comment's other name, the one the Vorbis comment format lists
// and ffmpeg writes: read when there is no "comment".
const char* const descriptionName = "Description";
// Where the number of tracks goes: the first name is written, both are read.
const char* const trackTotalNames[] = {"TrackTotal", "TotalTracks"};

bool isNamed(QByteArrayView name, const char* wanted)
{
    return name.compare(QByteArrayView(wanted), Qt::CaseInsensitive) == 0;
}

bool isTrackTotal(QByteArrayView name)
{
    return std::any_of(std::begin(trackTotalNames), std::end(trackTotalNames),
                       [name](const char* n) { return isNamed(name, n); });
}

// A comment split into its name and value; no name when the comment has no
// "=" or what stands before it is not a name.
struct Comment {
    std::optional<QByteArrayView> name;
    QByteArrayView value;
};

Comment split(QByteArrayView comment)
{
    const qsizetype equals = comment.indexOf('=');
    if (equals < 0 || !isCommentName(comment.first(equals)))
        return {std::nullopt, comment};
    return {comment.first(equals), comment.sliced(equals + 1)};
}

QList<QByteArrayView> commentsOf(const vorbis_comment& comments)
{
    QList<QByteArrayView> list;
    for (int i = 0; i < comments.comments; ++i)
        list << QByteArrayView(comments.user_comments[i], comments.comment_lengths[i]);
    return list;
}

TagFields tagsFrom(const vorbis_comment& comments)
{
    TagFields tags;
    QString total;
    QString description;
    for (const QByteArrayView comment : commentsOf(comments)) {
        const auto [name, value] = split(comment);
        if (!name)
            continue;
        if (isTrackTotal(*name))
            total = trimTagText(QString::fromUtf8(value));
        if (isNamed(*name, descriptionName))
            description = trimTagText(QString::fromUtf8(value));
        for (const CommentName& c : commentNames) {
            if (isNamed(*name, c.name))
                tags[c.field] = QString::fromUtf8(value);
        }
    }
    for (const TagField field : allTagFields)
        tags[field] = trimTagText(tags[field]);
    if (tags.comment.isEmpty())
        tags.comment = description;
    if (!tags.track.isEmpty() && !tags.track.contains(QLatin1Char('/')))
        tags.track = joinTrack(tags.track, total);
    return tags;
}

// "HH:MM:SS" with a fraction of a second, in milliseconds (the fraction
// rounded to them); hours may have any number of digits.
std::optional<int64_t> chapterTime(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{1,9}):([0-5]\d):([0-5]\d)(?:[.,](\d+))?\s*$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString fraction = m.captured(4) + QStringLiteral("0000");
    const int64_t ms = fraction.left(3).toLongLong() + (fraction.at(3) >= QLatin1Char('5') ? 1 : 0);
    return ((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 60 +
            m.captured(3).toLongLong()) *
               1000 +
           ms;
}

// A chapter comment's number (digits without leading zeros, "0" for zero)
// and whether the comment names the chapter rather than timing it.
struct ChapterKey {
    QByteArray number;
    bool isName = false;
};

std::optional<ChapterKey> chapterKey(QByteArrayView name)
{
    constexpr QByteArrayView prefix("CHAPTER");
    if (name.size() <= prefix.size() || !isNamed(name.first(prefix.size()), "CHAPTER"))
        return std::nullopt;
    QByteArrayView rest = name.sliced(prefix.size());
    qsizetype digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    if (digits == 0)
        return std::nullopt;
    ChapterKey key;
    const QByteArrayView suffix = rest.sliced(digits);
    key.isName = isNamed(suffix, "NAME");
    if (!suffix.isEmpty() && !key.isName)
        return std::nullopt; // CHAPTERnnnURL and the like
    QByteArrayView number = rest.first(digits);
    while (number.size() > 1 && number[0] == '0')
        number = number.sliced(1);
    key.number = number.toByteArray();
    return key;
}

TagChapters chaptersFrom(const vorbis_comment& comments)
{
    // By number, compared as digits: the shorter is the smaller.
    struct Numbered {
        QString time;
        QString title;
    };
    std::map<std::pair<qsizetype, QByteArray>, Numbered> numbered;
    for (const QByteArrayView comment : commentsOf(comments)) {
        const auto [name, value] = split(comment);
        const std::optional<ChapterKey> key = name ? chapterKey(*name) : std::nullopt;
        if (!key)
            continue;
        Numbered& entry = numbered[{key->number.size(), key->number}];
        (key->isName ? entry.title : entry.time) = QString::fromUtf8(value);
    }
    TagChapters chapters;
    for (const auto& [number, entry] : numbered) {
        if (const std::optional<int64_t> start = chapterTime(entry.time))
            chapters << TagChapter{*start, std::nullopt, trimTagText(entry.title)};
    }
    return chapters;
}

[[noreturn]] void cannotOpen(const QString& path, const QString& cause)
{
    throw TagError(QStringLiteral("Cannot open %1: %2").arg(path, cause));
}

} // namespace

namespace {

// Runs `read` on the comments of the file's first Vorbis stream.
template <typename Read> auto readComments(QIODevice& file, const QString& path, Read read)
{
    try {
        VorbisCommentEditor editor(file);
        return read(*editor.comments());
    } catch (const VorbisEditError& e) {
        cannotOpen(path, e.message());
    }
}

template <typename Read> auto readComments(const QString& path, Read read)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        cannotOpen(path, file.errorString());
    return readComments(file, path, read);
}

} // namespace

TagFields ReadOggComments(QIODevice& file, const QString& path)
{
    return readComments(file, path, tagsFrom);
}

TagFields ReadOggComments(const QString& path)
{
    return readComments(path, tagsFrom);
}

TagChapters ReadOggChapters(QIODevice& file, const QString& path)
{
    return readComments(file, path, chaptersFrom);
}

TagChapters ReadOggChapters(const QString& path)
{
    return readComments(path, chaptersFrom);
}

namespace {

// Writes the file again with the comment list that `edit` leaves in the
// editor's list (given the comments as they were).
template <typename Edit> void rewriteComments(const QString& path, Edit edit)
{
    RegularFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        cannotOpen(path, source.errorString());
    std::unique_ptr<VorbisCommentEditor> editor;
    try {
        editor = std::make_unique<VorbisCommentEditor>(source);
    } catch (const VorbisEditError& e) {
        cannotOpen(path, e.message());
    }

    vorbis_comment* comments = editor->comments();
    QList<QByteArray> old;
    for (int i = 0; i < comments->comments; ++i)
        old << QByteArray(comments->user_comments[i], comments->comment_lengths[i]);
    vorbis_comment_clear(comments);
    vorbis_comment_init(comments);
    edit(comments, old);

    try {
        SafeFile replacement(path, SafeFile::Target::Existing);
        editor->write(replacement.device());
        source.close();
        replacement.commit();
    } catch (const VorbisEditError& e) {
        throw TagError(QStringLiteral("Cannot write comments: %1: %2").arg(path, e.message()));
    } catch (const SafeFileError& e) {
        throw TagError(QStringLiteral("Cannot write comments: %1: %2").arg(path, e.cause()));
    }
}

void addComment(vorbis_comment* comments, const char* name, const QString& value)
{
    vorbis_comment_add(comments, (QByteArray(name) + '=' + value.toUtf8()).constData());
}

// Adds a comment as it was read, bytes after a zero byte included.
void addRawComment(vorbis_comment* comments, const QByteArray& comment)
{
    vorbis_comment_add(comments, "");
    const int last = comments->comments - 1;
    auto* copy = static_cast<char*>(_ogg_malloc(size_t(comment.size()) + 1));
    std::memcpy(copy, comment.constData(), size_t(comment.size()));
    copy[comment.size()] = '\0';
    _ogg_free(comments->user_comments[last]);
    comments->user_comments[last] = copy;
    comments->comment_lengths[last] = int(comment.size());
}

// Adds the comments of the fields in `which` that have a value, in the
// writer's order; a track "n/total" becomes two comments.
void addFields(vorbis_comment* comments, const TagFields& values, TagFieldSet which)
{
    for (const CommentName& c : commentNames) {
        if (!which.testFlag(c.field) || values[c.field].isEmpty())
            continue;
        if (c.field != TagField::Track) {
            addComment(comments, c.name, values[c.field]);
            continue;
        }
        const TrackText track = splitTrack(values.track);
        if (!track.number.isEmpty())
            addComment(comments, c.name, track.number);
        if (!track.total.isEmpty())
            addComment(comments, trackTotalNames[0], track.total);
    }
}

// Whether the reader takes a comment of this name for one of the fields.
bool namesField(QByteArrayView name, TagFieldSet fields)
{
    if (fields.testFlag(TagField::Track) && isTrackTotal(name))
        return true;
    if (fields.testFlag(TagField::Comment) && isNamed(name, descriptionName))
        return true;
    return std::any_of(std::begin(commentNames), std::end(commentNames), [&](const CommentName& c) {
        return fields.testFlag(c.field) && isNamed(name, c.name);
    });
}

} // namespace

void WriteOggComments(const QString& path, const TagFields& tags)
{
    rewriteComments(path, [&tags](vorbis_comment* comments, const QList<QByteArray>&) {
        addFields(comments, tags, everyTagField);
    });
}

void UpdateOggComments(const QString& path, const TagFields& values, TagFieldSet which)
{
    rewriteComments(path, [&](vorbis_comment* comments, const QList<QByteArray>& old) {
        // A comment stays unless its name is one the reader takes for a
        // field being set; a comment without a valid name always stays.
        for (const QByteArray& comment : old) {
            const std::optional<QByteArrayView> name = split(comment).name;
            if (!name || !namesField(*name, which))
                addRawComment(comments, comment);
        }
        addFields(comments, values, which);
    });
}
