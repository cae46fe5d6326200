#include "jobs/SourceTags.h"

#include "jobs/CleanFileName.h"
#include "tags/Id3Tags.h"
#include "tags/OggComments.h"
#include "tags/WmaTags.h"

#include <QFileInfo>

QString CleanTitle(const QString& title)
{
    const QString cleaned = CleanFileName(title);
    qsizetype first = 0;
    qsizetype last = cleaned.size();
    while (first < last && cleaned[first] <= QLatin1Char(' '))
        ++first;
    while (last > first && cleaned[last - 1] <= QLatin1Char(' '))
        --last;
    return cleaned.mid(first, last - first);
}

SourceTags ReadSourceTags(const QString& path, TitleReading reading)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    const bool clean = reading == TitleReading::Cleaned;
    SourceTags tags;
    if (ext == QLatin1String("wma")) {
        const WmaTags wma = ReadWmaTags(path);
        tags.info.title = wma.title;
        tags.info.artist = wma.artist;
        tags.info.album = wma.album;
        tags.info.comment = wma.comment;
        tags.info.genre = wma.genre;
        tags.title = clean ? CleanTitle(wma.title) : wma.title;
    } else if (ext == QLatin1String("ogg")) {
        const OggTags ogg = ReadOggComments(path);
        tags.title = clean ? CleanTitle(ogg.title) : ogg.title;
        tags.info.title = tags.title;
        tags.info.artist = ogg.artist;
        tags.info.album = ogg.album;
        tags.info.comment = ogg.comment;
        tags.info.genre = ogg.genre;
    } else if (ext == QLatin1String("mp3")) {
        const QString v1 = clean ? CleanTitle(ReadId3v1Title(path)) : QString();
        const Mp3Tags id3 = ReadId3v2(path);
        const QString v2 = clean ? CleanTitle(id3.title) : id3.title;
        tags.title = v2.isEmpty() ? v1 : v2;
        tags.info.title = v2;
        tags.info.artist = id3.artist;
        tags.info.album = id3.album;
        tags.info.comment = id3.comment;
        tags.info.genre = id3.genre;
    }
    return tags;
}
