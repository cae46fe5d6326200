#include "gui/WidgetPrompts.h"

#include "gui/dialogs/Tfm_dir.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
const QString kBoxTitle = QStringLiteral("Vessimo");
}

void WidgetPrompts::setFolderChooser(Tfm_dir* chooser)
{
    m_folderChooser = chooser;
}

void WidgetPrompts::setDialog(Dialog which, QDialog* dialog)
{
    m_dialogs.insert(which, dialog);
}

void WidgetPrompts::information(const QString& text)
{
    QMessageBox::information(m_owner, kBoxTitle, text, QMessageBox::Ok);
}

void WidgetPrompts::error(const QString& text)
{
    QMessageBox::critical(m_owner, kBoxTitle, text, QMessageBox::Ok);
}

QStringList WidgetPrompts::openFiles(const QString& filter)
{
    return QFileDialog::getOpenFileNames(m_owner, QString(), QString(), filter);
}

QString WidgetPrompts::joinTarget(const QString& filter)
{
    return QFileDialog::getSaveFileName(m_owner, QString(), QString(), filter);
}

QString WidgetPrompts::chooseFolder(const QString& caption)
{
    if (!m_folderChooser)
        return {};
    m_folderChooser->setWindowTitle(caption);
    m_folderChooser->exec();
    return m_folderChooser->ChosenFolder();
}

void WidgetPrompts::showModal(Dialog dialog)
{
    const QPointer<QDialog> d = m_dialogs.value(dialog);
    if (d)
        d->exec();
}
