// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr size_t bufferSize = 1 << 16;

// The permissions a newly created file gets (mkstemp's are owner-only).
mode_t newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The hidden name adds eight bytes to the target's; a target whose name is
// near the file system's limit gets a shortened hidden name.
QByteArray hiddenPattern(const QString& path)
{
    const QFileInfo info(path);
    constexpr qsizetype maxHiddenBase = NAME_MAX - 8;
    QString base = info.fileName();
    while (QFile::encodeName(base).size() > maxHiddenBase) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + base +
                             QStringLiteral(".XXXXXX"));
}

// A file descriptor closed on every path out.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

bool writeFully(int fd, const char* data, size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
        offset += written;
    }
    return true;
}

// Reads up to size bytes; fewer only at the end of the file.
ssize_t readFully(int fd, char* data, size_t size, off_t offset)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, data + done, size - done, offset + off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += size_t(got);
    }
    return ssize_t(done);
}

// An unnamed file in the system's temporary folder, gone when closed.
int scratchFile()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/vessimo.XXXXXX"));
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0)
        ::unlink(pattern.constData());
    return fd;
}

// Forwards a device's writes to a safe file.
class SafeFileDevice : public QIODevice {
public:
    explicit SafeFileDevice(SafeFile& file) : m_file(file) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        Q_UNUSED(data);
        Q_UNUSED(maxSize);
        return -1;
    }
    qint64 writeData(const char* data, qint64 size) override
    {
        try {
            m_file.write(data, size_t(size));
            return size;
        } catch (const SafeFileError& e) {
            setErrorString(e.cause());
            return -1;
        }
    }

private:
    SafeFile& m_file;
};

} // namespace

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

SafeFileError::SafeFileError(const QString& path, const QString& cause)
    : Error(QStringLiteral("Cannot write %1: %2").arg(path, cause)), m_path(path), m_cause(cause)
{
}

SafeFile::SafeFile(QString target, Target kind) : m_target(std::move(target)), m_kind(kind)
{
    if (kind == Target::Existing) {
        openExisting();
        return;
    }
    checkNewTarget(m_target);
    m_finalPath = QFile::encodeName(m_target);
    const int fd = createBeside();
    if (fd < 0)
        fail(errnoText(errno));
    ::fchmod(fd, newFileMode());
    adopt(fd);
}

void SafeFile::openExisting()
{
    // Through a symbolic link the file it points to is rewritten, and the
    // link stays.
    const QString real = QFileInfo(m_target).canonicalFilePath();
    m_finalPath = QFile::encodeName(real.isEmpty() ? m_target : real);
    if (::stat(m_finalPath.constData(), &m_old) != 0)
        fail(errnoText(errno));
    if (!S_ISREG(m_old.st_mode))
        fail(QStringLiteral("it is not a regular file"));

    // Why a new file put in place by a rename would not do.
    QString reason;
    if (m_old.st_nlink > 1) {
        reason = QStringLiteral("it has other hard links, which only a write in place keeps");
    } else {
        Descriptor fd(createBeside());
        if (fd.get() >= 0) {
            // Only root may give a file away. The owner goes first because
            // a change of owner clears the set-id bits.
            struct stat made {};
            if (::fstat(fd.get(), &made) == 0 &&
                ((made.st_uid == m_old.st_uid && made.st_gid == m_old.st_gid) ||
                 ::fchown(fd.get(), m_old.st_uid, m_old.st_gid) == 0)) {
                adopt(fd.release());
                return;
            }
            ::unlink(m_tempPath.constData());
            m_tempPath.clear();
            reason = QStringLiteral(
                "it belongs to another user or group, which only a write in place keeps");
        } else if (errno == EACCES || errno == EPERM || errno == EROFS) {
            reason = QStringLiteral("no file can be created beside it (%1)").arg(errnoText(errno));
        } else {
            fail(QStringLiteral("cannot create a temporary file beside it: %1")
                     .arg(errnoText(errno)));
        }
    }

    // Written in place: the file must take writing, and the new content is
    // collected in a scratch file until commit().
    const int probe = ::open(m_finalPath.constData(), O_WRONLY | O_CLOEXEC);
    if (probe < 0)
        fail(QStringLiteral("%1, and the file itself cannot be written (%2); the folder must be "
                            "writable")
                 .arg(reason, errnoText(errno)));
    ::close(probe);
    const int scratch = scratchFile();
    if (scratch < 0)
        fail(QStringLiteral("%1, and no scratch file can be created in %2: %3")
                 .arg(reason, QDir::tempPath(), errnoText(errno)));
    m_inPlace = true;
    adopt(scratch);
}

int SafeFile::createBeside()
{
    UnfinishedFile name(hiddenPattern(QFile::decodeName(m_finalPath)));
    const int fd = ::mkstemp(name.data());
    const int error = errno;
    if (fd >= 0)
        m_tempPath = std::move(name);
    errno = error;
    return fd;
}

void SafeFile::adopt(int fd)
{
    m_file = ::fdopen(fd, "w+b");
    if (!m_file) {
        const int error = errno;
        ::close(fd);
        if (!m_tempPath.isEmpty())
            ::unlink(m_tempPath.constData());
        fail(errnoText(error));
    }
    std::setvbuf(m_file, nullptr, _IOFBF, bufferSize);
}

SafeFile::~SafeFile()
{
    if (m_file)
        discard();
}

void SafeFile::discard()
{
    std::fclose(m_file);
    m_file = nullptr;
    if (!m_tempPath.isEmpty())
        ::unlink(m_tempPath.constData());
}

void SafeFile::fail(const QString& cause) const
{
    throw SafeFileError(m_target, cause);
}

void SafeFile::checkNewTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        throw SafeFileError(path, QStringLiteral("no file name is given"));
    if (info.isDir())
        throw SafeFileError(path, QStringLiteral("a folder of that name exists"));
    if (!info.absoluteDir().exists())
        throw SafeFileError(path, QStringLiteral("the folder does not exist"));
    // Refused now rather than by the rename that completes the file.
    if (QFile::encodeName(info.fileName()).size() > NAME_MAX)
        throw SafeFileError(path, errnoText(ENAMETOOLONG));
}

void SafeFile::write(const void* data, size_t size)
{
    if (size > 0 && std::fwrite(data, 1, size, m_file) != size)
        fail(errnoText(errno));
}

void SafeFile::copyRest(QIODevice& source)
{
    QByteArray block(qsizetype(bufferSize), Qt::Uninitialized);
    for (;;) {
        const qint64 got = source.read(block.data(), block.size());
        if (got < 0)
            fail(source.errorString());
        if (got == 0)
            return;
        write(block.constData(), size_t(got));
    }
}

QIODevice& SafeFile::device()
{
    if (!m_device)
        m_device = std::make_unique<SafeFileDevice>(*this);
    return *m_device;
}

void SafeFile::seek(int64_t offset)
{
    if (fseeko(m_file, off_t(offset), SEEK_SET) != 0)
        fail(errnoText(errno));
}

void SafeFile::seekToEnd()
{
    if (fseeko(m_file, 0, SEEK_END) != 0)
        fail(errnoText(errno));
}

int64_t SafeFile::position() const
{
    return int64_t(ftello(m_file));
}

void SafeFile::commit()
{
    if (std::fflush(m_file) != 0) {
        const int error = errno;
        discard();
        fail(errnoText(error));
    }
    if (m_inPlace) {
        commitInPlace();
        return;
    }
    const int fd = fileno(m_file);
    int error = 0;
    if (m_kind == Target::Existing) {
        // Rewritten files are synced before the rename, so that a crash
        // leaves either the old content or the new, never an empty file.
        if (::fchmod(fd, m_old.st_mode & 07777) != 0 || ::fsync(fd) != 0)
            error = errno;
    }
    const int closed = std::fclose(m_file);
    m_file = nullptr;
    if (!error && closed != 0)
        error = errno;
    if (!error && std::rename(m_tempPath.constData(), m_finalPath.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(m_tempPath.constData());
        fail(errnoText(error));
    }
    m_tempPath.clear();
}

void SafeFile::commitInPlace()
{
    // The scratch file is closed, and so removed, on every way out.
    struct Closer {
        std::FILE*& file;
        ~Closer()
        {
            std::fclose(file);
            file = nullptr;
        }
    } closer{m_file};
    const int scratch = fileno(m_file);
    const off_t newSize = ::lseek(scratch, 0, SEEK_END);
    if (newSize < 0)
        fail(errnoText(errno));

    Descriptor target(::open(m_finalPath.constData(), O_RDWR | O_CLOEXEC));
    struct stat now {};
    if (target.get() < 0 || ::fstat(target.get(), &now) != 0)
        fail(errnoText(errno));
    if (now.st_ino != m_old.st_ino || now.st_dev != m_old.st_dev)
        fail(QStringLiteral("the file was replaced while it was being written"));
    const off_t oldSize = now.st_size;

    // Room for a longer content is taken before anything is overwritten,
    // so that a full disk is found while the old content is still whole.
    if (newSize > oldSize) {
        const int error = ::posix_fallocate(target.get(), oldSize, newSize - oldSize);
        if (error != 0) {
            if (::ftruncate(target.get(), oldSize) != 0) {
            }
            fail(errnoText(error));
        }
    }

    // Blocks that differ are overwritten one at a time, each after its old
    // bytes were kept in a second scratch file, so that a failure half way
    // can put them back.
    Descriptor backup(scratchFile());
    if (backup.get() < 0)
        fail(QStringLiteral("no scratch file can be created in %1: %2")
                 .arg(QDir::tempPath(), errnoText(errno)));
    std::vector<off_t> saved; // offsets of the blocks kept, in backup order
    const auto restore = [&] {
        std::vector<char> block(bufferSize);
        for (size_t i = 0; i < saved.size(); ++i) {
            const ssize_t got =
                readFully(backup.get(), block.data(), bufferSize, off_t(i) * off_t(bufferSize));
            if (got > 0)
                writeFully(target.get(), block.data(), size_t(got), saved[i]);
        }
        if (::ftruncate(target.get(), oldSize) != 0) {
        }
        ::fsync(target.get());
    };
    const auto failRestoring = [&](const QString& cause) {
        restore();
        fail(cause);
    };

    std::vector<char> fresh(bufferSize);
    std::vector<char> old(bufferSize);
    for (off_t offset = 0; offset < newSize; offset += off_t(bufferSize)) {
        const size_t length = size_t(std::min<off_t>(off_t(bufferSize), newSize - offset));
        if (readFully(scratch, fresh.data(), length, offset) != ssize_t(length))
            failRestoring(errnoText(errno));
        const ssize_t oldLength =
            offset < oldSize ? readFully(target.get(), old.data(), length, offset) : 0;
        if (oldLength < 0)
            failRestoring(errnoText(errno));
        if (size_t(oldLength) == length && std::memcmp(old.data(), fresh.data(), length) == 0)
            continue;
        if (oldLength > 0) {
            if (!writeFully(backup.get(), old.data(), size_t(oldLength),
                            off_t(saved.size()) * off_t(bufferSize)))
                failRestoring(
                    QStringLiteral("cannot keep the old content aside: %1").arg(errnoText(errno)));
            saved.push_back(offset);
        }
        if (!writeFully(target.get(), fresh.data(), length, offset))
            failRestoring(errnoText(errno));
    }
    if (newSize < oldSize && ::ftruncate(target.get(), newSize) != 0)
        failRestoring(errnoText(errno));
    if (::fsync(target.get()) != 0)
        failRestoring(errnoText(errno));
}
