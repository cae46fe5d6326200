// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainSession.h"
#include "gui/settings/SettingsControlNames.h"
#include "gui/settings/Tfm_set.h"
#include "settings/Options.h"
#include "settings/SettingsDialogModel.h"
#include "support/FakeSeams.h"
#include "support/Printers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using settings::ControlId;
using settings::SettingsDialogModel;

namespace {

// Clicks a check box or radio button on its indicator, where a user aims.
void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

class SettingsDialogWidgets : public ::testing::Test {
protected:
    void SetUp() override
    {
        session =
            std::make_unique<MainSession>(prompts, shell, iniPath, config.filePath("no-skin"));
        model = std::make_unique<SettingsDialogModel>(session->options(), session->ini(),
                                                      session->AudioFile2write(), prompts);
        model->setOutputDirBox([this] { return edtDir.text(); },
                               [this](const QString& d) { edtDir.setText(d); });
        model->setLvClick([this] { ++lvClicks; });
        mainWindow.move(120, 80);
        mainWindow.resize(521, 380);
        dialog = std::make_unique<Tfm_set>(*model, prompts, &mainWindow);
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

    void choosePage(int index)
    {
        auto* tree = get<QTreeWidget>("TreeView1");
        QTreeWidgetItemIterator it(tree);
        for (int i = 0; i < index; ++i)
            ++it;
        tree->setCurrentItem(*it);
    }

    QString stored(const char* section, const char* key)
    {
        return session->ini().readString(section, key, "<none>");
    }

    QTemporaryDir config;
    QString iniPath = config.filePath("Vessimo.ini");
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<MainSession> session;
    std::unique_ptr<SettingsDialogModel> model;
    QLineEdit edtDir{"/music/out"};
    QWidget mainWindow;
    std::unique_ptr<Tfm_set> dialog;
    int lvClicks = 0;
};

} // namespace

TEST_F(SettingsDialogWidgets, FirstShowingShowsGeneralWithTheFreshValues)
{
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    open();
    EXPECT_EQ(dialog->windowTitle(), "Settings");
    EXPECT_EQ(dialog->objectName(), "fm_set");
    EXPECT_EQ(dialog->pos(), mainWindow.pos() + QPoint(10, 10));
    EXPECT_EQ(dialog->geometry().topLeft(), mainWindow.geometry().topLeft() + QPoint(10, 10))
        << "placed by its client area, which does not depend on a frame not known yet";
    EXPECT_EQ(get<QLabel>("lab")->text(), "Set General");
    EXPECT_TRUE(get<QLabel>("lab")->font().bold());
    EXPECT_EQ(get<QStackedWidget>("pages")->currentWidget()->objectName(), "gb_cdgeneral");
    int visiblePages = 0;
    for (auto* page : get<QStackedWidget>("pages")->findChildren<QGroupBox*>(
             QRegularExpression("^gb_"), Qt::FindDirectChildrenOnly))
        visiblePages += page->isVisible();
    EXPECT_EQ(visiblePages, 1);

    EXPECT_TRUE(get<QRadioButton>("rb_custom")->isChecked());
    EXPECT_EQ(get<QLineEdit>("edt_time")->text(), "60");
    EXPECT_EQ(get<QLineEdit>("edt_count")->text(), "6");
    EXPECT_FALSE(get<QCheckBox>("cb_fadein")->isChecked());
    EXPECT_EQ(get<QComboBox>("cb_fadeintime")->currentText(), "5s");
    EXPECT_EQ(get<QComboBox>("cb_fadeouttime")->count(), 20);
    EXPECT_EQ(get<QSpinBox>("ud_mp3_quality")->value(), 4);
    EXPECT_EQ(get<QSpinBox>("ud_mp3_vbr")->value(), 4);
    EXPECT_EQ(get<QComboBox>("cb_mp3_frequency")->currentText(), "44100 Hz");
    EXPECT_EQ(get<QComboBox>("cb_mp3_bitrate")->currentText(), "128 Kbps");
    EXPECT_EQ(get<QComboBox>("cb_mp3_channel")->currentText(), "Stereo");
    EXPECT_EQ(get<QComboBox>("cb_wma")->currentText(), "WMA9 44KHz, 128Kbps, Stereo, CBR");
    EXPECT_EQ(get<QComboBox>("cb_wma")->count(), 47);
    EXPECT_EQ(get<QSpinBox>("ud_ogg_quality")->value(), 300);
    EXPECT_EQ(get<QRadioButton>("rb_cdmode_0")->text(), "CD quality WAV format.");
    EXPECT_TRUE(get<QRadioButton>("rb_cdmode_0")->isChecked());
    EXPECT_EQ(get<QRadioButton>("rg_prest_10")->text(), "R3Mix");
    EXPECT_TRUE(get<QRadioButton>("rg_alt_0")->isChecked());
    EXPECT_EQ(edtDir.text(), session->options().outputDir) << "showing puts the folder back";
}

TEST_F(SettingsDialogWidgets, TheTreeChoosesThePageAndTheDialogReopensOnIt)
{
    open();
    auto* tree = get<QTreeWidget>("TreeView1");
    EXPECT_EQ(tree->topLevelItemCount(), 5);
    EXPECT_EQ(tree->topLevelItem(1)->childCount(), 6);
    EXPECT_EQ(tree->topLevelItem(1)->child(5)->text(0), "Command Line");
    choosePage(3);
    EXPECT_EQ(get<QLabel>("lab")->text(), "Set MP3 VBR");
    EXPECT_TRUE(get<QWidget>("gb_mp3vbr")->isVisible());
    EXPECT_FALSE(get<QWidget>("gb_cdgeneral")->isVisible());
    choosePage(10);
    EXPECT_TRUE(get<QWidget>("gb_ogg")->isVisible());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    open();
    EXPECT_EQ(get<QLabel>("lab")->text(), "Set OGG Format");
    EXPECT_EQ(tree->currentItem()->text(0), "OGG");
}

TEST_F(SettingsDialogWidgets, ChoicesMadeInTheWidgetsReachTheFileAtOk)
{
    open();
    choosePage(2);
    get<QComboBox>("cb_mp3_bitrate")->setCurrentIndex(5); // as a screen reader would
    get<QComboBox>("cb_mp3_channel")->setCurrentIndex(0);
    get<QSpinBox>("ud_mp3_quality")->stepUp();
    choosePage(10);
    click(get<QCheckBox>("ck_oggquality"));
    EXPECT_FALSE(get<QCheckBox>("ck_oggvbr")->isEnabled());
    EXPECT_TRUE(get<QSpinBox>("ud_ogg_quality")->isEnabled());
    EXPECT_TRUE(get<QLineEdit>("edt_ogg_quality")->isEnabled());
    auto* quality = get<QSpinBox>("ud_ogg_quality");
    quality->setFocus();
    quality->selectAll();
    QTest::keyClicks(quality, "15x00");
    EXPECT_EQ(get<QLineEdit>("edt_ogg_quality")->text(), "1500");
    edtDir.setText("/music/out");             // typed into the main window meanwhile
    QTest::keyClick(quality, Qt::Key_Return); // Enter is Ok
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(stored("mp3", "bitrate"), "5");
    EXPECT_EQ(stored("mp3", "channel"), "0");
    EXPECT_EQ(stored("mp3", "quality"), "5");
    EXPECT_EQ(stored("ogg", "oggquality"), "1");
    EXPECT_EQ(stored("ogg", "quality"), "1000") << "typed beyond the range, brought to its end";
    EXPECT_EQ(stored("Main", "Path"), "/music/out");
    EXPECT_EQ(lvClicks, 1);
}

TEST_F(SettingsDialogWidgets, EnableRulesFollowTheBoxesWhateverChangedThem)
{
    open();
    choosePage(4);
    get<QCheckBox>("chHFilt")->setChecked(true); // toggled, not clicked
    EXPECT_TRUE(get<QSpinBox>("udHFiltF")->isEnabled());
    EXPECT_TRUE(get<QLabel>("lab_HFiltW")->isEnabled());
    EXPECT_FALSE(get<QSpinBox>("udLFiltW")->isEnabled());
    choosePage(6);
    click(get<QCheckBox>("ck_preset"));
    EXPECT_TRUE(get<QGroupBox>("rg_prest")->isEnabled());
    EXPECT_FALSE(get<QCheckBox>("ck_alt")->isEnabled());
    click(get<QRadioButton>("rg_prest_8"));
    choosePage(3);
    get<QComboBox>("cb_mp3vbrcm")->setCurrentIndex(2);
    EXPECT_TRUE(get<QComboBox>("cb_mp3_vbr")->isEnabled());
    choosePage(8);
    click(get<QRadioButton>("rb_cdmode_2"));
    EXPECT_TRUE(get<QComboBox>("cb_wav_bit")->isEnabled());
    QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
    EXPECT_EQ(stored("MP3Prest", "preset"), "1");
    EXPECT_EQ(stored("MP3Prest", "rg_prest"), "8");
    EXPECT_EQ(stored("MP3Filt", "chHFilt"), "1");
    EXPECT_EQ(stored("wav", "mode"), "2");
    EXPECT_EQ(stored("MP3VBR", "Coding Method"), "2");
}

TEST_F(SettingsDialogWidgets, DefaultThenOkAndDefaultThenCancel)
{
    open();
    QTest::mouseClick(get<QPushButton>("Button2"), Qt::LeftButton);
    EXPECT_EQ(get<QComboBox>("cb_wav_frequency")->currentText(), "48000 Hz");
    EXPECT_EQ(get<QSpinBox>("ud_mp3_quality")->value(), 5);
    QTest::mouseClick(get<QPushButton>("Cancel"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(iniPath));
    open();
    EXPECT_EQ(get<QComboBox>("cb_wav_frequency")->currentText(), "44100 Hz");
    QTest::mouseClick(get<QPushButton>("Button2"), Qt::LeftButton);
    QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
    EXPECT_EQ(stored("wav", "frequency"), "8");
}

TEST_F(SettingsDialogWidgets, EscapeRestoresTheChoiceAndTheCommandLine)
{
    open();
    click(get<QRadioButton>("rb_unification"));
    choosePage(7);
    QTest::keyClicks(get<QPlainTextEdit>("txtCommLine"), "-b 64");
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(session->options().functionChoice, 0);
    EXPECT_EQ(model->commandLineText(), "");
    EXPECT_EQ(lvClicks, 0);
    open();
    EXPECT_TRUE(get<QRadioButton>("rb_custom")->isChecked());
    EXPECT_EQ(get<QPlainTextEdit>("txtCommLine")->toPlainText(), "");
    QTest::keyClicks(get<QPlainTextEdit>("txtCommLine"), "-b 64");
    choosePage(0);
    click(get<QRadioButton>("rb_count"));
    QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
    EXPECT_EQ(session->options().functionChoice, 2);
    EXPECT_EQ(model->commandLineText(), "-b 64");
}

TEST_F(SettingsDialogWidgets, SplitEditsIgnoreNonDigitsAndEnterPressesOk)
{
    open();
    auto* count = get<QLineEdit>("edt_count");
    count->setFocus();
    count->selectAll();
    QTest::keyClicks(count, "12a");
    EXPECT_EQ(count->text(), "12") << "a typed letter neither goes in nor deletes";
    auto* time = get<QLineEdit>("edt_time");
    time->setFocus(); // leaves edt_count
    time->selectAll();
    QTest::keyClicks(time, "0");
    get<QLineEdit>("edt_count")->setFocus();
    EXPECT_EQ(time->text(), "60") << "left at 0";
    count->selectAll();
    QTest::keyClick(count, Qt::Key_Backspace);
    QTest::keyClick(count, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(session->options().pieceCount, 1) << "empty at Ok";
    EXPECT_TRUE(prompts.informations.isEmpty());
}

TEST_F(SettingsDialogWidgets, PastedTextAndRefusedFormatsKeepTheDialogOpen)
{
    open();
    get<QLineEdit>("edt_time")->setText("1e3"); // pasted
    QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompts.informations.last(), "'1e3' is not a valid integer value");
    get<QLineEdit>("edt_time")->setText("30");
    choosePage(2);
    get<QComboBox>("cb_mp3_bitrate")->setCurrentIndex(0);
    QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompts.informations.last(), SettingsDialogModel::Mp3Message());
    edtDir.clear();
    get<QComboBox>("cb_mp3_bitrate")->setCurrentIndex(9);
    QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompts.informations.last(), SettingsDialogModel::EmptyFolderMessage());
    EXPECT_FALSE(QFile::exists(iniPath));
}

TEST_F(SettingsDialogWidgets, EveryFieldHasANameAndTheExpertOptionsExplainThemselves)
{
    open();
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!qobject_cast<QComboBox*>(w) && !qobject_cast<QAbstractSpinBox*>(w) &&
            !qobject_cast<QAbstractButton*>(w) && !qobject_cast<QPlainTextEdit*>(w) &&
            !qobject_cast<QTreeWidget*>(w) &&
            !(qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parent()) &&
              !qobject_cast<QAbstractSpinBox*>(w->parent())))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty())
            << w->objectName().toStdString();
    }
    for (const char* name : {"ck_crc", "ck_comply", "ck_allow", "ck_short", "ck_bit", "cb_ath",
                             "cb_de", "ck_preset", "ck_alt", "txtCommLine", "ck_mp3_copy"})
        EXPECT_GT(get(name)->toolTip().size(), 20) << name;
}

TEST_F(SettingsDialogWidgets, NoTextIsCutOffOnAnyPage)
{
    open();
    for (int page = 0; page < 11; ++page) {
        choosePage(page);
        QCoreApplication::processEvents();
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
            if (!w->isVisible())
                continue;
            if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
                EXPECT_GE(w->width(), w->minimumSizeHint().width())
                    << w->objectName().toStdString() << " on page " << page;
                EXPECT_GE(w->height(), w->minimumSizeHint().height())
                    << w->objectName().toStdString() << " on page " << page;
            }
        }
    }
}

TEST_F(SettingsDialogWidgets, TabLeavesThePageForTheButtons)
{
    open();
    get<QComboBox>("cb_fadeintime")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "cb_fadeout");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "Ok");
}

TEST_F(SettingsDialogWidgets, ABadOptionsFileShowsDefaultsAndOkWritesValidValues)
{
    testsupport::writeAll(iniPath, "[Function]\nChoice=-7\n[Choice]\ntime=abc\nCount=-3\n"
                                   "[Fade]\nIntime=99\n"
                                   "[mp3]\nbitrate=15\nquality=99999999999\n"
                                   "[MP3Filt]\nudHFiltF=-1\n[wma]\nformat=-1\n"
                                   "[ogg]\nfrequency=9\nquality=5000\n\x01\x02=\xff\n");
    session->options() = LoadOptions(session->ini());
    open();
    EXPECT_TRUE(get<QRadioButton>("rb_custom")->isChecked());
    EXPECT_EQ(get<QLineEdit>("edt_time")->text(), "60");
    EXPECT_EQ(get<QLineEdit>("edt_count")->text(), "6");
    EXPECT_EQ(get<QComboBox>("cb_fadeintime")->currentText(), "5s");
    EXPECT_EQ(get<QComboBox>("cb_mp3_bitrate")->currentText(), "128 Kbps");
    EXPECT_EQ(get<QSpinBox>("ud_mp3_quality")->value(), 4);
    EXPECT_EQ(get<QSpinBox>("udHFiltF")->value(), 30);
    EXPECT_EQ(get<QComboBox>("cb_wma")->currentIndex(), 9);
    EXPECT_EQ(get<QComboBox>("cb_ogg_fre")->currentText(), "44100 Hz");
    EXPECT_EQ(get<QSpinBox>("ud_ogg_quality")->value(), 300);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    open();
    edtDir.setText("/music/out");
    QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
    ASSERT_FALSE(dialog->isVisible());
    EXPECT_EQ(session->options().functionChoice, 0);
    EXPECT_EQ(session->options().pieceCount, 6);
    EXPECT_EQ(session->options().fadeInSeconds, 5);
    EXPECT_EQ(stored("mp3", "bitrate"), "9");
    EXPECT_EQ(stored("mp3", "quality"), "4");
    EXPECT_EQ(stored("MP3Filt", "udHFiltF"), "30");
    EXPECT_EQ(stored("wma", "format"), "9");
    EXPECT_EQ(stored("ogg", "frequency"), "7");
    EXPECT_EQ(stored("ogg", "quality"), "300");
}

TEST_F(SettingsDialogWidgets, EscapeFromAnEditHoldingNoNumberClosesWithoutAMessage)
{
    open();
    auto* time = get<QLineEdit>("edt_time");
    time->setFocus();
    time->setText("12x"); // pasted
    QTest::keyClick(time, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(prompts.informations.isEmpty()) << prompts.informations.join("|").toStdString();
    open();
    EXPECT_EQ(get<QLineEdit>("edt_time")->text(), "60");
}

TEST_F(SettingsDialogWidgets, EveryControlIdHasItsWidgetAndEveryFormControlHasAnId)
{
    for (ControlId id : settings::AllControlIds()) {
        const QString name = settingsControlName(id);
        const auto named = dialog->findChildren<QWidget*>(name);
        ASSERT_EQ(named.size(), 1) << name.toStdString();
        EXPECT_EQ(named.at(0), dialog->control(id)) << name.toStdString();
        EXPECT_EQ(settingsControlNamed(name), id) << name.toStdString();
    }
    // The kind of widget each encoder key needs.
    for (const settings::SettingsControl& c : settings::SettingsControls()) {
        QWidget* w = dialog->control(c.id);
        const std::string name = w->objectName().toStdString();
        switch (c.key->type) {
        case settings::KeyType::Boolean:
            EXPECT_NE(qobject_cast<QCheckBox*>(w), nullptr) << name;
            break;
        case settings::KeyType::Integer:
            EXPECT_NE(qobject_cast<QSpinBox*>(w), nullptr) << name;
            break;
        case settings::KeyType::ListIndex:
            if (auto* combo = qobject_cast<QComboBox*>(w))
                EXPECT_EQ(combo->count(), c.key->list->size()) << name;
            else
                EXPECT_EQ(w->findChildren<QRadioButton*>().size(), c.key->list->size()) << name;
            break;
        }
    }
    // Every input of the forms is a control the model knows, apart from the
    // page tree, the dialog's buttons, and the radio buttons of a group and
    // the edits of up-downs, which are part of a control that has an id.
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        const bool input = (qobject_cast<QAbstractButton*>(w) && !qobject_cast<QPushButton*>(w)) ||
                           qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                           qobject_cast<QPlainTextEdit*>(w) ||
                           (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parent()));
        if (!input)
            continue;
        const bool part = (qobject_cast<QRadioButton*>(w) || qobject_cast<QLineEdit*>(w)) &&
                          settingsControlNamed(w->parentWidget()->objectName()).has_value();
        EXPECT_TRUE(part || settingsControlNamed(w->objectName()).has_value())
            << "'" << w->objectName().toStdString() << "' has no ControlId";
    }
    for (const settings::SettingsPage& page : settings::SettingsPages())
        EXPECT_NE(get<QStackedWidget>("pages")->findChild<QGroupBox*>(page.groupBox), nullptr)
            << page.groupBox;
}

TEST_F(SettingsDialogWidgets, ThePageTreeExposesNoMeaninglessHeader)
{
    open();
    auto* tree = get<QTreeWidget>("TreeView1");
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(tree);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), "Pages");
    QStringList nodes;
    for (int i = 0; i < a->childCount(); ++i) {
        QAccessibleInterface* child = a->child(i);
        ASSERT_NE(child, nullptr);
        const QString name = child->text(QAccessible::Name);
        if (child->role() == QAccessible::ColumnHeader)
            EXPECT_EQ(name, "Pages") << "the hidden header reads as what the tree holds";
        else
            nodes << name;
    }
    EXPECT_EQ(nodes, (QStringList{"General", "MP3", "General", "VBR", "Filtering", "Expert",
                                  "Presets", "Command Line", "WAV", "WMA", "OGG"}));
}

TEST_F(SettingsDialogWidgets, TabVisitsEveryControlOfThePageInReadingOrderBeforeTheButtons)
{
    open();
    // Groups enabled, so that their buttons are in the way of Tab too.
    click(get<QCheckBox>("ck_preset"));
    click(get<QRadioButton>("rb_cdmode_2"));
    click(get<QCheckBox>("ck_oggquality"));
    auto* tree = get<QTreeWidget>("TreeView1");
    for (int page = 0; page < 11; ++page) {
        choosePage(page);
        QStringList expected;
        for (ControlId id : settings::AllControlIds()) {
            QWidget* w = dialog->control(id);
            if (!w->isVisible() || !w->isEnabled() ||
                qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
                continue;
            if (qobject_cast<QGroupBox*>(w)) {
                // Tab enters a group of radio buttons at its chosen one.
                for (auto* radio : w->findChildren<QRadioButton*>())
                    if (radio->isChecked())
                        expected << radio->objectName();
            } else if (w->focusPolicy() & Qt::TabFocus) {
                auto* radio = qobject_cast<QRadioButton*>(w);
                if (!radio || radio->isChecked())
                    expected << w->objectName();
            }
        }
        expected << "Ok"
                 << "Button2"
                 << "Cancel"
                 << "TreeView1";
        tree->setFocus();
        QStringList visited;
        while (visited.size() < expected.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(visited, expected) << "page " << page;
        EXPECT_GT(expected.size(), 4) << "page " << page << " has a control to reach";
    }
}

TEST_F(SettingsDialogWidgets, TheCopyBoxSaysWhatItDoesAndReachesTheOptionsAtOk)
{
    open();
    choosePage(1);
    auto* copy = get<QCheckBox>("ck_mp3_copy");
    ASSERT_TRUE(copy->isVisible());
    EXPECT_FALSE(copy->isChecked());
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(copy);
    EXPECT_EQ(a->text(QAccessible::Name), "Cut MP3 files without re-encoding");
    EXPECT_TRUE(a->text(QAccessible::Description).contains("no quality is lost"));
    copy->setFocus();
    QTest::keyClick(copy, Qt::Key_Space);
    EXPECT_TRUE(copy->isChecked());
    EXPECT_FALSE(session->options().losslessCopy) << "a proposal until Ok";
    QTest::keyClick(copy, Qt::Key_Return);
    ASSERT_FALSE(dialog->isVisible());
    EXPECT_TRUE(session->options().losslessCopy);
    session->FormCloseQuery();
    EXPECT_EQ(stored("mp3", "lossless copy"), "1");

    open();
    EXPECT_TRUE(get<QCheckBox>("ck_mp3_copy")->isChecked());
    QTest::mouseClick(get<QPushButton>("Button2"), Qt::LeftButton);
    EXPECT_FALSE(get<QCheckBox>("ck_mp3_copy")->isChecked());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(session->options().losslessCopy) << "Default then Cancel stores nothing";
}
