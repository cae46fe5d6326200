#include "tags/OggComments.h"

#include "tags/FileReplacement.h"
#include "tags/TagError.h"
#include "tags/TagText.h"
#include "tags/VorbisCommentEditor.h"

#include <QFile>
#include <algorithm>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        cannotOpen(path, file.errorString());
    return ReadOggComments(file, path);
}

bool WriteOggComments(const QString& path, const OggTags& tags)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        cannotOpen(path, source.errorString());
    std::unique_ptr<VorbisCommentEditor> editor;
    try {
        editor = std::make_unique<VorbisCommentEditor>(source);
    } catch (const VorbisEditError& e) {
        cannotOpen(path, e.message());
    }

    vorbis_comment* comments = editor->comments();
    vorbis_comment_clear(comments);
    vorbis_comment_init(comments);
    const std::pair<const char*, const QString*> fields[] = {
        {"Title=", &tags.title},    {"Artist=", &tags.artist},
        {"Album=", &tags.album},    {"TrackNumber=", &tags.trackNumber},
        {"Date=", &tags.date},      {"Genre=", &tags.genre},
        {"Comment=", &tags.comment}};
    for (const auto& [name, value] : fields) {
        if (!value->isEmpty())
            vorbis_comment_add(comments, (QByteArray(name) + value->toUtf8()).constData());
    }

    try {
        FileReplacement replacement(path);
        editor->write(replacement.file());
        source.close();
        replacement.commit();
    } catch (const VorbisEditError& e) {
        throw TagError(QStringLiteral("Cannot write comments: %1: %2").arg(path, e.message()));
    } catch (const TagError& e) {
        throw TagError(QStringLiteral("Cannot write comments: %1").arg(e.message()));
    }
    return true;
}
