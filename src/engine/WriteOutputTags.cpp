#include "engine/WriteOutputTags.h"

#include "tags/TagFile.h"

void WriteOutputTags(const QString& outputPath, const TagFields& tags)
{
    if (TagFile::formatOf(outputPath) == TagFile::Format::None)
        return;
    TagFile::writeNew(outputPath, tags);
}
