// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Version.h"
#include "dialogs/HelpLinks.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/skin/SkinLook.h"
#include "skin/SkinFile.h"
#include "skin/SkinPalette.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QTest>
#include <QTextDocumentFragment>

TEST(AboutBoxTest, CaptionLabelsAndFonts)
{
    RecordingShell shell;
    Tfm_about about(shell, nullptr);
    EXPECT_EQ(about.windowTitle(), "fm_about");
    EXPECT_EQ(about.size(), QSize(262, 272));
    EXPECT_EQ(about.Label45->text(), "Vessimo");
    EXPECT_TRUE(about.Label45->font().bold());
    EXPECT_EQ(about.Label45->font().pixelSize(), 13);
    EXPECT_EQ(about.Label46->text(), "Version: ");
    EXPECT_EQ(about.Label47->text(), "3.00 (" + ProgramVersion() + ")");
    EXPECT_FALSE(ProgramVersion().isEmpty());
    EXPECT_EQ(about.Label48->text(), "Cut a new small file from a large audio file. ");
    EXPECT_EQ(about.Label49->text(), "Website:  ");
    EXPECT_EQ(about.Label50->text(), "E-mail:  ");
    for (QLabel* l : {about.Label46, about.Label49, about.Label50})
        EXPECT_EQ(l->font().pixelSize(), 11);
    for (QLabel* link : {about.Label2, about.Label3, about.Label4}) {
        EXPECT_TRUE(link->text().contains("color:#0000ff"));
        EXPECT_TRUE(link->text().contains("underline"));
        EXPECT_TRUE(about.pn_about->isAncestorOf(link));
    }
    EXPECT_TRUE(about.Label2->text().contains(kHomePage));
    EXPECT_TRUE(about.Label3->text().contains(kSalesMail));
    EXPECT_TRUE(about.Label4->text().contains(kSupportMail));
    EXPECT_FALSE(about.Image1->pixmap().isNull());
    // Each link sits after its caption.
    EXPECT_GE(about.Label2->x(), about.Label49->x() + about.Label49->width());
    EXPECT_GE(about.Label3->x(), about.Label50->x() + about.Label50->width());
    // The links form one column and stay inside the box.
    EXPECT_EQ(about.Label3->x(), about.Label2->x());
    EXPECT_EQ(about.Label4->x(), about.Label2->x());
    EXPECT_GT(about.Label4->y(), about.Label3->y() + about.Label3->height() / 2);
    for (QLabel* l : about.pn_about->findChildren<QLabel*>())
        EXPECT_TRUE(about.pn_about->contentsRect().contains(l->geometry()))
            << qPrintable(l->text());
    // With room to spare: a desktop's font hinting draws the text wider than
    // a test's does.
    for (QLabel* link : {about.Label2, about.Label3, about.Label4}) {
        const QString shown = QTextDocumentFragment::fromHtml(link->text()).toPlainText();
        EXPECT_LE(link->x() + link->fontMetrics().horizontalAdvance(shown) * 1.1,
                  about.pn_about->contentsRect().right())
            << qPrintable(shown);
    }
}

TEST(AboutBoxTest, IsNotModalAndASecondShowOnlyBringsItForward)
{
    RecordingShell shell;
    QWidget mainWindow;
    mainWindow.move(200, 150);
    mainWindow.resize(521, 380);
    mainWindow.show();
    Tfm_about about(shell, &mainWindow);

    about.showOrRaise();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(about.pos(), mainWindow.pos() + QPoint(10, 10));
    EXPECT_EQ(about.geometry().topLeft(), mainWindow.geometry().topLeft() + QPoint(10, 10));

    about.move(400, 300); // the user moved it
    about.showOrRaise();
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(about.pos(), QPoint(400, 300)) << "an open box is only brought forward";
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        shown += qobject_cast<Tfm_about*>(w) && w->isVisible();
    EXPECT_EQ(shown, 1);

    about.setWindowState(about.windowState() | Qt::WindowMinimized);
    about.showOrRaise();
    EXPECT_FALSE(about.isMinimized()) << "a minimised box comes back";
    EXPECT_TRUE(about.isVisible());
}

TEST(AboutBoxTest, LinksOpenTheSiteAndStartMails)
{
    RecordingShell shell;
    Tfm_about about(shell, nullptr);
    emit about.Label2->linkActivated(kHomePage);
    emit about.Label3->linkActivated(kSalesMail);
    emit about.Label4->linkActivated(kSupportMail);
    EXPECT_EQ(shell.calls,
              QStringList({"web:" + kHomePage, "mail:" + kSalesMail, "mail:" + kSupportMail}));
}

// The links are reached by keyboard and by assistive technology: focusable,
// announced as links named by their addresses, with an action that follows
// them as a click does.
TEST(AboutBoxTest, LinksAreFocusableLinksWithAnAction)
{
    RecordingShell shell;
    Tfm_about about(shell, nullptr);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const QList<QPair<QLabel*, QString>> links{{about.Label2, "web:" + kHomePage},
                                               {about.Label3, "mail:" + kSalesMail},
                                               {about.Label4, "mail:" + kSupportMail}};
    for (const auto& [label, call] : links) {
        SCOPED_TRACE(call.toStdString());
        EXPECT_TRUE(label->focusPolicy() & Qt::TabFocus);
        EXPECT_TRUE(label->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(label);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->role(), QAccessible::Link);
        EXPECT_EQ(link->text(QAccessible::Name), call.section(':', 1));
        QAccessibleActionInterface* action = link->actionInterface();
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
        shell.calls.clear();
        action->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(shell.calls.isEmpty()) << "queued: the caller does not wait";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shell.calls.isEmpty(); }));
        EXPECT_EQ(shell.calls, QStringList{call});
    }
    // Tab walks from link to link (a first Tab may settle on the link inside
    // the label that has the focus).
    about.Label2->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(about.Label2->hasFocus());
    for (int i = 0; i < 2 && !about.Label3->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(about.Label3->hasFocus());
}

// With the skin's look, the about box, message boxes and menus share the
// front panel's colours: its links in the palette's link blue, readable on
// the dark background, instead of a fixed blue meant for a light one.
TEST(AboutBoxTest, TheSkinsLookReachesTheBoxMessagesAndMenus)
{
    const QPalette before = QApplication::palette();
    const SkinPalette colours =
        PaletteOf(LoadSkinDocument(testsupport::sourceDir() + "/skin/vessimo.skin"));
    ApplySkinLook(colours);
    {
        RecordingShell shell;
        Tfm_about about(shell, nullptr);
        EXPECT_EQ(about.palette().color(QPalette::Window).name(), colours.window);
        EXPECT_TRUE(about.Label2->text().contains("color:" + colours.link));
        EXPECT_EQ(about.Label48->palette().color(QPalette::WindowText).name(), colours.link);
        QMessageBox box(QMessageBox::Information, "Vessimo", "text", QMessageBox::Ok);
        EXPECT_EQ(box.palette().color(QPalette::Window).name(), colours.window);
        EXPECT_EQ(box.palette().color(QPalette::WindowText).name(), colours.windowText);
        QMenu menu;
        EXPECT_EQ(menu.palette().color(QPalette::Highlight).name(), colours.highlight);
        EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
    }
    QApplication::setPalette(before);
}
