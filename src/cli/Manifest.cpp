// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Manifest.h"

#include "base/Error.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace cli {

namespace {

QJsonObject toJson(const ManifestEntry& e)
{
    return QJsonObject{
        {QStringLiteral("source"), e.source},
        {QStringLiteral("begin"), double(e.beginMs) / 1000.0},
        {QStringLiteral("end"), double(e.endMs) / 1000.0},
        {QStringLiteral("beginFrame"), qint64(e.beginFrame)},
        {QStringLiteral("endFrame"), qint64(e.endFrame)},
        {QStringLiteral("output"), e.output},
        {QStringLiteral("size"), qint64(e.size)},
        {QStringLiteral("sha256"), QString::fromLatin1(e.sha256)},
    };
}

bool fromJson(const QByteArray& line, ManifestEntry& e)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    if (!o.value(QStringLiteral("output")).isString() ||
        !o.value(QStringLiteral("sha256")).isString())
        return false;
    e.source = o.value(QStringLiteral("source")).toString();
    e.output = o.value(QStringLiteral("output")).toString();
    e.beginMs = std::llround(o.value(QStringLiteral("begin")).toDouble() * 1000.0);
    e.endMs = std::llround(o.value(QStringLiteral("end")).toDouble() * 1000.0);
    e.beginFrame = o.value(QStringLiteral("beginFrame")).toInteger();
    e.endFrame = o.value(QStringLiteral("endFrame")).toInteger();
    e.size = o.value(QStringLiteral("size")).toInteger(-1);
    e.sha256 = o.value(QStringLiteral("sha256")).toString().toLatin1();
    return true;
}

} // namespace

bool ManifestEntry::isFor(const QString& src, const QString& out, int64_t begin, int64_t end) const
{
    return output == out && source == src && beginMs == begin && endMs == end;
}

Manifest::Manifest(QString path) : m_path(std::move(path))
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Cannot read the manifest %1: %2").arg(m_path, file.errorString()));
    while (!file.atEnd()) {
        ManifestEntry e;
        if (fromJson(file.readLine(), e))
            m_last.insert(e.output, e);
    }
}

const ManifestEntry* Manifest::entryFor(const QString& output) const
{
    const auto it = m_last.constFind(output);
    return it == m_last.constEnd() ? nullptr : &*it;
}

bool Manifest::holds(const ManifestEntry& entry, const QString& file) const
{
    int64_t size = 0;
    QByteArray sha;
    return measure(file, size, sha) && size == entry.size && sha == entry.sha256;
}

void Manifest::append(const ManifestEntry& entry)
{
    const std::lock_guard<std::mutex> lock(m_appending);
    const QByteArray line =
        QJsonDocument(toJson(entry)).toJson(QJsonDocument::Compact) + QByteArrayLiteral("\n");
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw Error(QStringLiteral("Cannot write the manifest %1: %2")
                        .arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
    ssize_t n;
    do
        n = ::write(fd, line.constData(), size_t(line.size()));
    while (n < 0 && errno == EINTR);
    const int writeError = n < 0 ? errno : 0;
    // The line must outlast a crash of the machine as much as the output it
    // records, which is put in place right after it.
    const bool synced = n == line.size() && ::fdatasync(fd) == 0;
    ::close(fd);
    if (n != line.size() || !synced)
        throw Error(QStringLiteral("Cannot write the manifest %1: %2")
                        .arg(m_path, writeError
                                         ? QString::fromLocal8Bit(std::strerror(writeError))
                                         : QStringLiteral("the line was not written whole")));
    m_last.insert(entry.output, entry);
}

bool Manifest::measure(const QString& path, int64_t& size, QByteArray& sha256)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return false;
    size = file.size();
    sha256 = hash.result().toHex();
    return true;
}

} // namespace cli
