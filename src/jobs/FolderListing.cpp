// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/FolderListing.h"

#include <QFile>
#include <QUtf8StringView>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>

namespace {

bool isFolderKind(const QByteArray& name)
{
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0)
        return false;
    const QByteArray suffix = name.mid(dot + 1).toLower();
    for (const char* kind : {"mp3", "wav", "ogg", "wma", "raw", "vox"})
        if (suffix == kind)
            return true;
    return false;
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

FolderListing ListFolder(const QString& folder)
{
    FolderListing listing;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()),
                                                  ::closedir);
    if (!dir) {
        listing.error = errorText(errno);
        return listing;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                listing.error = errorText(errno);
            break;
        }
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || !isFolderKind(name))
            continue;
        if (QUtf8StringView(name).isValidUtf8())
            listing.names << QFile::decodeName(name);
        else
            listing.unnamed << name;
    }
    std::sort(listing.names.begin(), listing.names.end());
    std::sort(listing.unnamed.begin(), listing.unnamed.end());
    return listing;
}

QString EscapedName(const QByteArray& name)
{
    QString text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\')
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return text;
}
