// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Media.h"

#include "audio/AudioWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <mutex>

namespace testsupport {

namespace {

QString source(const Sound& s)
{
    const QString duration = QString::number(s.seconds, 'f', 4);
    switch (s.wave) {
    case Sound::Wave::Sine:
    case Sound::Wave::TwoSines:
        return QStringLiteral("sine=frequency=%1:sample_rate=%2:duration=%3")
            .arg(s.hz)
            .arg(s.rate)
            .arg(duration);
    case Sound::Wave::Silence:
        return QStringLiteral("anullsrc=r=%1:cl=mono:d=%2").arg(s.rate).arg(duration);
    case Sound::Wave::Noise:
        return QStringLiteral("anoisesrc=color=white:sample_rate=%1:duration=%2:seed=7")
            .arg(s.rate)
            .arg(duration);
    }
    return {};
}

QStringList codecFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "wav")
        return {"-c:a", "pcm_s16le"};
    if (suffix == "mp3")
        return {"-c:a", "libmp3lame"};
    if (suffix == "ogg")
        return {"-c:a", "libvorbis"};
    if (suffix == "wma")
        return {"-c:a", "wmav2"};
    if (suffix == "mp2")
        return {"-c:a", "mp2"};
    return {};
}

} // namespace

QString makeAudio(const QString& path, const Sound& sound, const QStringList& options)
{
    QStringList args{"-f", "lavfi", "-i", source(sound)};
    if (sound.wave == Sound::Wave::TwoSines && sound.channels > 1) {
        Sound second = sound;
        second.hz = sound.hz * 1.5;
        args += {"-f",
                 "lavfi",
                 "-i",
                 source(second),
                 "-filter_complex",
                 "[0:a][1:a]amerge=inputs=2[a]",
                 "-map",
                 "[a]"};
    }
    args += {"-ac", QString::number(sound.channels)};
    args += codecFor(path);
    if (sound.bare) {
        args += {"-map_metadata", "-1", "-fflags", "+bitexact"};
        if (path.endsWith(".mp3", Qt::CaseInsensitive))
            args += {"-id3v2_version", "0", "-write_xing", "0"};
    }
    args += options;
    // The same arguments make the same file: encode it once per program and
    // copy it for every test that asks again.
    const QString suffix = QFileInfo(path).suffix();
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(args.join('\n').toUtf8(), QCryptographicHash::Sha1).toHex());
    const QString made = madeOnce("sound-" + key + "." + suffix,
                                  [&args](const QString& to) { ffmpeg(args + QStringList{to}); });
    return copyTo(made, path);
}

void encodeWithLame(const QString& wav, const QString& mp3, const QStringList& options)
{
    const ProcessResult r = run("lame", QStringList{"--quiet"} + options + QStringList{wav, mp3});
    ASSERT_EQ(r.exitCode, 0) << "lame " << options.join(' ').toStdString() << "\n"
                             << r.err.toStdString();
}

void encodeWithOggenc(const QString& wav, const QString& ogg, const QStringList& options)
{
    const ProcessResult r =
        run("oggenc", QStringList{"--quiet"} + options + QStringList{"-o", ogg, wav});
    ASSERT_EQ(r.exitCode, 0) << "oggenc " << options.join(' ').toStdString() << "\n"
                             << r.err.toStdString();
}

void encodeWithFfmpeg(const QString& input, const QString& output, const QStringList& options)
{
    ffmpeg(QStringList{"-i", input} + options + QStringList{output});
}

void writeWithOurWriter(const QString& path, const SampleArray& samples,
                        const std::function<void(AudioWriter&)>& select, int blockFrames)
{
    AudioWriter writer;
    select(writer);
    const int rate = samples.rate;
    const int channels = samples.channels;
    writer.setBlockFormat(rate, channels);
    writer.open(path);
    writer.setBlockFormat(rate, channels);
    const int frames = samples.frames();
    for (int done = 0; done < frames;) {
        const int n = std::min(blockFrames, frames - done);
        SampleArray block;
        block.rate = rate;
        block.channels = channels;
        block.samples.assign(samples.samples.begin() + static_cast<ptrdiff_t>(done) * channels,
                             samples.samples.begin() + static_cast<ptrdiff_t>(done + n) * channels);
        writer.write(block);
        done += n;
    }
    writer.close();
}

QString madeOnce(const QString& name, const std::function<void(const QString& path)>& make)
{
    // Removed when the program ends.
    static QTemporaryDir folder;
    static std::mutex mutex;
    static std::map<QString, bool> made;
    const std::lock_guard<std::mutex> lock(mutex);
    const QString path = folder.filePath(name);
    if (!made[name]) {
        const bool failedBefore = ::testing::Test::HasFatalFailure();
        make(path);
        if ((!failedBefore && ::testing::Test::HasFatalFailure()) || !QFile::exists(path)) {
            ADD_FAILURE() << "could not make " << name.toStdString();
            QFile::remove(path);
            made.erase(name);
            return path;
        }
        made[name] = true;
    }
    return path;
}

QString copyTo(const QString& from, const QString& to)
{
    QFile::remove(to);
    EXPECT_TRUE(QFile::copy(from, to)) << from.toStdString() << " -> " << to.toStdString();
    QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner);
    return to;
}

namespace {

SampleArray silence(int rate, int channels, int frames)
{
    SampleArray block;
    block.rate = rate;
    block.channels = channels;
    block.samples.resize(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    return block;
}

} // namespace

SampleArray tone(int rate, int channels, int frames, double hz, int start)
{
    SampleArray block = silence(rate, channels, frames);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            block.samples[static_cast<size_t>(i * channels + c)] =
                static_cast<float>(0.5 * std::sin(2 * M_PI * hz * (start + i) / rate + c));
    return block;
}

SampleArray chirp(int rate, int channels, int frames)
{
    SampleArray block = silence(rate, channels, frames);
    const double seconds = double(frames) / rate;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double phase = 2 * M_PI * (200 * t + 1500 * t * t / seconds);
        for (int c = 0; c < channels; ++c)
            block.samples[static_cast<size_t>(i * channels + c)] =
                static_cast<float>(0.5 * std::sin(phase));
    }
    return block;
}

SampleArray noise(int rate, int channels, int frames)
{
    SampleArray block = silence(rate, channels, frames);
    uint32_t state = 12345;
    for (float& x : block.samples) {
        state = state * 1664525u + 1013904223u;
        x = static_cast<float>((double(state >> 8) / double(1 << 24) - 0.5) * 0.66);
    }
    return block;
}

} // namespace testsupport
