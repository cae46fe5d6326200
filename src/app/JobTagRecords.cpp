// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/JobTagRecords.h"

#include "jobs/JobList.h"

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
    return m_list.info(row)[field];
}

void JobTagRecords::setField(int row, TagField field, const QString& text)
{
    m_list.info(row)[field] = text;
}

void JobTagRecords::setCaption(int row, const QString& caption)
{
    m_list.setCaption(row, caption);
}
