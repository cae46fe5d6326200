#include "app/SingleInstance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
// The running instance's answer once it has taken the files.
const QByteArray kTaken = QByteArrayLiteral("taken\n");

} // namespace

SingleInstance::SingleInstance(const QString& title, QObject* parent)
    : QObject(parent), m_title(title), m_lock(lockPath(title))
{
    // A running instance may run for days; only a dead owner makes the lock stale.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

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

bool SingleInstance::listen()
{
    if (m_server)
        return m_server->isListening();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours, so a socket left there belongs to a crashed instance.
    QLocalServer::removeServer(channelPath(m_title));
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { receive(socket); });
            receive(socket);
        }
    });
    return m_server->listen(channelPath(m_title));
}

void SingleInstance::receive(QLocalSocket* socket)
{
    // The list may arrive in pieces; it is read once it is complete.
    QDataStream in(socket);
    in.setVersion(kStreamVersion);
    in.startTransaction();
    QStringList paths;
    in >> paths;
    if (!in.commitTransaction())
        return;
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    socket->write(kTaken);
    socket->flush();
    socket->disconnectFromServer();
    if (!paths.isEmpty())
        emit filesHandedOver(paths);
}

bool SingleInstance::handOver(const QString& title, const QStringList& paths, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance opens the channel just after it has started.
    for (;;) {
        socket.connectToServer(channelPath(title));
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << paths;
    socket.write(message);
    QByteArray answer;
    while (answer.size() < kTaken.size() && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        answer += socket.readAll();
    }
    return answer.startsWith(kTaken);
}

QStringList SingleInstance::filesFromArguments(const QStringList& arguments,
                                               const QString& workingDir)
{
    QStringList files;
    bool options = true;
    const QDir dir(workingDir);
    for (const QString& argument : arguments) {
        if (options && argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (argument.isEmpty() || (options && argument.startsWith(QLatin1Char('-'))))
            continue;
        files << QDir::cleanPath(dir.absoluteFilePath(argument));
    }
    return files;
}

QString SingleInstance::lockPath(const QString& title)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(title + QStringLiteral(".lock"));
}

QString SingleInstance::channelPath(const QString& title)
{
    QString path = lockPath(title);
    path.chop(static_cast<int>(QStringLiteral(".lock").size()));
    return path + QStringLiteral(".socket");
}
