#pragma once

#include "support/TestSupport.h"

#include <QStringList>

// Source files for the job list tests, made by ffmpeg as an independent encoder.
namespace jobtest {

// A silent mono WAV file of that many seconds (fractions allowed).
inline void makeWav(const QString& path, double seconds)
{
    testsupport::ffmpeg({"-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t",
                         QString::number(seconds), "-c:a", "pcm_s16le", path});
}

// An MP3 file; `extra` carries metadata and tag options.
inline void makeMp3(const QString& path, double seconds, const QStringList& extra = {})
{
    testsupport::ffmpeg(QStringList{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050",
                                    "-t", QString::number(seconds), "-c:a", "libmp3lame", "-b:a",
                                    "32k"} +
                        extra + QStringList{path});
}

inline void makeOgg(const QString& path, double seconds, const QStringList& extra = {})
{
    testsupport::ffmpeg(QStringList{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050",
                                    "-t", QString::number(seconds), "-c:a", "libvorbis"} +
                        extra + QStringList{path});
}

} // namespace jobtest
