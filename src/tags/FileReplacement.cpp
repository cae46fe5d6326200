#include "tags/FileReplacement.h"

#include "tags/TagError.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

FileReplacement::FileReplacement(QString target) : m_target(std::move(target))
{
    // Through a symbolic link the file it points to is replaced, and the
    // link stays.
    if (const QString real = QFileInfo(m_target).canonicalFilePath(); !real.isEmpty())
        m_realPath = QFile::encodeName(real);
    else
        m_realPath = QFile::encodeName(m_target);
    // mkstemp in the target's own folder: a rename only replaces atomically
    // inside one file system.
    QByteArray pattern = m_realPath + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw TagError(QStringLiteral("%1: cannot create a temporary file beside it: %2")
                           .arg(m_target, errnoText(errno)));
    m_tempPath = pattern;
    if (!m_file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(pattern.constData());
        throw TagError(
            QStringLiteral("%1: cannot create a temporary file beside it").arg(m_target));
    }
}

FileReplacement::~FileReplacement()
{
    if (!m_committed) {
        m_file.close();
        ::unlink(m_tempPath.constData());
    }
}

void FileReplacement::fail(const QString& cause)
{
    throw TagError(QStringLiteral("%1: %2").arg(m_target, cause));
}

void FileReplacement::write(const char* data, qint64 size)
{
    if (m_file.write(data, size) != size)
        fail(m_file.errorString());
}

void FileReplacement::copyRest(QIODevice& source)
{
    constexpr qint64 blockSize = 1 << 16;
    QByteArray block(blockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = source.read(block.data(), blockSize);
        if (got < 0)
            fail(source.errorString());
        if (got == 0)
            return;
        write(block.constData(), got);
    }
}

void FileReplacement::commit()
{
    const QByteArray& target = m_realPath;
    struct stat old {};
    if (::stat(target.constData(), &old) != 0)
        fail(errnoText(errno));
    if (!m_file.flush())
        fail(m_file.errorString());
    const int fd = m_file.handle();
    // Only root may give a file away; for everybody else the file is theirs
    // already, so a refusal changes nothing. The owner goes first because a
    // change of owner clears the set-id bits.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        fail(errnoText(errno));
    if (::fsync(fd) != 0)
        fail(errnoText(errno));
    m_file.close();
    if (std::rename(m_tempPath.constData(), target.constData()) != 0)
        fail(errnoText(errno));
    m_committed = true;
}
