// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <utility>

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
// The running instance's answer once it has taken the files.
const QByteArray kTaken = QByteArrayLiteral("taken\n");

// Why `folder` is not private to this user, or nothing when it is.
QString notPrivate(const QString& folder)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("it is not a folder");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if ((info.st_mode & 077) != 0)
        return QStringLiteral("other users have access to it");
    return {};
}

// Whether the process at the other end of a local socket runs as this user.
bool peerIsThisUser(qintptr socket)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

} // namespace

SingleInstance::SingleInstance(const QString& title, QObject* parent)
    : QObject(parent), m_title(title)
{
    const QString path = lockPath(title);
    if (path.isEmpty())
        return;
    m_lock = std::make_unique<QLockFile>(path);
    // A running instance may run for days; only a dead owner makes the lock stale.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::runtimeFolder(QString* why)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && notPrivate(runtime).isEmpty())
        return runtime;
    // Named after the host: a home folder shared between machines must not
    // let one machine's lock stand for another's.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString folder =
        cache + QStringLiteral("/vessimo/runtime-") + QSysInfo::machineHostName();
    if (!cache.isEmpty() && QDir().mkpath(QFileInfo(folder).absolutePath()))
        ::mkdir(QFile::encodeName(folder).constData(), 0700);
    const QString problem =
        cache.isEmpty() ? QStringLiteral("there is no cache folder") : notPrivate(folder);
    if (problem.isEmpty())
        return folder;
    if (why)
        *why = QStringLiteral("no private folder for the lock: %1: %2").arg(folder, problem);
    return {};
}

bool SingleInstance::acquire()
{
    if (!m_lock)
        return true; // no private folder: the program runs on its own
    QLockFile& lock = *m_lock;
    if (lock.tryLock(0))
        return true;
    // Qt judges a lock by the process it names. A lock it cannot judge, left
    // empty by a crash as it was being written or named after another host
    // name, would block every later start. Removing it fails while a live
    // holder keeps the file open, so a running instance is never pushed out.
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock.error() != QLockFile::LockFailedError)
        return false;
    if (lock.getLockInfo(&pid, &host, &app) && host == QSysInfo::machineHostName())
        return false;
    return lock.removeStaleLockFile() && lock.tryLock(0);
}

bool SingleInstance::listen()
{
    if (m_server)
        return m_server->isListening();
    if (!m_lock) {
        QString why;
        runtimeFolder(&why);
        m_error = why + QStringLiteral("; another Vessimo may start beside this one");
        return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours, so a socket left there belongs to a crashed instance.
    QLocalServer::removeServer(channelPath(m_title));
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!peerIsThisUser(socket->socketDescriptor())) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { receive(socket); });
            receive(socket);
        }
    });
    if (m_server->listen(channelPath(m_title)))
        return true;
    m_error = m_server->errorString();
    return false;
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
    const QString channel = channelPath(title);
    if (channel.isEmpty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance opens the channel just after it has started.
    for (;;) {
        socket.connectToServer(channel);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    // The paths go to nobody but this user's own instance.
    if (!peerIsThisUser(socket.socketDescriptor()))
        return false;
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
    // Qt's own options that take the next argument as their value; a later
    // start reads its arguments before Qt has taken them out, and must not
    // hand "fusion" of "-style fusion" over as a file. Qt takes them with
    // one dash or two.
    static const QStringList withValue{
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("display"),         QStringLiteral("name"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
        QStringLiteral("title"),           QStringLiteral("geometry"),
    };
    QStringList files;
    bool options = true;
    bool value = false; // the argument is the value of the option before it
    const QDir dir(workingDir);
    for (const QString& argument : arguments) {
        if (std::exchange(value, false))
            continue;
        if (options && argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && argument.startsWith(QLatin1Char('-'))) {
            const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
            value = withValue.contains(name);
            continue;
        }
        if (argument.isEmpty())
            continue;
        files << QDir::cleanPath(dir.absoluteFilePath(argument));
    }
    return files;
}

QString SingleInstance::lockPath(const QString& title)
{
    const QString folder = runtimeFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(title + QStringLiteral(".lock"));
}

QString SingleInstance::channelPath(const QString& title)
{
    const QString folder = runtimeFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(title + QStringLiteral(".socket"));
}
