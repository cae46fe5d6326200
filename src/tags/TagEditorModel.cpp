// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagEditorModel.h"

namespace tags {

const QStringList& TagEditorModel::Genres()
{
    // Some names have their own spellings ("Native US", "Christian Gangsta",
    // "Contemporary C"); a genre is stored as the text shown.
    static const QStringList genres = {"Blues",
                                       "Classic Rock",
                                       "Country",
                                       "Dance",
                                       "Disco",
                                       "Funk",
                                       "Grunge",
                                       "Hip-Hop",
                                       "Jazz",
                                       "Metal",
                                       "New Age",
                                       "Oldies",
                                       "Other",
                                       "Pop",
                                       "R&B",
                                       "Rap",
                                       "Reggae",
                                       "Rock",
                                       "Techno",
                                       "Industrial",
                                       "Alternative",
                                       "Ska",
                                       "Death Metal",
                                       "Pranks",
                                       "Soundtrack",
                                       "Euro-Techno",
                                       "Ambient",
                                       "Trip-Hop",
                                       "Vocal",
                                       "Jazz+Funk",
                                       "Fusion",
                                       "Trance",
                                       "Classical",
                                       "Instrumental",
                                       "Acid",
                                       "House",
                                       "Game",
                                       "Sound Clip",
                                       "Gospel",
                                       "Noise",
                                       "Alternative Rock",
                                       "Bass",
                                       "Soul",
                                       "Punk",
                                       "Space",
                                       "Meditative",
                                       "Instrumental Pop",
                                       "Instrumental Rock",
                                       "Ethnic",
                                       "Gothic",
                                       "Darkwave",
                                       "Techno-Industrial",
                                       "Electronic",
                                       "Pop-Folk",
                                       "Eurodance",
                                       "Dream",
                                       "Southern Rock",
                                       "Comedy",
                                       "Cult",
                                       "Gangsta",
                                       "Top 40",
                                       "Christian Rap",
                                       "Pop/Funk",
                                       "Jungle",
                                       "Native US",
                                       "Cabaret",
                                       "New Wave",
                                       "Psychedelic",
                                       "Rave",
                                       "Showtunes",
                                       "Trailer",
                                       "Lo-Fi",
                                       "Tribal",
                                       "Acid Punk",
                                       "Acid Jazz",
                                       "Polka",
                                       "Retro",
                                       "Musical",
                                       "Rock & Roll",
                                       "Hard Rock",
                                       "Folk",
                                       "Folk-Rock",
                                       "National Folk",
                                       "Swing",
                                       "Fast Fusion",
                                       "Bebop",
                                       "Latin",
                                       "Revival",
                                       "Celtic",
                                       "Bluegrass",
                                       "Avant-garde",
                                       "Gothic Rock",
                                       "Progressive Rock",
                                       "Psychedelic Rock",
                                       "Symphonic Rock",
                                       "Slow Rock",
                                       "Big Band",
                                       "Chorus",
                                       "Easy Listening",
                                       "Acoustic",
                                       "Humor",
                                       "Speech",
                                       "Chanson",
                                       "Opera",
                                       "Chamber Music",
                                       "Sonata",
                                       "Symphony",
                                       "Booty Bass",
                                       "Primus",
                                       "Porn Groove",
                                       "Satire",
                                       "Slow Jam",
                                       "Club",
                                       "Tango",
                                       "Samba",
                                       "Folklore",
                                       "Ballad",
                                       "Power Ballad",
                                       "Rhythmic Soul",
                                       "Freestyle",
                                       "Duet",
                                       "Punk Rock",
                                       "Drum Solo",
                                       "A capella",
                                       "Euro-House",
                                       "Dance Hall",
                                       "Goa",
                                       "Drum & Bass",
                                       "Club-House",
                                       "Hardcore",
                                       "Terror",
                                       "Indie",
                                       "Britpop",
                                       "Negerpunk",
                                       "Polsk Punk",
                                       "Beat",
                                       "Christian Gangsta",
                                       "Heavy Metal",
                                       "Black Metal",
                                       "Crossover",
                                       "Contemporary C",
                                       "Christian Rock",
                                       "Merengue",
                                       "Salsa",
                                       "Thrash Metal",
                                       "Anime",
                                       "JPop",
                                       "SynthPop"};
    return genres;
}

QString TagEditorModel::copyField(int row, TagField field) const
{
    if (row < 0 || row >= static_cast<int>(m_copy.size()))
        return {};
    return m_copy[row][field];
}

void TagEditorModel::takeRows(const TagRecordList& list)
{
    m_rows.clear();
    m_copy.clear();
    m_selected = -1;
    const int count = list.rowCount();
    if (count == 0)
        return;
    for (int row = 0; row < count; ++row) {
        m_rows << list.caption(row);
        TagFields record;
        for (TagField f : kEditorFields)
            record[f] = list.field(row, f);
        m_copy.push_back(record);
    }
    m_selected = 0;
}

void TagEditorModel::FormShow(const TagRecordList& list)
{
    if (m_genreItems.isEmpty())
        m_genreItems = Genres();
    takeRows(list);
    if (m_selected >= 0)
        showSelected(true);
}

void TagEditorModel::showSelected(bool titleFromCaption)
{
    m_fields = m_copy[m_selected];
    if (titleFromCaption)
        m_fields.title = m_rows.at(m_selected);
    // The fields' change handlers store what was shown, so a file without a
    // title gets the caption it is listed under.
    m_copy[m_selected] = m_fields;
}

void TagEditorModel::lv_id3Click(int row)
{
    if (m_rows.isEmpty())
        return;
    m_selected = row >= 0 && row < m_rows.size() ? row : 0;
    showSelected(false);
}

void TagEditorModel::setField(TagField field, const QString& text)
{
    m_fields[field] = text;
    if (m_selected >= 0)
        m_copy[m_selected][field] = text;
}

void TagEditorModel::fieldExit(TagField field)
{
    setField(field, m_fields[field]);
    if (field == TagField::Title && m_selected >= 0)
        m_rows[m_selected] = m_fields.title;
}

void TagEditorModel::AllClick(TagField field)
{
    for (TagFields& record : m_copy)
        record[field] = m_fields[field];
}

void TagEditorModel::Button7Click(const TagRecordList& list)
{
    takeRows(list);
    if (m_selected >= 0)
        showSelected(true);
}

void TagEditorModel::btn_okClick(TagRecordList& list)
{
    // The job list cannot change while the dialog is open; should it have,
    // only the rows both still have are stored, so no record lands on
    // another file.
    const int rows = std::min(static_cast<int>(m_copy.size()), list.rowCount());
    for (int row = 0; row < rows; ++row) {
        for (TagField f : kEditorFields)
            list.setField(row, f, m_copy[row][f]);
        const QString& title = m_copy[row].title;
        if (!title.isEmpty())
            list.setCaption(row, title);
    }
    FormCloseQuery();
}

void TagEditorModel::FormCloseQuery()
{
    m_rows.clear();
    m_copy.clear();
    m_selected = -1;
}

} // namespace tags
