// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagFields.h"

namespace {

const char* nameOf(TagField field)
{
    switch (field) {
    case TagField::Title:
        return "title";
    case TagField::Artist:
        return "artist";
    case TagField::Album:
        return "album";
    case TagField::Year:
        return "year";
    case TagField::Comment:
        return "comment";
    case TagField::Genre:
        return "genre";
    case TagField::Track:
        return "track";
    }
    return "";
}

} // namespace

QString tagFieldName(TagField field)
{
    return QLatin1String(nameOf(field));
}

std::optional<TagField> tagFieldNamed(QStringView name)
{
    for (const TagField field : allTagFields) {
        if (name.compare(QLatin1String(nameOf(field)), Qt::CaseInsensitive) == 0)
            return field;
    }
    return std::nullopt;
}

const QString& TagFields::operator[](TagField field) const
{
    switch (field) {
    case TagField::Title:
        return title;
    case TagField::Artist:
        return artist;
    case TagField::Album:
        return album;
    case TagField::Year:
        return year;
    case TagField::Comment:
        return comment;
    case TagField::Genre:
        return genre;
    case TagField::Track:
        break;
    }
    return track;
}

QString& TagFields::operator[](TagField field)
{
    return const_cast<QString&>(std::as_const(*this)[field]);
}

TrackText splitTrack(const QString& track)
{
    const qsizetype slash = track.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {track.trimmed(), {}};
    return {track.left(slash).trimmed(), track.mid(slash + 1).trimmed()};
}

QString joinTrack(const QString& number, const QString& total)
{
    return total.isEmpty() ? number : number + QLatin1Char('/') + total;
}
