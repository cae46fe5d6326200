#pragma once

#include <QString>

// Removes the nine characters that file names cannot hold (* ? | : " / \ < >),
// with no replacement: "AC/DC: Live" becomes "ACDC Live".
QString CleanFileName(const QString& text);
