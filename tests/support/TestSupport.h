// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace testsupport {

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs an external tool (ffmpeg, ffprobe, lame, python3 ...) and waits for it.
ProcessResult run(const QString& program, const QStringList& args, const QByteArray& input = {});

// Runs ffmpeg quietly with the given arguments; fails the calling test when it
// does not succeed.
void ffmpeg(const QStringList& args);

QByteArray readAll(const QString& path);
// A PCM WAV file of silence, its header saying whatever rate and channel
// count it is given, plausible or not.
QByteArray pcmWav(int rate, int channels, int frames, int bitsPerSample = 16);
void writeAll(const QString& path, const QByteArray& data);

// Runs `check` in a child process without root's privileges (as "nobody"),
// where file permissions hold also for a suite run as root; the calling
// test fails unless the check returns true. What the check prints to
// standard error shows with a failure.
void asUnprivileged(const std::function<bool()>& check);

// Source tree folder (for tests/data) and build tree folder.
QString sourceDir();
QString binaryDir();

} // namespace testsupport
