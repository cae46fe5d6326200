// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"
#include "jobs/PiecePlan.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

// A cue sheet that cannot be used: a malformed line (the message names the
// sheet and the line), a file it names that is not there, or an index that
// does not fit its audio. Nothing of such a sheet is applied.
class CueSheetError : public Error {
public:
    using Error::Error;
};

// Positions in a cue sheet are CD frames, 75 a second, counted from the
// start of the track's FILE. They are kept as such until the file's sample
// rate is known, so that every track starts at an exact frame.
inline constexpr int kCdFramesPerSecond = 75;

struct CueTrack {
    int number = 0;
    QString title;
    QString performer; // empty when the track names none
    int64_t start = 0; // INDEX 01
    // INDEX 00: the pre-gap, which belongs to the track before it. A track
    // first in its FILE has none before it there, so its pre-gap is in no
    // piece.
    std::optional<int64_t> pregap;
    int line = 0; // of its TRACK line
};

struct CueFile {
    QString name; // as the sheet spells it
    int line = 0; // of its FILE line
    QVector<CueTrack> tracks;
};

struct CueSheet {
    QString sheetName;      // for messages
    QString title;          // the disc's
    QString performer;      // the disc's
    QString date;           // REM DATE
    QString genre;          // REM GENRE
    QVector<CueFile> files; // only those that hold tracks

    int trackCount() const;
};

// Reads the text of a cue sheet: UTF-8 with or without a byte-order mark,
// UTF-16 with one, otherwise Latin-1 (with the printable characters that
// Windows-1252 puts in place of Latin-1's C1 controls, as sheets written on
// Windows have them). Keywords are read without regard to case.
//
// Throws CueSheetError for a malformed line: an unknown command, a TRACK
// before any FILE, an INDEX outside a track, a time that is not mm:ss:ff
// with ss below 60 and ff below 75, a track that is not AUDIO, track numbers
// or INDEX 01 positions that do not increase within a file, a track without
// INDEX 01, or a sheet without any track. `sheetName` names the sheet in the
// messages.
CueSheet ParseCueSheet(const QByteArray& bytes, const QString& sheetName);

// The frame of a source of `rate` frames a second at which a position in CD
// frames lies: (mm×60 + ss) × rate + ff × rate ÷ 75, the division truncated,
// which is exact whenever the rate is a multiple of 75 (44100, 48000, 22050).
int64_t CdFramesToFrames(int64_t cdFrames, int rate);

// A position in CD frames as the sheet writes it: mm:ss:ff.
QString FormatCdTime(int64_t cdFrames);

// The pieces of the sheet's file `fileIndex` in a source of `rate` frames a
// second and `frames` frames long: each track from its INDEX 01 to the next
// track's INDEX 01 in the same file, the last to the end of the file.
// Throws CueSheetError naming the track when a track starts at or past the
// end of the file.
PiecePlan PlaceCueFile(const CueSheet& sheet, int fileIndex, int rate, int64_t frames);
