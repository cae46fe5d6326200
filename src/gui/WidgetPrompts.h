// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Prompts.h"

#include <QMap>
#include <QPointer>
#include <QWidget>

class QDialog;
class SessionState;
class Tfm_dir;

// The prompts as the user sees them: message boxes, file dialogs and the
// program's own dialogs, owned by the main window.
//
// A job runs on the window's thread and goes on only while the event loop
// it pumps gets back to it; a dialog waited for in a nested loop would halt
// it unseen. So while a job runs, the message boxes and the program's own
// dialogs show without being waited for (still modal, so the user answers
// them before anything else), and the job goes on behind them.
class WidgetPrompts : public Prompts {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }
    // The run state that tells whether a job runs.
    void setState(const SessionState* state) { m_state = state; }
    void setFolderChooser(Tfm_dir* chooser);
    void setDialog(Dialog which, QDialog* dialog);

    void information(const QString& text) override;
    void error(const QString& text) override;
    bool question(const QString& text) override;
    QStringList openFiles(const QString& filter) override;
    SaveChoice joinTarget(const QString& filter, int filterIndex, const QString& folder) override;
    QString chooseFolder(const QString& caption) override;
    void showModal(Dialog dialog) override;

private:
    bool jobRunning() const;
    void message(int icon, const QString& text);

    QPointer<QWidget> m_owner;
    const SessionState* m_state = nullptr;
    QPointer<Tfm_dir> m_folderChooser;
    QMap<Dialog, QPointer<QDialog>> m_dialogs;
};
