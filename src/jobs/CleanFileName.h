// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Removes the nine characters that file names cannot hold (* ? | : " / \ < >),
// with no replacement: "AC/DC: Live" becomes "ACDC Live". Control characters
// (U+0000 to U+001F and DEL) go the same way: a line break or an escape
// sequence in a name would reach every listing and terminal that shows it.
QString CleanFileName(const QString& text);
