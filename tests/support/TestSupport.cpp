// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <grp.h>
#include <unistd.h>

namespace testsupport {

ProcessResult run(const QString& program, const QStringList& args, const QByteArray& input)
{
    QProcess process;
    process.start(program, args);
    ProcessResult result;
    if (!process.waitForStarted(30000))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void asUnprivileged(const std::function<bool()>& check)
{
    EXPECT_EXIT(
        {
            if (::geteuid() == 0) {
                const gid_t nogroup = 65534;
                if (::setgroups(1, &nogroup) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(3);
            }
            ::_exit(check() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

void ffmpeg(const QStringList& args)
{
    QStringList all{"-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
    all += args;
    const ProcessResult r = run("ffmpeg", all);
    ASSERT_EQ(r.exitCode, 0) << "ffmpeg " << all.join(' ').toStdString() << "\n"
                             << r.err.toStdString();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray pcmWav(int rate, int channels, int frames, int bitsPerSample)
{
    const auto le = [](QByteArray& out, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += char((value >> (8 * i)) & 0xff);
    };
    const quint32 blockAlign = quint32(channels * bitsPerSample / 8);
    const quint32 dataSize = blockAlign * quint32(frames);
    QByteArray wav = "RIFF";
    le(wav, 36 + dataSize, 4);
    wav += "WAVEfmt ";
    le(wav, 16, 4);
    le(wav, 1, 2); // integer PCM
    le(wav, quint32(channels), 2);
    le(wav, quint32(rate), 4);
    le(wav, quint32(rate) * blockAlign, 4);
    le(wav, blockAlign, 2);
    le(wav, quint32(bitsPerSample), 2);
    wav += "data";
    le(wav, dataSize, 4);
    wav += QByteArray(qsizetype(dataSize), '\0');
    return wav;
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(data), data.size());
}

QString sourceDir()
{
    return qEnvironmentVariable("VESSIMO_SOURCE_DIR", QStringLiteral(VESSIMO_SOURCE_DIR_DEFAULT));
}

QString binaryDir()
{
    return qEnvironmentVariable("VESSIMO_BINARY_DIR", QStringLiteral(VESSIMO_BINARY_DIR_DEFAULT));
}

} // namespace testsupport
