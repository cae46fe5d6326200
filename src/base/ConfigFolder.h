// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's configuration folder: "vessimo" in the user's configuration
// folder ($XDG_CONFIG_HOME, by default ~/.config), without a trailing
// separator. Not created.
QString ConfigFolder();

// The options file: Vessimo.ini in the configuration folder, whose folder is
// created when missing so that the first write succeeds.
//
// Earlier versions kept the file directly in the user's configuration folder.
// While the new file does not exist, an old one is copied to the new place,
// so an update keeps the user's settings; the old file itself is left for
// whatever still reads it. Should the copy fail, the old file stays the
// options file, rather than the settings falling back to their defaults.
QString OptionsFilePath();
