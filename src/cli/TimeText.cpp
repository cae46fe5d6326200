// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TimeText.h"

#include "cli/OptionTable.h"

#include <QRegularExpression>

namespace cli {

TimeText TimeText::parse(const QString& text, const QString& what)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:(?:([0-9]{1,6}):)?([0-9]{1,6}):)?([0-9]{1,10})(?:\\.([0-9]{1,9}))?$"));
    const QRegularExpressionMatch m = form.match(text);
    const auto bad = [&](const QString& why) {
        return UsageError(QStringLiteral("bad time \"%1\" in %2: %3").arg(text, what, why));
    };
    if (!m.hasMatch())
        throw bad(QStringLiteral("write SS, MM:SS or HH:MM:SS, with an optional fraction "
                                 "(90.5, 1:30.250)"));
    const bool hasMinutes = !m.captured(2).isEmpty();
    const bool hasHours = !m.captured(1).isEmpty();
    const qint64 seconds = m.captured(3).toLongLong();
    const qint64 minutes = m.captured(2).toLongLong();
    if (hasMinutes && seconds > 59)
        throw bad(QStringLiteral("seconds must be below 60"));
    if (hasHours && minutes > 59)
        throw bad(QStringLiteral("minutes must be below 60"));
    const qint64 total = m.captured(1).toLongLong() * 3600 + minutes * 60 + seconds;
    // A bound beyond 2^31 seconds (68 years) is no file's.
    if (total > INT32_MAX)
        throw bad(QStringLiteral("too long"));
    QString fraction = m.captured(4);
    fraction = fraction.leftJustified(9, QLatin1Char('0'));
    TimeText time;
    time.m_ns = total * 1'000'000'000 + fraction.toLongLong();
    return time;
}

int64_t TimeText::frameAt(int rate) const
{
    // Whole seconds and the fraction apart, so that nothing overflows 64 bits.
    const int64_t whole = m_ns / 1'000'000'000;
    const int64_t fraction = m_ns % 1'000'000'000;
    return whole * rate + (fraction * rate + 500'000'000) / 1'000'000'000;
}

} // namespace cli
