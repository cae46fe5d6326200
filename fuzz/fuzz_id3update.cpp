// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/Id3Tags.h"
#include "tags/TagError.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <unistd.h>

// Changes two fields of whatever tag the input starts with. The update either
// refuses with TagError or leaves a tag whose title reads back as set.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = [] {
        static const QString name =
            QDir::temp().filePath(QStringLiteral("vessimo-fuzz-%1.mp3").arg(::getpid()));
        std::atexit([] { QFile::remove(name); });
        return name;
    }();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    TagFields values;
    values.title = QStringLiteral("Fuzzed \u00e9\u6771");
    values.comment = QStringLiteral("c");
    try {
        UpdateId3v2(path, values, TagField::Title | TagField::Comment);
        if (ReadId3v2(path).title != values.title)
            std::abort();
    } catch (const TagError&) {
    }
    return 0;
}
