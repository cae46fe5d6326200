#include "app/JobTagRecords.h"

#include "jobs/JobList.h"

namespace {

QString AudioFileinfo::*member(tags::TagField field)
{
    switch (field) {
    case tags::TagField::Title:
        return &AudioFileinfo::title;
    case tags::TagField::Artist:
        return &AudioFileinfo::artist;
    case tags::TagField::Album:
        return &AudioFileinfo::album;
    case tags::TagField::Year:
        return &AudioFileinfo::year;
    case tags::TagField::Genre:
        return &AudioFileinfo::genre;
    case tags::TagField::Comment:
        return &AudioFileinfo::comment;
    }
    return &AudioFileinfo::title;
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

QString JobTagRecords::field(int row, tags::TagField field) const
{
    return m_list.info(row).*member(field);
}

void JobTagRecords::setField(int row, tags::TagField field, const QString& text)
{
    m_list.info(row).*member(field) = text;
}

void JobTagRecords::setCaption(int row, const QString& caption)
{
    m_list.setCaption(row, caption);
}
