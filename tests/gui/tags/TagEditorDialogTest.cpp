// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/tags/Tfm_id3.h"
#include "support/FakeSeams.h"
#include "tags/SmallJobList.h"
#include "tags/TagEditorModel.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

class TagEditorDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.add("Intro", "Intro", "Band");
        list.add("track02.mp3", "", "Band");
        list.add("Ünïcode ☃", "Ünïcode ☃", "Ärtist");
        mainWindow.setGeometry(200, 150, 521, 380);
        dialog = std::make_unique<Tfm_id3>(model, list, prompts, &mainWindow);
    }

    void open()
    {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename T = QWidget> T* get(const char* name)
    {
        T* w = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QStringList listed()
    {
        QStringList rows;
        auto* lv = get<QTreeWidget>("lv_id3");
        for (int i = 0; i < lv->topLevelItemCount(); ++i)
            rows << lv->topLevelItem(i)->text(0);
        return rows;
    }

    void retype(const char* name, const QString& text)
    {
        auto* edit = get<QLineEdit>(name);
        edit->setFocus();
        edit->selectAll();
        edit->insert(text); // as typed or pasted; keyClicks knows ASCII only
    }

    SmallJobList list;
    tags::TagEditorModel model;
    RecordingPrompts prompts;
    QWidget mainWindow;
    std::unique_ptr<Tfm_id3> dialog;
};

} // namespace

TEST_F(TagEditorDialog, OpensCentredOnTheFirstFile)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), "ID3 Edit");
    EXPECT_EQ(dialog->objectName(), "fm_id3");
    const QPoint centre = dialog->frameGeometry().center();
    EXPECT_LE((centre - mainWindow.frameGeometry().center()).manhattanLength(), 1);
    EXPECT_EQ(listed(), (QStringList{"Intro", "track02.mp3", "Ünïcode ☃"}));
    auto* lv = get<QTreeWidget>("lv_id3");
    EXPECT_EQ(lv->headerItem()->text(0), "File Name");
    EXPECT_EQ(lv->columnWidth(0), 143);
    EXPECT_EQ(lv->currentItem(), lv->topLevelItem(0));
    EXPECT_EQ(get<QLineEdit>("edt_tatal")->text(), "Intro");
    EXPECT_EQ(get<QLineEdit>("edt_art")->text(), "Band");
    EXPECT_EQ(get<QComboBox>("edt_genre")->count(), 148);
    for (const char* b : {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6"})
        EXPECT_EQ(get<QPushButton>(b)->text(), "All");
    EXPECT_EQ(get<QPushButton>("Button7")->text(), "Reset");
    EXPECT_EQ(get<QLabel>("lab_edt_com")->text(), "Comment: ");
}

TEST_F(TagEditorDialog, EditsByKeyboardReachTheRecordsAtOkOnly)
{
    open();
    get<QTreeWidget>("lv_id3")->setCurrentItem(get<QTreeWidget>("lv_id3")->topLevelItem(1));
    EXPECT_EQ(get<QLineEdit>("edt_tatal")->text(), "") << "a click shows the record's title";
    retype("edt_tatal", "Zweites Stück");
    retype("edt_year", "2001"); // leaves the title
    EXPECT_EQ(listed().at(1), "Zweites Stück");
    get<QComboBox>("edt_genre")->setCurrentIndex(64);
    get<QPlainTextEdit>("edt_com")->setPlainText("two\nlines");
    EXPECT_EQ(list.rows[1].caption, "track02.mp3");
    QTest::keyClick(get<QLineEdit>("edt_year"), Qt::Key_Return); // Enter is Ok
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(list.rows[1].caption, "Zweites Stück");
    EXPECT_EQ(list.at(1, TagField::Title), "Zweites Stück");
    EXPECT_EQ(list.at(1, TagField::Year), "2001");
    EXPECT_EQ(list.at(1, TagField::Genre), "Native US");
    EXPECT_EQ(list.at(1, TagField::Comment), "two\nlines");
    EXPECT_EQ(list.at(0, TagField::Genre), "");
    EXPECT_EQ(get<QTreeWidget>("lv_id3")->topLevelItemCount(), 0) << "closing empties the list";
}

TEST_F(TagEditorDialog, AllAndTypedGenres)
{
    open();
    get<QComboBox>("edt_genre")->setEditText("Chiptune");
    QTest::mouseClick(get<QPushButton>("Button5"), Qt::LeftButton);
    get<QLineEdit>("edt_alb")->clear();
    QTest::mouseClick(get<QPushButton>("Button3"), Qt::LeftButton);
    QTest::mouseClick(get<QPushButton>("btn_ok"), Qt::LeftButton);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list.at(row, TagField::Genre), "Chiptune");
        EXPECT_EQ(list.at(row, TagField::Album), "");
    }
}

TEST_F(TagEditorDialog, EscapeAndResetDropTheEdits)
{
    const auto before = list.rows;
    open();
    retype("edt_art", "Somebody");
    QTest::mouseClick(get<QPushButton>("Button2"), Qt::LeftButton);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(list.rows, before);
    open();
    EXPECT_EQ(get<QComboBox>("edt_genre")->count(), 148) << "the genres are not added twice";
    retype("edt_art", "Somebody else");
    QTest::mouseClick(get<QPushButton>("Button7"), Qt::LeftButton);
    EXPECT_EQ(get<QLineEdit>("edt_art")->text(), "Band");
    QTest::mouseClick(get<QPushButton>("btn_ok"), Qt::LeftButton);
    EXPECT_EQ(list.rows, before);
}

TEST_F(TagEditorDialog, TwentyFilesNarrowTheColumnAndAnEmptyListShowsNothing)
{
    for (int i = 3; i < 20; ++i)
        list.add(QString("f%1.wav").arg(i), "");
    open();
    EXPECT_EQ(get<QTreeWidget>("lv_id3")->columnWidth(0), 127);
    dialog->close();
    list.rows.clear();
    open();
    EXPECT_EQ(get<QTreeWidget>("lv_id3")->topLevelItemCount(), 0);
    QTest::mouseClick(get<QPushButton>("btn_ok"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(TagEditorDialog, EveryFieldHasAName)
{
    open();
    for (const char* name : {"lv_id3", "edt_tatal", "edt_art", "edt_alb", "edt_year", "edt_genre",
                             "edt_com", "Button1", "Button6", "Button7", "btn_ok", "btn_cancel"}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(get(name));
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty()) << name;
    }
    EXPECT_NE(QAccessible::queryAccessibleInterface(get("Button1"))->text(QAccessible::Name),
              QAccessible::queryAccessibleInterface(get("Button2"))->text(QAccessible::Name))
        << "the six All buttons are told apart";
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (w->isVisible() && (qobject_cast<QLabel*>(w) || qobject_cast<QPushButton*>(w))) {
            EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
        }
    }
}
