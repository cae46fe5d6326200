// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/CueSheet.h"
#include "jobs/PiecePlan.h"

#include <QString>
#include <QVector>

// Reads a cue sheet file. Throws CueSheetError when it cannot be read, is
// too large to be a cue sheet, or does not parse.
CueSheet ReadCueSheet(const QString& sheetPath);

// The audio file that `file` of the sheet at `sheetPath` names, looked for
// beside the sheet: the name as written (a Windows path's backslashes read
// as folders; of an absolute path only the file name counts), then the same
// name in another case, then the same name with another audio extension
// (sheets often name the ".wav" that became an ".mp3"). Throws
// CueSheetError naming the file and the line when none, or more than one
// equally good, is found.
QString ResolveCueFile(const QString& sheetPath, const CueFile& file);

// One audio file of a sheet and its pieces.
struct CueSource {
    QString audioPath;
    PiecePlan plan;
};

// The whole sheet against its audio: every file found and opened to learn
// its rate and exact length, every track placed. Returns all of it or
// throws (CueSheetError, or the reader's AudioError for an unreadable file),
// so that nothing of a bad sheet is ever applied.
QVector<CueSource> ImportCueSheet(const QString& sheetPath);
