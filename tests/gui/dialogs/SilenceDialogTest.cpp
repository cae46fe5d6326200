// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/Tfm_silence.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class SilenceDialogTest : public ::testing::Test {
protected:
    // Runs the dialog modally, as the prompts do; `user` acts once it shows.
    void exec(const std::function<void()>& user)
    {
        QTimer::singleShot(0, &dialog, [this, user] {
            EXPECT_TRUE(dialog.isVisible());
            user();
            if (dialog.isVisible())
                dialog.reject();
        });
        dialog.exec();
    }
    static void type(QDoubleSpinBox* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    PieceCommands::SilenceQuestion question;
    Tfm_silence dialog{question, nullptr};
};

} // namespace

TEST_F(SilenceDialogTest, OffersTheDefaultsAndOkKeepsWhatWasTypedEvenWithoutLeavingTheBox)
{
    exec([this] {
        EXPECT_EQ(dialog.edt_threshold->value(), -50.0);
        EXPECT_EQ(dialog.edt_minSilence->value(), 2.0);
        EXPECT_EQ(dialog.edt_minPiece->value(), 10.0);
        EXPECT_FALSE(dialog.ck_drop->isChecked());
        EXPECT_EQ(dialog.focusWidget(), dialog.edt_threshold) << "the first field has the focus";
        EXPECT_TRUE(dialog.btn_ok->isDefault());
        type(dialog.edt_threshold, "-42.5");
        type(dialog.edt_minSilence, "1.5");
        dialog.ck_drop->setChecked(true);
        type(dialog.edt_minPiece, "30");
        // Enter in the box being typed in presses the default button.
        QTest::keyClick(dialog.edt_minPiece, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(question.accepted);
    EXPECT_EQ(question.options.thresholdDb, -42.5);
    EXPECT_EQ(question.options.minSilenceSeconds, 1.5);
    EXPECT_EQ(question.options.minPieceSeconds, 30.0);
    EXPECT_TRUE(question.options.dropSilence);

    // Shown again: the values of the last Ok; Escape leaves them.
    question.accepted = false;
    exec([this] {
        EXPECT_EQ(dialog.edt_threshold->value(), -42.5);
        EXPECT_TRUE(dialog.ck_drop->isChecked());
        type(dialog.edt_threshold, "-70");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(question.accepted);
    EXPECT_EQ(question.options.thresholdDb, -42.5);
}

TEST_F(SilenceDialogTest, ValuesStayWithinWhatASearchCanUse)
{
    exec([this] {
        type(dialog.edt_threshold, "20");
        type(dialog.edt_minSilence, "0");
        dialog.btn_ok->click();
    });
    EXPECT_LE(question.options.thresholdDb, -1.0) << "a threshold is below full scale";
    EXPECT_GT(question.options.minSilenceSeconds, 0.0);
}

TEST_F(SilenceDialogTest, EveryFieldHasALabelANameAndAPlaceInTheTabOrder)
{
    exec([this] {
        const QList<QWidget*> fields{dialog.edt_threshold, dialog.edt_minSilence,
                                     dialog.edt_minPiece};
        for (QWidget* field : fields) {
            const auto labels = dialog.findChildren<QLabel*>();
            const bool labelled = std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
                return label->buddy() == field && label->text().contains('&');
            });
            EXPECT_TRUE(labelled) << field->objectName().toStdString();
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(field);
            ASSERT_NE(a, nullptr);
            EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << field->objectName().toStdString();
        }
        EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog.ck_drop)->text(QAccessible::Name),
                  "Drop the silences");
        // Tab walks the fields in the order they are shown, then the buttons.
        QStringList order;
        QWidget* w = dialog.edt_threshold;
        for (int i = 0; i < 6; ++i) {
            order << w->objectName();
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || !w->isVisible() ||
                   qobject_cast<QLineEdit*>(w))
                w = w->nextInFocusChain();
        }
        // The buttons in the order of the desktop's button layout.
        EXPECT_EQ(order.mid(0, 4),
                  (QStringList{"edt_threshold", "edt_minSilence", "edt_minPiece", "ck_drop"}));
        QStringList buttons = order.mid(4);
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{"btn_cancel", "btn_ok"}));
        EXPECT_EQ(dialog.windowTitle(), "Find silences");
    });
}
