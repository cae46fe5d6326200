// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzFile.h"
#include "base/IniFile.h"

#include <cstdlib>

// Any file as the options file: reading never fails, and a value written
// reads back as written while the other keys keep theirs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzFile file(".ini");
    const QString& path = file.write(data, size);
    IniFile ini(path);
    const QString choice = ini.readString(QStringLiteral("Function"), QStringLiteral("Choice"), {});
    const int count = ini.readInteger(QStringLiteral("Choice"), QStringLiteral("Count"), 6);
    ini.readBool(QStringLiteral("Fade"), QStringLiteral("In"), false);
    // A value built from the input itself: any characters but line breaks.
    QString value = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                      qsizetype(std::min<size_t>(size, 40)));
    value.remove(QLatin1Char('\n'));
    value.remove(QLatin1Char('\r'));
    try {
        ini.writeString(QStringLiteral("Output"), QStringLiteral("Dir"), value);
    } catch (const IniWriteError&) {
        return 0; // a file larger than the program reads
    }
    if (ini.readString(QStringLiteral("Output"), QStringLiteral("Dir"), {}) != value ||
        ini.readInteger(QStringLiteral("Choice"), QStringLiteral("Count"), 6) != count)
        std::abort();
    if (ini.readString(QStringLiteral("Function"), QStringLiteral("Choice"), {}) != choice)
        std::abort();
    return 0;
}
