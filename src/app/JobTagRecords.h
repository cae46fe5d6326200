// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/TagEditorModel.h"

class JobList;

// The job list's captions and tag records as the tag editor edits them.
class JobTagRecords : public tags::TagRecordList {
public:
    explicit JobTagRecords(JobList& list) : m_list(list) {}

    int rowCount() const override;
    QString caption(int row) const override;
    QString field(int row, TagField field) const override;
    void setField(int row, TagField field, const QString& text) override;
    void setCaption(int row, const QString& caption) override;

private:
    JobList& m_list;
};
