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

// The texts of a file's tag. The year and the track are texts as the file
// holds them (a WMA track is a number and reads as its decimal digits).
struct TagFields {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    QString genre;
    QString track;

    QString& operator[](TagField field);
    const QString& operator[](TagField field) const;

    friend bool operator==(const TagFields&, const TagFields&) = default;
};
