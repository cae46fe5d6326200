// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Removes leading and trailing characters up to and including the blank:
// control characters, zeros and blanks. Tag writers pad and terminate texts
// with such characters, so every reader trims the same way.
QString trimTagText(const QString& text);

// The text cut to at most `units` UTF-16 code units, never between the two
// halves of a surrogate pair (a lone half makes the text unreadable for
// other programs).
QString cutTagText(const QString& text, qsizetype units);
