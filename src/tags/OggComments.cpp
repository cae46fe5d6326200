#include "tags/OggComments.h"

#include "base/RegularFile.h"
#include "base/SafeFile.h"
#include "tags/TagError.h"
#include "tags/TagText.h"
#include "tags/VorbisCommentEditor.h"

#include <QFile>
#include <QList>
#include <algorithm>
#include <cstring>

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

QString* fieldFor(OggTags& tags, QByteArrayView name)
{
    const QByteArray lower = name.toByteArray().toLower();
    if (lower == "album")
        return &tags.album;
    if (lower == "title")
        return &tags.title;
    if (lower == "artist")
        return &tags.artist;
    if (lower == "comment")
        return &tags.comment;
    if (lower == "genre")
        return &tags.genre;
    if (lower == "date")
        return &tags.date;
    if (lower == "tracknumber")
        return &tags.trackNumber;
    return nullptr;
}

OggTags tagsFrom(const vorbis_comment& comments)
{
    OggTags tags;
    for (int i = 0; i < comments.comments; ++i) {
        const QByteArrayView comment(comments.user_comments[i], comments.comment_lengths[i]);
        const qsizetype equals = comment.indexOf('=');
        if (equals < 0 || !isCommentName(comment.first(equals)))
            continue;
        if (QString* field = fieldFor(tags, comment.first(equals)))
            *field = QString::fromUtf8(comment.sliced(equals + 1));
    }
    for (QString* field : {&tags.album, &tags.title, &tags.artist, &tags.comment, &tags.genre,
                           &tags.date, &tags.trackNumber})
        *field = trimTagText(*field);
    return tags;
}

[[noreturn]] void cannotOpen(const QString& path, const QString& cause)
{
    throw TagError(QStringLiteral("Cannot open %1: %2").arg(path, cause));
}

} // namespace

OggTags ReadOggComments(QIODevice& file, const QString& path)
{
    try {
        VorbisCommentEditor editor(file);
        return tagsFrom(*editor.comments());
    } catch (const VorbisEditError& e) {
        cannotOpen(path, e.message());
    }
}

OggTags ReadOggComments(const QString& path)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        cannotOpen(path, file.errorString());
    return ReadOggComments(file, path);
}

namespace {

// The comment names the writer gives each field, in its order, and the
// field's place in the buffer.
struct CommentName {
    TagField field;
    const char* name;
    QString OggTags::*value;
};
const CommentName commentNames[] = {
    {TagField::Title, "Title", &OggTags::title},
    {TagField::Artist, "Artist", &OggTags::artist},
    {TagField::Album, "Album", &OggTags::album},
    {TagField::Track, "TrackNumber", &OggTags::trackNumber},
    {TagField::Year, "Date", &OggTags::date},
    {TagField::Genre, "Genre", &OggTags::genre},
    {TagField::Comment, "Comment", &OggTags::comment},
};

// Writes the file again with the comment list that `edit` leaves in the
// editor's list (given the comments as they were).
template <typename Edit> bool rewriteComments(const QString& path, Edit edit)
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
    return true;
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

} // namespace

bool WriteOggComments(const QString& path, const OggTags& tags)
{
    return rewriteComments(path, [&tags](vorbis_comment* comments, const QList<QByteArray>&) {
        for (const CommentName& c : commentNames) {
            if (!(tags.*c.value).isEmpty())
                addComment(comments, c.name, tags.*c.value);
        }
    });
}

bool UpdateOggComments(const QString& path, const OggTags& values, TagFieldSet which)
{
    return rewriteComments(path, [&](vorbis_comment* comments, const QList<QByteArray>& old) {
        // A comment stays unless its name is one the reader takes for a
        // field being set; a comment without a valid name always stays.
        for (const QByteArray& comment : old) {
            const qsizetype equals = comment.indexOf('=');
            const QByteArrayView name =
                QByteArrayView(comment).first(std::max<qsizetype>(equals, 0));
            const bool replaced =
                equals >= 0 && isCommentName(name) &&
                std::any_of(
                    std::begin(commentNames), std::end(commentNames), [&](const CommentName& c) {
                        return which.testFlag(c.field) &&
                               name.compare(QByteArrayView(c.name), Qt::CaseInsensitive) == 0;
                    });
            if (!replaced)
                addRawComment(comments, comment);
        }
        for (const CommentName& c : commentNames) {
            if (which.testFlag(c.field) && !(values.*c.value).isEmpty())
                addComment(comments, c.name, values.*c.value);
        }
    });
}
