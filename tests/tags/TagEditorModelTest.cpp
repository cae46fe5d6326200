// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagEditorModel.h"
#include "tags/SmallJobList.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace tags;

namespace {

using Rows = SmallJobList;

class TagEditor : public ::testing::Test {
protected:
    Rows list;
    TagEditorModel model;

    void SetUp() override
    {
        list.add("Intro", "Intro", "Band");
        list.add("track02.mp3", "", "Band");
        list.add("Ünïcode ☃", "Ünïcode ☃", "Ärtist");
    }
};

} // namespace

TEST(Genres, AreTheStandardListWithItsOwnSpellings)
{
    const QStringList& g = TagEditorModel::Genres();
    ASSERT_EQ(g.size(), 148);
    EXPECT_EQ(QSet<QString>(g.begin(), g.end()).size(), 148);
    EXPECT_EQ(g.at(0), "Blues");
    EXPECT_EQ(g.at(12), "Other");
    EXPECT_EQ(g.at(17), "Rock");
    EXPECT_EQ(g.at(64), "Native US");
    EXPECT_EQ(g.at(79), "Hard Rock");
    EXPECT_EQ(g.at(125), "Dance Hall");
    EXPECT_EQ(g.at(136), "Christian Gangsta");
    EXPECT_EQ(g.at(140), "Contemporary C");
    EXPECT_EQ(g.at(147), "SynthPop");
}

TEST_F(TagEditor, OpeningShowsTheFirstFileWithItsCaptionAsTitle)
{
    std::swap(list.rows[0], list.rows[1]);
    model.FormShow(list);
    EXPECT_EQ(model.rows(), (QStringList{"track02.mp3", "Intro", "Ünïcode ☃"}));
    EXPECT_EQ(model.selectedRow(), 0);
    EXPECT_EQ(model.fieldText(TagField::Title), "track02.mp3");
    EXPECT_EQ(model.fieldText(TagField::Artist), "Band");
    EXPECT_EQ(model.copyField(0, TagField::Title), "track02.mp3") << "showing counts as a change";
    EXPECT_EQ(list.rows[0].fields.title, "") << "nothing reaches the records before Ok";
    model.btn_okClick(list);
    EXPECT_EQ(list.rows[0].fields.title, "track02.mp3");
    EXPECT_TRUE(model.rows().isEmpty()) << "closing empties the list";
}

TEST_F(TagEditor, ClickingAFileShowsItsRecordTitle)
{
    list.rows[2].caption = "other caption";
    model.FormShow(list);
    model.lv_id3Click(2);
    EXPECT_EQ(model.fieldText(TagField::Title), "Ünïcode ☃");
    EXPECT_EQ(model.fieldText(TagField::Artist), "Ärtist");
    model.lv_id3Click(-1);
    EXPECT_EQ(model.selectedRow(), 0) << "a click beside the rows selects the first again";
    EXPECT_EQ(model.fieldText(TagField::Title), "Intro");
}

TEST_F(TagEditor, EditsGoToTheSelectedRowAndTitlesToTheCaptions)
{
    model.FormShow(list);
    model.lv_id3Click(1);
    model.setField(TagField::Genre, "Not A Genre");
    model.setField(TagField::Comment, "line one\nline two");
    model.setField(TagField::Title, "Second ✓");
    EXPECT_EQ(model.rows().at(1), "track02.mp3") << "the caption follows when the field is left";
    model.fieldExit(TagField::Title);
    EXPECT_EQ(model.rows().at(1), "Second ✓");
    model.setField(TagField::Year, "1999");
    model.btn_okClick(list);
    EXPECT_EQ(list.rows[1].caption, "Second ✓");
    EXPECT_EQ(list.rows[1].fields[TagField::Genre], "Not A Genre");
    EXPECT_EQ(list.rows[1].fields[TagField::Comment], "line one\nline two");
    EXPECT_EQ(list.rows[1].fields[TagField::Year], "1999");
    EXPECT_EQ(list.rows[0].fields[TagField::Year], "");
}

TEST_F(TagEditor, AllCopiesTheFieldEvenWhenEmptyAndLeavesCaptions)
{
    model.FormShow(list);
    model.setField(TagField::Album, "Live");
    model.AllClick(TagField::Album);
    model.setField(TagField::Artist, "");
    model.AllClick(TagField::Artist);
    model.setField(TagField::Title, "Same");
    model.AllClick(TagField::Title);
    EXPECT_EQ(model.rows(), (QStringList{"Intro", "track02.mp3", "Ünïcode ☃"}));
    model.btn_okClick(list);
    for (const auto& row : list.rows) {
        EXPECT_EQ(row.fields[TagField::Album], "Live");
        EXPECT_EQ(row.fields[TagField::Artist], "");
        EXPECT_EQ(row.caption, "Same") << "titles become captions at Ok";
    }
}

TEST_F(TagEditor, ResetDropsTheEditsAndOkThenChangesNothing)
{
    const auto before = list.rows;
    model.FormShow(list);
    model.setField(TagField::Artist, "X");
    model.lv_id3Click(2);
    model.setField(TagField::Artist, "Y");
    model.Button7Click(list);
    EXPECT_EQ(model.selectedRow(), 0);
    EXPECT_EQ(model.fieldText(TagField::Artist), "Band");
    EXPECT_EQ(model.copyField(2, TagField::Artist), "Ärtist");
    model.btn_okClick(list);
    EXPECT_EQ(list.rows, before);
}

TEST_F(TagEditor, CancelLeavesRecordsAndCaptionsButKeepsTheFieldTexts)
{
    const auto before = list.rows;
    model.FormShow(list);
    model.setField(TagField::Comment, "kept for next time");
    model.setField(TagField::Title, "New");
    model.fieldExit(TagField::Title);
    model.FormCloseQuery();
    EXPECT_EQ(list.rows, before);
    EXPECT_TRUE(model.rows().isEmpty());
    EXPECT_EQ(model.fieldText(TagField::Comment), "kept for next time");
}

TEST_F(TagEditor, AnEmptyListShowsNothingAndStoresNothing)
{
    model.FormShow(list);
    model.setField(TagField::Album, "left over");
    model.FormCloseQuery();
    Rows empty;
    model.FormShow(empty);
    EXPECT_TRUE(model.rows().isEmpty());
    EXPECT_EQ(model.selectedRow(), -1);
    EXPECT_EQ(model.fieldText(TagField::Album), "left over");
    model.setField(TagField::Album, "typed");
    model.AllClick(TagField::Album);
    model.lv_id3Click(0);
    model.Button7Click(empty);
    model.btn_okClick(empty);
    EXPECT_EQ(empty.rowCount(), 0);
}

TEST_F(TagEditor, ATitlelessRowKeepsItsCaption)
{
    model.FormShow(list);
    model.lv_id3Click(1); // shows the record's empty title
    model.btn_okClick(list);
    EXPECT_EQ(list.rows[1].caption, "track02.mp3");
    EXPECT_EQ(list.rows[1].fields.title, "");
}

TEST_F(TagEditor, GenresStay148AndTheColumnNarrowsFrom20Rows)
{
    for (int i = 0; i < 50; ++i) {
        model.FormShow(list);
        model.FormCloseQuery();
    }
    EXPECT_EQ(model.genreItems().size(), 148);
    Rows many;
    for (int i = 0; i < 19; ++i)
        many.add(QString("f%1").arg(i), "");
    model.FormShow(many);
    EXPECT_EQ(model.columnWidth(), 143);
    model.FormCloseQuery();
    many.add("f19", "");
    model.FormShow(many);
    EXPECT_EQ(model.columnWidth(), 127);
}

TEST_F(TagEditor, OkStoresOnlyRowsTheJobListStillHas)
{
    model.FormShow(list);
    model.AllClick(TagField::Artist);
    list.rows.pop_back();
    model.btn_okClick(list);
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.rows[1].fields[TagField::Artist], "Band");
}
