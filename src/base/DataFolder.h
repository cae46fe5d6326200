#pragma once

#include <QString>

// The program's data folder, which holds the skin "mp3enc.dll" and the help:
// the executable's folder in a build tree, <prefix>/share/vessimo when
// installed (the executable then lies in <prefix>/bin). It ends in a
// separator, as file names are appended to it.
QString DataFolder();

QString SkinFilePath();
QString HelpFilePath();
