#pragma once

#include <QString>

// Removes leading and trailing characters up to and including the blank:
// control characters, zeros and blanks. Tag writers pad and terminate texts
// with such characters, so every reader trims the same way.
QString trimTagText(const QString& text);
