// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/PieceName.h"

#include "jobs/SourceTags.h"

namespace {

// File names hold 255 bytes on the usual file systems; this leaves room for
// the "_NNN" that a taken name gets and for the extension.
constexpr qsizetype kMaxNameBytes = 240;

QString withoutControlCharacters(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

// Cuts between characters, never inside a surrogate pair, where the UTF-8
// form would grow too long; blanks left at the cut are trimmed like the
// title's own.
QString fitted(QString name)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char32_t c = name.at(i).unicode();
        const bool pair =
            name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate();
        bytes += pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (bytes > kMaxNameBytes) {
            name.truncate(i);
            while (!name.isEmpty() && name.back() <= QLatin1Char(' '))
                name.chop(1);
            break;
        }
        if (pair)
            ++i;
    }
    return name;
}

} // namespace

QString PieceName(int track, const QString& title)
{
    const QString cleaned = CleanTitle(withoutControlCharacters(title));
    if (cleaned.isEmpty())
        return {};
    if (track <= 0)
        return fitted(cleaned);
    return fitted(QStringLiteral("%1 %2").arg(track, 2, 10, QLatin1Char('0')).arg(cleaned));
}
