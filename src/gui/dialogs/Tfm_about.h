// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class Shell;

// The about box: name, version, purpose and the maker's links. Not modal.
class Tfm_about : public QDialog {
    Q_OBJECT
public:
    Tfm_about(Shell& shell, QWidget* mainWindow);

    // Shows the box, or brings it forward when it is open already.
    void showOrRaise();

    void Label2Click();
    void Label3Click();
    void Label4Click();

    QGroupBox* pn_about;
    QLabel* Image1;
    QLabel* Label45;
    QLabel* Label46;
    QLabel* Label47;
    QLabel* Label48;
    QLabel* Label49;
    QLabel* Label50;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;

protected:
    void showEvent(QShowEvent* event) override;

private:
    static void setLink(QLabel* label, const QString& target);

    Shell& m_shell;
    QWidget* m_mainWindow;
};
