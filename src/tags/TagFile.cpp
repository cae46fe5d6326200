#include "tags/TagFile.h"

#include "base/RegularFile.h"
#include "tags/Id3Tags.h"
#include "tags/OggComments.h"
#include "tags/TagError.h"
#include "tags/WmaTags.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A file that cannot be opened is an error for every format, also for those
// whose readers would quietly give empty fields.
void requireReadable(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw TagError(QStringLiteral("Cannot open %1: no such file").arg(path));
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TagError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
}

[[noreturn]] void cannotWrite(const QString& path, const QString& cause)
{
    throw TagError(QStringLiteral("Cannot write tags: %1: %2").arg(path, cause));
}

Mp3Tags mp3Tags(const TagFields& f)
{
    return {f.title, f.artist, f.album, f.year, f.track, f.comment, f.genre};
}

OggTags oggTags(const TagFields& f)
{
    return {f.album, f.title, f.artist, f.comment, f.genre, f.year, f.track};
}

WmaTags wmaTags(const QString& path, const TagFields& f)
{
    bool ok = true;
    const uint number = f.track.isEmpty() ? 0 : f.track.toUInt(&ok);
    if (!ok || number > 0xffff)
        cannotWrite(path, QStringLiteral("the track must be a number from 0 to 65535"));
    WmaTags t;
    t.title = f.title;
    t.artist = f.artist;
    t.album = f.album;
    t.year = f.year;
    t.comment = f.comment;
    t.genre = f.genre;
    t.trackNumber = quint16(number);
    return t;
}

void writeWma(const QString& path, const WmaTags& tags)
{
    if (!WriteWmaTags(path, tags))
        cannotWrite(path, QStringLiteral("no Windows Media (ASF) header found"));
}

} // namespace

TagFile::Format TagFile::formatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp3"))
        return Format::Mp3;
    if (suffix == QLatin1String("ogg"))
        return Format::Ogg;
    if (suffix == QLatin1String("wma"))
        return Format::Wma;
    return Format::None;
}

TagFields TagFile::read(const QString& path)
{
    requireReadable(path);
    switch (formatOf(path)) {
    case Format::Mp3: {
        const Mp3Tags t = ReadId3v2(path);
        return {t.title, t.artist, t.album, t.year, t.comment, t.genre, t.track};
    }
    case Format::Ogg: {
        const OggTags t = ReadOggComments(path);
        return {t.title, t.artist, t.album, t.date, t.comment, t.genre, t.trackNumber};
    }
    case Format::Wma: {
        const WmaTags t = ReadWmaTags(path);
        const QString track = t.trackNumber ? QString::number(t.trackNumber) : QString();
        return {t.title, t.artist, t.album, t.year, t.comment, t.genre, track};
    }
    case Format::None:
        break;
    }
    return {};
}

void TagFile::write(const QString& path, const TagFields& fields, TagFieldSet which)
{
    requireReadable(path);
    switch (formatOf(path)) {
    case Format::Mp3:
        UpdateId3v2(path, mp3Tags(fields), which);
        return;
    case Format::Ogg:
        UpdateOggComments(path, oggTags(fields), which);
        return;
    case Format::Wma: {
        // The track is checked only when it is written.
        TagFields checked = fields;
        if (!which.testFlag(TagField::Track))
            checked.track.clear();
        if (!UpdateWmaTags(path, wmaTags(path, checked), which))
            cannotWrite(path, QStringLiteral("no Windows Media (ASF) header found"));
        return;
    }
    case Format::None:
        break;
    }
    cannotWrite(path, QStringLiteral("only MP3, Ogg and WMA files carry tags"));
}

void TagFile::writeNew(const QString& path, const TagFields& fields)
{
    requireReadable(path);
    switch (formatOf(path)) {
    case Format::Mp3:
        WriteId3v2(path, mp3Tags(fields));
        return;
    case Format::Ogg:
        WriteOggComments(path, oggTags(fields));
        return;
    case Format::Wma:
        writeWma(path, wmaTags(path, fields));
        return;
    case Format::None:
        break;
    }
    cannotWrite(path, QStringLiteral("only MP3, Ogg and WMA files carry tags"));
}
