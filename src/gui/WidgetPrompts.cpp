#include "gui/WidgetPrompts.h"

#include "gui/dialogs/Tfm_dir.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
const QString kBoxTitle = QStringLiteral("Vessimo");

// "Text|*.a;*.b|..." pairs as Qt's dialogs take them: "Text (*.a *.b);;...".
QString qtFilter(const QString& filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString text = parts[i];
        // A text that shows its patterns already keeps them, spaced as Qt reads them.
        const qsizetype open = text.indexOf(QLatin1Char('('));
        if (open >= 0)
            text = text.left(open).trimmed();
        filters << text + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}
} // namespace

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
    return QFileDialog::getOpenFileNames(m_owner, QString(), QString(), qtFilter(filter));
}

QString WidgetPrompts::joinTarget(const QString& filter)
{
    return QFileDialog::getSaveFileName(m_owner, QString(), QString(), qtFilter(filter));
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
