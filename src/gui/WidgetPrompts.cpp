// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/WidgetPrompts.h"

#include "base/SessionState.h"
#include "gui/dialogs/Tfm_dir.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QVector>
#include <algorithm>

namespace {
const QString kBoxTitle = QStringLiteral("Vessimo");

// One file type of a "description|patterns|description|patterns" filter.
struct FileType {
    QString description;
    QString patterns; // "*.a;*.b"
};

QVector<FileType> fileTypes(const QString& filter)
{
    const QStringList fields = filter.split(QLatin1Char('|'));
    QVector<FileType> types;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        types.append({fields[i], fields[i + 1]});
    return types;
}

// "Text|*.a;*.b|..." pairs as Qt's dialogs take them: "Text (*.a *.b);;...".
QString qtFilter(const QString& filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    QStringList filters;
    for (const FileType& type : fileTypes(filter)) {
        QString patterns = type.patterns;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString text = type.description;
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

bool WidgetPrompts::jobRunning() const
{
    return m_state && m_state->JobRunning();
}

void WidgetPrompts::message(int icon, const QString& text)
{
    const auto kind = static_cast<QMessageBox::Icon>(icon);
    if (!jobRunning()) {
        QMessageBox box(kind, kBoxTitle, text, QMessageBox::Ok, m_owner);
        box.exec();
        return;
    }
    auto* box = new QMessageBox(kind, kBoxTitle, text, QMessageBox::Ok, m_owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
}

void WidgetPrompts::information(const QString& text)
{
    message(QMessageBox::Information, text);
}

void WidgetPrompts::error(const QString& text)
{
    message(QMessageBox::Critical, text);
}

bool WidgetPrompts::question(const QString& text)
{
    // An answer is needed before going on, so it is waited for even during a
    // job; the box says that the job waits.
    QString asked = text;
    if (jobRunning())
        asked += QStringLiteral("\n\nThe running job waits for your answer.");
    return QMessageBox::question(m_owner, kBoxTitle, asked, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

QStringList WidgetPrompts::openFiles(const QString& filter)
{
    return QFileDialog::getOpenFileNames(m_owner, QString(), QString(), qtFilter(filter));
}

Prompts::SaveChoice WidgetPrompts::joinTarget(const QString& filter, int filterIndex,
                                              const QString& folder)
{
    // The filter comes as "description|patterns|description|patterns";
    // Qt takes the patterns from the descriptions' parentheses.
    QStringList names;
    QStringList suffixes;
    for (const FileType& type : fileTypes(filter)) {
        names << type.description;
        suffixes << type.patterns.section(QLatin1Char('.'), -1);
    }
    QFileDialog dialog(m_owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(names);
    dialog.setDirectory(folder);
    const qsizetype chosen = std::clamp<qsizetype>(filterIndex - 1, 0, names.size() - 1);
    if (!names.isEmpty()) {
        dialog.selectNameFilter(names[chosen]);
        dialog.setDefaultSuffix(suffixes[chosen]);
    }
    // The suffix follows the file type, so the name the dialog confirms
    // before replacing a file is the name that is written.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, names, suffixes](const QString& name) {
                         const qsizetype i = names.indexOf(name);
                         if (i >= 0)
                             dialog.setDefaultSuffix(suffixes[i]);
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    SaveChoice choice;
    choice.fileName = dialog.selectedFiles().first();
    choice.filterIndex = static_cast<int>(names.indexOf(dialog.selectedNameFilter())) + 1;
    if (choice.filterIndex < 1)
        choice.filterIndex = static_cast<int>(chosen) + 1;
    return choice;
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
    if (!d)
        return;
    if (!jobRunning()) {
        d->exec();
        return;
    }
    if (d->isVisible()) {
        d->raise();
        d->activateWindow();
        return;
    }
    d->setWindowModality(Qt::ApplicationModal);
    d->show();
}
