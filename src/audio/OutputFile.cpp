#include "audio/OutputFile.h"

#include "audio/AudioError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The permissions a newly created file gets (mkstemp's are owner-only).
mode_t newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

OutputFile::OutputFile(QString path) : m_path(std::move(path))
{
    checkTarget(m_path);
    const QFileInfo info(m_path);
    // The hidden name adds eight bytes to the target's; a target whose name
    // is near the file system's limit gets a shortened hidden name.
    constexpr qsizetype kMaxHiddenBase = NAME_MAX - 8;
    QString base = info.fileName();
    while (QFile::encodeName(base).size() > kMaxHiddenBase) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    m_partPath = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + base +
                                   QStringLiteral(".XXXXXX"));
    const int fd = mkstemp(m_partPath.data());
    if (fd < 0)
        fail(systemError());
    fchmod(fd, newFileMode());
    m_file = fdopen(fd, "wb");
    if (!m_file) {
        const QString cause = systemError();
        ::close(fd);
        std::remove(m_partPath.constData());
        fail(cause);
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
}

OutputFile::~OutputFile()
{
    if (m_file)
        discard();
}

void OutputFile::discard()
{
    std::fclose(m_file);
    m_file = nullptr;
    std::remove(m_partPath.constData());
}

void OutputFile::failFor(const QString& path, const QString& cause)
{
    throw OutputWriteError(QStringLiteral("Cannot write %1: %2").arg(path, cause));
}

void OutputFile::checkTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        failFor(path, QStringLiteral("no file name is given"));
    if (info.isDir())
        failFor(path, QStringLiteral("a folder of that name exists"));
    if (!info.absoluteDir().exists())
        failFor(path, QStringLiteral("the folder does not exist"));
    // Refused now rather than by the rename that completes the file.
    if (QFile::encodeName(info.fileName()).size() > NAME_MAX)
        failFor(path, QString::fromLocal8Bit(std::strerror(ENAMETOOLONG)));
}

void OutputFile::write(const void* data, size_t size)
{
    if (size > 0 && std::fwrite(data, 1, size, m_file) != size)
        fail(systemError());
}

void OutputFile::seek(int64_t offset)
{
    if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0)
        fail(systemError());
}

void OutputFile::seekToEnd()
{
    if (fseeko(m_file, 0, SEEK_END) != 0)
        fail(systemError());
}

int64_t OutputFile::position() const
{
    return static_cast<int64_t>(ftello(m_file));
}

void OutputFile::close()
{
    if (std::fflush(m_file) != 0) {
        const QString cause = systemError();
        discard();
        fail(cause);
    }
    const int closed = std::fclose(m_file);
    m_file = nullptr;
    if (closed != 0 ||
        std::rename(m_partPath.constData(), QFile::encodeName(m_path).constData()) != 0) {
        const QString cause = systemError();
        std::remove(m_partPath.constData());
        fail(cause);
    }
}
