// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test media: audio files made by independent encoders (ffmpeg, lame,
// oggenc) or by the program's own writer, and the signals they hold.

#include "audio/SampleArray.h"

#include <QString>
#include <QStringList>
#include <functional>

class AudioWriter;

namespace testsupport {

// What a made file sounds like.
struct Sound {
    enum class Wave {
        Sine,     // one tone, the same in every channel
        TwoSines, // `hz` in the first channel, 1.5 × `hz` in the second: a swapped or mixed
                  // channel shows
        Silence,
        Noise, // white noise, the same on every run
    };
    double seconds = 1;
    int rate = 44100;
    int channels = 1;
    double hz = 440;
    Wave wave = Wave::Sine;
    // Only the audio: no tags, no Xing header, no encoder name.
    bool bare = false;
};

// Encodes `sound` with ffmpeg into `path`, in the format its extension names:
// ".wav" 16-bit PCM, ".mp3" LAME, ".ogg" Vorbis, ".wma" WMA version 2, ".mp2"
// MPEG layer II. `options` (another codec, a bitrate, metadata) go last,
// before the output name. A file asked for twice with the same arguments is
// encoded once per test program and copied. Fails the calling test when
// ffmpeg fails; returns `path`.
QString makeAudio(const QString& path, const Sound& sound = {}, const QStringList& options = {});

// Encodes a WAV file with the lame, oggenc or ffmpeg command-line encoders;
// `options` are the encoder's own. Fail the calling test when the encoder fails.
void encodeWithLame(const QString& wav, const QString& mp3, const QStringList& options = {});
void encodeWithOggenc(const QString& wav, const QString& ogg, const QStringList& options = {});
void encodeWithFfmpeg(const QString& input, const QString& output, const QStringList& options);

// Writes `samples` into `path` through the program's own writer, in blocks of
// `blockFrames` as a job hands them on; `select` chooses the format and its
// settings before the file is opened.
void writeWithOurWriter(const QString& path, const SampleArray& samples,
                        const std::function<void(AudioWriter&)>& select, int blockFrames = 4410);

// A file made once per test program, in a folder that lives as long as the
// program: `make` writes it to the path it is given the first time `name` is
// asked for. Copy it before changing it.
QString madeOnce(const QString& name, const std::function<void(const QString& path)>& make);

// Copies a file (made once) to `to`, replacing what is there, writable by
// its owner; fails the calling test when that does not work. Returns `to`.
QString copyTo(const QString& from, const QString& to);

// Signals as sample arrays, for the program's own writer.
// A sine of `hz` at half scale, the same in every channel but with the
// channel index as a phase offset so that channels differ.
SampleArray tone(int rate, int channels, int frames, double hz = 440.0, int start = 0);
// A sweep from 200 Hz upwards at half scale, the same in every channel: its
// correlation has one clear peak, which shows where a decoded file starts.
SampleArray chirp(int rate, int channels, int frames);
// White noise at a third of full scale, the same on every run: the hardest
// input for an encoder, so bitrate bounds show.
SampleArray noise(int rate, int channels, int frames);

} // namespace testsupport
