#pragma once

#include "base/Prompts.h"

#include <QMap>
#include <QPointer>
#include <QWidget>

class QDialog;
class Tfm_dir;

// The prompts as the user sees them: message boxes, file dialogs and the
// program's own dialogs, owned by the main window.
class WidgetPrompts : public Prompts {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }
    void setFolderChooser(Tfm_dir* chooser);
    void setDialog(Dialog which, QDialog* dialog);

    void information(const QString& text) override;
    void error(const QString& text) override;
    QStringList openFiles(const QString& filter) override;
    SaveChoice joinTarget(const QString& filter, int filterIndex, const QString& folder) override;
    QString chooseFolder(const QString& caption) override;
    void showModal(Dialog dialog) override;

private:
    QPointer<QWidget> m_owner;
    QPointer<Tfm_dir> m_folderChooser;
    QMap<Dialog, QPointer<QDialog>> m_dialogs;
};
