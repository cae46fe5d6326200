// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/Printers.h"
#include "tags/TagEditorModel.h"

#include <array>
#include <vector>

// A job list as the tag editor sees it: a caption and a tag record per row.
class SmallJobList : public tags::TagRecordList {
public:
    struct Row {
        QString caption;
        TagFields fields;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> rows;

    void add(const QString& caption, const QString& title, const QString& artist = {})
    {
        Row r{caption, {}};
        r.fields.title = title;
        r.fields.artist = artist;
        rows.push_back(r);
    }
    QString at(int row, TagField f) const { return rows.at(row).fields[f]; }

    int rowCount() const override { return static_cast<int>(rows.size()); }
    QString caption(int row) const override { return rows.at(row).caption; }
    QString field(int row, TagField f) const override { return at(row, f); }
    void setField(int row, TagField f, const QString& text) override
    {
        rows.at(row).fields[f] = text;
    }
    void setCaption(int row, const QString& caption) override { rows.at(row).caption = caption; }
};
