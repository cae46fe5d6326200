#include "engine/WriteOutputTags.h"

#include "tags/Id3Tags.h"
#include "tags/OggComments.h"
#include "tags/WmaTags.h"

void WriteOutputTags(const QString& outputPath, const CarriedTags& tags)
{
    const qsizetype dot = outputPath.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : outputPath.mid(dot).toLower();
    if (extension == QLatin1String(".mp3")) {
        Mp3Tags mp3;
        mp3.title = tags.title;
        mp3.artist = tags.artist;
        mp3.album = tags.album;
        mp3.year = tags.year;
        mp3.genre = tags.genre;
        WriteId3v2(outputPath, mp3);
    } else if (extension == QLatin1String(".wma")) {
        WmaTags wma;
        wma.title = tags.title.left(WmaTags::textLength);
        wma.artist = tags.artist.left(WmaTags::textLength);
        wma.album = tags.album.left(WmaTags::textLength);
        wma.year = tags.year.left(WmaTags::textLength);
        wma.genre = tags.genre.left(WmaTags::genreLength);
        WriteWmaTags(outputPath, wma);
    } else if (extension == QLatin1String(".ogg")) {
        OggTags ogg;
        ogg.title = tags.title;
        ogg.artist = tags.artist;
        ogg.album = tags.album;
        ogg.date = tags.year;
        ogg.genre = tags.genre;
        WriteOggComments(outputPath, ogg);
    }
}
