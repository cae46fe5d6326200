#include "jobs/CleanFileName.h"

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
    return result;
}
