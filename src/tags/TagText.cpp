// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagText.h"

#include <algorithm>

QString trimTagText(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

QString cutTagText(const QString& text, qsizetype units)
{
    if (text.size() <= units)
        return text;
    qsizetype end = std::max<qsizetype>(units, 0);
    if (end > 0 && text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate())
        --end;
    return text.left(end);
}
