#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

SingleInstance::SingleInstance(const QString& title) : m_lock(lockPath(title))
{
    // A running instance may run for days; only a dead owner makes the lock stale.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    if (m_lock.tryLock(0))
        return true;
    // Qt judges a lock by the process it names. A lock it cannot judge, left
    // empty by a crash as it was being written or named after another host
    // name, would block every later start. Removing it fails while a live
    // holder keeps the file open, so a running instance is never pushed out.
    qint64 pid = 0;
    QString host;
    QString app;
    if (m_lock.error() != QLockFile::LockFailedError)
        return false;
    if (m_lock.getLockInfo(&pid, &host, &app) && host == QSysInfo::machineHostName())
        return false;
    return m_lock.removeStaleLockFile() && m_lock.tryLock(0);
}

QString SingleInstance::lockPath(const QString& title)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(title + QStringLiteral(".lock"));
}
