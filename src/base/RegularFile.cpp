// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/RegularFile.h"

#include "base/SafeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why the opened descriptor is no file to read, or nothing when it is one.
QString refusal(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return errnoText(errno);
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is not a regular file");
    // Reads of a regular file wait for the disk like any other.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return errnoText(errno);
    return {};
}

} // namespace

bool RegularFile::open(OpenMode mode)
{
    if (isOpen()) {
        setErrorString(QStringLiteral("the file is already open"));
        return false;
    }
    if ((mode & ReadWrite) != ReadOnly || (mode & (Append | Truncate | NewOnly))) {
        setErrorString(QStringLiteral("it can only be opened for reading"));
        return false;
    }
    // Without O_NONBLOCK the open itself would wait for a FIFO's writer.
    const int fd =
        ::open(QFile::encodeName(m_name).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        setErrorString(errnoText(errno));
        return false;
    }
    if (const QString cause = refusal(fd); !cause.isEmpty()) {
        ::close(fd);
        setErrorString(cause);
        return false;
    }
    // From here on the descriptor is QFile's, which closes it also when this fails.
    return QFile::open(fd, mode, AutoCloseHandle);
}
