#include "components/OutputFile.h"

#include "components/AudioError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

OutputFile::OutputFile(QString path) : m_path(std::move(path))
{
    checkTarget(m_path);
    m_file = std::fopen(QFile::encodeName(m_path).constData(), "wb");
    if (!m_file)
        fail(systemError());
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
}

OutputFile::~OutputFile()
{
    if (m_file) {
        std::fclose(m_file);
        QFile::remove(m_path);
    }
}

void OutputFile::failFor(const QString& path, const QString& cause)
{
    throw AudioError(QStringLiteral("Cannot write %1: %2").arg(path, cause));
}

void OutputFile::checkTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        failFor(path, QStringLiteral("a folder of that name exists"));
    if (!info.absoluteDir().exists())
        failFor(path, QStringLiteral("the folder does not exist"));
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

int64_t OutputFile::position() const
{
    return static_cast<int64_t>(ftello(m_file));
}

void OutputFile::close()
{
    std::FILE* file = m_file;
    m_file = nullptr;
    const bool flushed = std::fflush(file) == 0;
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!flushed || !closed) {
        if (!flushed)
            errno = savedErrno;
        const QString cause = systemError();
        QFile::remove(m_path);
        fail(cause);
    }
}
