// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/CleanFileName.h"

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

} // namespace

QString CleanFileName(const QString& text)
{
    static const QString forbidden = QStringLiteral("*?|:\"/\\<>");
    QString result = text;
    // Removal in this order, repeated until none is left; a single pass that
    // drops every forbidden character reaches the same fixed point.
    bool removed = true;
    while (removed) {
        removed = false;
        for (const QChar c : forbidden) {
            if (result.contains(c)) {
                result.remove(c);
                removed = true;
            }
        }
    }
    result.removeIf(isControl);
    return result;
}
