#include "app/JobTagRecords.h"

#include "jobs/JobList.h"

namespace {

// The record has no track; the editor never asks for one.
QString AudioFileinfo::*member(TagField field)
{
    switch (field) {
    case TagField::Title:
        return &AudioFileinfo::title;
    case TagField::Artist:
        return &AudioFileinfo::artist;
    case TagField::Album:
        return &AudioFileinfo::album;
    case TagField::Year:
        return &AudioFileinfo::year;
    case TagField::Genre:
        return &AudioFileinfo::genre;
    case TagField::Comment:
        return &AudioFileinfo::comment;
    case TagField::Track:
        break;
    }
    return nullptr;
}

} // namespace

int JobTagRecords::rowCount() const
{
    return m_list.count();
}

QString JobTagRecords::caption(int row) const
{
    return m_list.caption(row);
}

QString JobTagRecords::field(int row, TagField field) const
{
    const auto m = member(field);
    return m ? m_list.info(row).*m : QString();
}

void JobTagRecords::setField(int row, TagField field, const QString& text)
{
    if (const auto m = member(field))
        m_list.info(row).*m = text;
}

void JobTagRecords::setCaption(int row, const QString& caption)
{
    m_list.setCaption(row, caption);
}
