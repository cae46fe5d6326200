// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagFile.h"

#include "base/RegularFile.h"
#include "tags/Id3Tags.h"
#include "tags/OggComments.h"
#include "tags/TagError.h"
#include "tags/WmaTags.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A file that cannot be opened is an error for every format, also for those
// whose readers would quietly give empty fields.
void requireReadable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw TagError(QStringLiteral("Cannot open %1: no such file").arg(path));
    // A FIFO or a device would block the open, or feed the reader for ever.
    if (!info.isFile())
        throw TagError(QStringLiteral("Cannot open %1: not a regular file").arg(path));
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TagError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
}

[[noreturn]] void cannotWrite(const QString& path, const QString& cause)
{
    throw TagError(QStringLiteral("Cannot write tags: %1: %2").arg(path, cause));
}

} // namespace

TagFile::Format TagFile::formatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp3"))
        return Format::Mp3;
    if (suffix == QLatin1String("ogg"))
        return Format::Ogg;
    if (suffix == QLatin1String("wma"))
        return Format::Wma;
    return Format::None;
}

TagFields TagFile::read(const QString& path)
{
    requireReadable(path);
    switch (formatOf(path)) {
    case Format::Mp3:
        return ReadId3v2(path);
    case Format::Ogg:
        return ReadOggComments(path);
    case Format::Wma:
        return ReadWmaTags(path);
    case Format::None:
        break;
    }
    return {};
}

TagChapters TagFile::chapters(const QString& path)
{
    requireReadable(path);
    switch (formatOf(path)) {
    case Format::Mp3:
        return ReadId3v2Chapters(path);
    case Format::Ogg:
        return ReadOggChapters(path);
    case Format::Wma:
    case Format::None:
        break;
    }
    return {};
}

void TagFile::write(const QString& path, const TagFields& fields, TagFieldSet which)
{
    requireReadable(path);
    switch (formatOf(path)) {
    case Format::Mp3:
        UpdateId3v2(path, fields, which);
        return;
    case Format::Ogg:
        UpdateOggComments(path, fields, which);
        return;
    case Format::Wma:
        UpdateWmaTags(path, fields, which);
        return;
    case Format::None:
        break;
    }
    cannotWrite(path, QStringLiteral("only MP3, Ogg and WMA files carry tags"));
}

void TagFile::writeNew(const QString& path, const TagFields& fields)
{
    requireReadable(path);
    switch (formatOf(path)) {
    case Format::Mp3:
        WriteId3v2(path, fields);
        return;
    case Format::Ogg:
        WriteOggComments(path, fields);
        return;
    case Format::Wma:
        UpdateWmaTags(path, fields, everyTagField);
        return;
    case Format::None:
        break;
    }
    cannotWrite(path, QStringLiteral("only MP3, Ogg and WMA files carry tags"));
}
