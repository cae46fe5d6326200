// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/WriteOutputTags.h"

#include "tags/TagFile.h"

void WriteOutputTags(const QString& outputPath, const TagFields& tags)
{
    if (TagFile::formatOf(outputPath) == TagFile::Format::None)
        return;
    TagFile::writeNew(outputPath, tags);
}
