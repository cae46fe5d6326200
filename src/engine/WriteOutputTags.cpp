#include "engine/WriteOutputTags.h"

#include "tags/TagFile.h"

void WriteOutputTags(const QString& outputPath, const CarriedTags& tags)
{
    if (TagFile::formatOf(outputPath) == TagFile::Format::None)
        return;
    TagFields fields;
    fields.title = tags.title;
    fields.artist = tags.artist;
    fields.album = tags.album;
    fields.year = tags.year;
    fields.genre = tags.genre;
    TagFile::writeNew(outputPath, fields);
}
