#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& title) : m_lock(lockPath(title))
{
    // A running instance may run for days; only a dead owner makes the lock stale.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    return m_lock.tryLock(0);
}

QString SingleInstance::lockPath(const QString& title)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(title + QStringLiteral(".lock"));
}
