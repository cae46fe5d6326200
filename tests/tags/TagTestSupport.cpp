// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagTestSupport.h"

#include "support/Judges.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace tagtest {

QString untaggedAudio(const QString& path, const QStringList& extra)
{
    return testsupport::makeAudio(path, {.seconds = 2, .channels = 2, .bare = true}, extra);
}

QByteArray decodedAudio(const QString& path)
{
    const QByteArray audio = testsupport::decodeFloatBytes(path, {"-map", "0:a"});
    EXPECT_FALSE(audio.isEmpty()) << "nothing decoded of " << path.toStdString();
    return audio;
}

QString python(const QString& script, const QStringList& args)
{
    const QString interpreter =
        QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3") : "python3";
    const testsupport::ProcessResult r =
        testsupport::run(interpreter, QStringList{"-c", script} + args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QString::fromUtf8(r.out);
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_mode & 07777;
}

void setMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString dataFile(const QString& name)
{
    return testsupport::sourceDir() + "/tests/data/tags/" + name;
}

} // namespace tagtest
