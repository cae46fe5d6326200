// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/OutputNaming.h"

#include "jobs/CleanFileName.h"

#include <QDir>
#include <QFileInfo>

namespace {

// What is left of a name once the leading dots and blanks that would hide it
// or make it look empty are dropped.
QString visible(const QString& name)
{
    qsizetype k = 0;
    while (k < name.size() && (name[k] == QLatin1Char('.') || name[k].isSpace()))
        ++k;
    return name.mid(k);
}

QString baseOf(const QString& text)
{
    const QString shown = visible(CleanFileName(text));
    const qsizetype dot = shown.indexOf(QLatin1Char('.'));
    return dot < 0 ? shown : shown.left(dot);
}

} // namespace

QString OutputNaming::BaseName(const QString& caption, const QString& sourcePath)
{
    if (const QString base = baseOf(caption); !base.isEmpty())
        return base;
    if (const QString base = baseOf(QFileInfo(sourcePath).fileName()); !base.isEmpty())
        return base;
    return QStringLiteral("audio");
}

QString OutputNaming::WithExtension(const QString& name, const QString& extension)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? name : name.left(dot)) + extension;
}

OutputNaming::OutputNaming(QString folder) : m_folder(std::move(folder))
{
    if (!m_folder.isEmpty() && !m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

QString OutputNaming::key(const QString& path)
{
    // Sources are compared by what they really are, so that a link or a
    // "./" spelling of a source is still recognised.
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

void OutputNaming::protect(const QStringList& paths)
{
    for (const QString& path : paths)
        m_protected.insert(key(path));
}

bool OutputNaming::isTaken(const QString& path) const
{
    if (!m_planOnly) {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink())
            return true;
    }
    const QString k = key(path);
    return m_protected.contains(k) || m_given.contains(k);
}

void OutputNaming::release(const QString& path)
{
    m_given.remove(key(path));
}

QString OutputNaming::search(const QString& first, const QString& stem, const QString& extension)
{
    // The number goes behind the stem with its extension already taken off,
    // so that every number gives another name and the search always ends.
    QString path = m_folder + first;
    for (qint64 k = 1; isTaken(path); ++k)
        path = m_folder + stem + QLatin1Char('_') + QString::number(k) + extension;
    m_given.insert(key(path));
    return path;
}

QString OutputNaming::choose(const QString& caption, const QString& sourcePath,
                             const QString& extension, bool numberedFirst)
{
    const QString base = BaseName(caption, sourcePath);
    return search(WithExtension(numberedFirst ? base + QStringLiteral("_1") : base, extension),
                  base, extension);
}

QString OutputNaming::chooseStem(const QString& stem, const QString& extension)
{
    return search(stem + extension, stem, extension);
}

QString OutputNaming::fallback(const QString& sourcePath, const QString& extension)
{
    QString name = visible(CleanFileName(QFileInfo(sourcePath).fileName()));
    if (WithExtension(name, QString()).isEmpty())
        name = QStringLiteral("audio");
    return search(WithExtension(name, extension), WithExtension(name, QString()), extension);
}
