// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OutputFolderBox.h"

#include "base/Prompts.h"
#include "dialogs/OutputFolder.h"
#include "settings/Options.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {

// The folder as the options keep it: with a trailing separator.
QString withSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool writable(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

OutputFolderBox::OutputFolderBox(Options& options, IniFile& ini, Prompts& prompts)
    : m_options(options), m_ini(ini), m_prompts(prompts)
{
}

QString OutputFolderBox::usableFolder(const QString& typed, QString& why)
{
    QString path = typed.trimmed();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    if (path.isEmpty()) {
        why = QStringLiteral("The output folder box is empty.");
        return {};
    }
    if (!QDir::isAbsolutePath(path)) {
        why = QStringLiteral("\"%1\" is not a whole path: type the folder's path from the "
                             "beginning, starting with \"/\", or choose it with the folder "
                             "button.")
                  .arg(typed);
        return {};
    }
    path = QDir::cleanPath(path);
    const QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        why = QStringLiteral("\"%1\" is a file, not a folder.").arg(path);
        return {};
    }
    if (!info.exists()) {
        if (!m_prompts.question(
                QStringLiteral("The folder \"%1\" does not exist. Create it?").arg(path)))
            return {}; // the user said why
        if (!QDir().mkpath(path)) {
            why = QStringLiteral("The folder \"%1\" cannot be created.").arg(path);
            return {};
        }
    }
    if (!writable(path)) {
        why = QStringLiteral("The folder \"%1\" cannot be written to.").arg(path);
        return {};
    }
    return path;
}

bool OutputFolderBox::applyTyped()
{
    if (m_applying || !m_box.text || !m_box.typed || !m_box.show || !m_box.typed())
        return false;
    m_applying = true;
    const QString typed = m_box.text();
    bool changed = false;
    try {
        QString why;
        const QString folder = typed.trimmed().isEmpty() ? QString() : usableFolder(typed, why);
        if (typed.trimmed().isEmpty()) {
            // Emptied: nothing to apply, and nothing to complain about.
        } else if (!folder.isEmpty()) {
            if (withSeparator(folder) != m_options.outputDir) {
                ConfirmOutputFolder(folder, m_options, m_ini, {});
                changed = true;
            }
        } else if (!why.isEmpty()) {
            m_prompts.information(
                why + QStringLiteral("\nThe output folder stays %1.").arg(m_options.outputDir));
        }
    } catch (const std::exception& e) {
        m_prompts.information(
            QString::fromUtf8(e.what()) +
            QStringLiteral("\nThe output folder stays %1.").arg(m_options.outputDir));
    }
    // What the box shows is where the pieces go.
    m_box.show(m_options.outputDir);
    m_applying = false;
    return changed;
}
