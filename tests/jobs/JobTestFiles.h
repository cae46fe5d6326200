// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/Media.h"

#include <QStringList>

// Source files for the job list tests, made by ffmpeg as an independent encoder.
namespace jobtest {

// A silent mono WAV file of that many seconds (fractions allowed).
inline void makeWav(const QString& path, double seconds)
{
    testsupport::makeAudio(
        path, {.seconds = seconds, .rate = 8000, .wave = testsupport::Sound::Wave::Silence});
}

// An MP3 file; `extra` carries metadata and tag options.
inline void makeMp3(const QString& path, double seconds, const QStringList& extra = {})
{
    testsupport::makeAudio(path, {.seconds = seconds, .rate = 22050},
                           QStringList{"-b:a", "32k"} + extra);
}

inline void makeOgg(const QString& path, double seconds, const QStringList& extra = {})
{
    testsupport::makeAudio(path, {.seconds = seconds, .rate = 22050}, extra);
}

} // namespace jobtest
