// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class IniFile;

// The nine general options and the MP3 copy option, kept in memory for the
// whole run and moved to and from the options file only by LoadOptions and
// SaveOptions.
struct Options {
    int functionChoice =
        0;             // Function/Choice: 0 Custom, 1 every N seconds, 2 N copies, 3 Unification
    QString outputDir; // Output/Dir
    int pieceSeconds = 60;          // Choice/time
    int pieceCount = 6;             // Choice/Count
    bool fadeIn = false;            // Fade/In
    bool fadeOut = false;           // Fade/Out
    int fadeInSeconds = 5;          // Fade/Intime
    int fadeOutSeconds = 5;         // Fade/Outtime
    bool wideConversionBar = false; // VSM/Skin: 501 progress steps when true, 454 when false
    // mp3/lossless copy: a cut from an MP3 source to MP3 copies the source's
    // frames where it can instead of decoding and encoding them again.
    bool losslessCopy = false;

    Options();

    // The user's music folder with a trailing separator.
    static QString defaultOutputDir();
};

// Reads the nine options in their fixed order, then the MP3 copy option;
// missing or unparsable values take their defaults. `onOutputDir` receives
// the output folder right after it is read, as the main window shows it at
// once.
Options LoadOptions(const IniFile& ini,
                    const std::function<void(const QString&)>& onOutputDir = {});

// Writes the nine options in their fixed order, then the MP3 copy option once
// it has been switched on. A refused write throws IniWriteError; the keys
// after it are not written.
void SaveOptions(IniFile& ini, const Options& options);
