// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/SourceTags.h"

#include "jobs/CleanFileName.h"
#include "tags/Id3Tags.h"
#include "tags/TagFile.h"

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

TagFields ReadSourceTags(const QString& path, TitleReading reading)
{
    const TagFile::Format format = TagFile::formatOf(path);
    if (format == TagFile::Format::None)
        return {};
    TagFields tags = TagFile::read(path);
    tags.track.clear();
    if (reading == TitleReading::Cleaned && format != TagFile::Format::Wma)
        tags.title = CleanTitle(tags.title);
    return tags;
}

QString SourceCaption(const QString& path, const TagFields& tags, TitleReading reading)
{
    if (reading == TitleReading::AsRead)
        return tags.title;
    switch (TagFile::formatOf(path)) {
    case TagFile::Format::Wma:
        return CleanTitle(tags.title);
    case TagFile::Format::Mp3:
        return tags.title.isEmpty() ? CleanTitle(ReadId3v1Title(path)) : tags.title;
    case TagFile::Format::Ogg:
        return tags.title;
    case TagFile::Format::None:
        break;
    }
    return {};
}
