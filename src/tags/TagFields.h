// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// The tag fields every format shares, by one set of names.
enum class TagField : unsigned {
    Title = 0x01,
    Artist = 0x02,
    Album = 0x04,
    Year = 0x08,
    Comment = 0x10,
    Genre = 0x20,
    Track = 0x40,
};
Q_DECLARE_FLAGS(TagFieldSet, TagField)
Q_DECLARE_OPERATORS_FOR_FLAGS(TagFieldSet)

// Every field, in the order they are shown.
inline constexpr std::array<TagField, 7> allTagFields{
    TagField::Title,   TagField::Artist, TagField::Album, TagField::Year,
    TagField::Comment, TagField::Genre,  TagField::Track};
inline constexpr TagFieldSet everyTagField = TagFieldSet::fromInt(0x7f);

// The field's name in lower case: "title", "artist", "album", "year",
// "comment", "genre", "track".
QString tagFieldName(TagField field);
// The field of that name, in any case.
std::optional<TagField> tagFieldNamed(QStringView name);

// The tag record: the texts of a file's tag, the same for every format, from
// the readers through the job list and the tag editor to the writers. The year
// and the track are texts as the file holds them; the track may carry the
// total as "n/total" (a WMA track is a number and reads as its digits; Vorbis
// comments and WMA keep the total apart, and their readers join it in).
struct TagFields {
    // Each with its initializer, so that a record may name only the fields it
    // sets: TagFields{.title = t, .track = n}.
    QString title{};
    QString artist{};
    QString album{};
    QString year{};
    QString comment{};
    QString genre{};
    QString track{};

    QString& operator[](TagField field);
    const QString& operator[](TagField field) const;

    friend bool operator==(const TagFields&, const TagFields&) = default;
};

// A track text split at its first "/": "7/12" gives 7 and 12, "7" gives 7
// and no total. Both parts are trimmed.
struct TrackText {
    QString number;
    QString total;
};
TrackText splitTrack(const QString& track);
// "number/total", or the number alone without a total.
QString joinTrack(const QString& number, const QString& total);
