// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/TagFields.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace tags {

// The fields of a tag record that the tag editor edits, in its order.
inline constexpr std::array<TagField, 6> kEditorFields{TagField::Title, TagField::Artist,
                                                       TagField::Album, TagField::Year,
                                                       TagField::Genre, TagField::Comment};

// The rows the tag editor edits: one caption and one tag record per row of
// the job list, in row order.
class TagRecordList {
public:
    virtual ~TagRecordList() = default;
    virtual int rowCount() const = 0;
    virtual QString caption(int row) const = 0;
    virtual QString field(int row, TagField field) const = 0;
    virtual void setField(int row, TagField field, const QString& text) = 0;
    virtual void setCaption(int row, const QString& caption) = 0;
};

// What the tag editor decides, without any widget: the rows of its file list,
// the working copy of the tag records, the field texts, and what showing,
// selecting, editing, "All", Reset, Ok and closing do with them.
class TagEditorModel {
public:
    // The ID3 genres with the common extensions, in their standard order,
    // spelled as the drop-down shows them.
    static const QStringList& Genres();

    // Showing the dialog over the job list's rows.
    void FormShow(const TagRecordList& list);
    // A click in the file list; -1 for a click beside the rows.
    void lv_id3Click(int row);
    // Any change of a field's text, and leaving a field.
    void setField(TagField field, const QString& text);
    void fieldExit(TagField field);
    // "All": the field's text into that field of every listed file.
    void AllClick(TagField field);
    // Reset: the rows and the working copy taken again from the job list.
    void Button7Click(const TagRecordList& list);
    // Ok: the working copy becomes the tag records; the titles become the
    // captions of the job list's rows. The dialog then closes.
    void btn_okClick(TagRecordList& list);
    // Closing by any means, Cancel included.
    void FormCloseQuery();

    const QStringList& rows() const { return m_rows; }
    int selectedRow() const { return m_selected; }
    int columnWidth() const { return m_rows.size() < 20 ? 143 : 127; }
    QString fieldText(TagField field) const { return m_fields[field]; }
    QString copyField(int row, TagField field) const;
    const QStringList& genreItems() const { return m_genreItems; }

private:
    void takeRows(const TagRecordList& list);
    // The selected file into the fields; showing counts as a change.
    void showSelected(bool titleFromCaption);

    QStringList m_rows;
    int m_selected = -1;
    std::vector<TagFields> m_copy;
    TagFields m_fields;
    QStringList m_genreItems;
};

} // namespace tags
