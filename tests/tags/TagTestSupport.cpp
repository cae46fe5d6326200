#include "TagTestSupport.h"

#include <grp.h>
#include <unistd.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tagtest {

QString makeAudio(const QString& path, const QStringList& extra)
{
    const QString suffix = path.section('.', -1).toLower();
    QStringList args{"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac", "2"};
    if (suffix == "mp3")
        args << "-c:a"
             << "libmp3lame"
             << "-id3v2_version"
             << "0"
             << "-write_xing"
             << "0";
    else if (suffix == "ogg")
        args << "-c:a"
             << "libvorbis";
    else if (suffix == "wma")
        args << "-c:a"
             << "wmav2";
    args << "-map_metadata"
         << "-1"
         << "-fflags"
         << "+bitexact" << extra << path;
    testsupport::ffmpeg(args);
    return path;
}

QByteArray decodedAudio(const QString& path)
{
    const testsupport::ProcessResult r =
        testsupport::run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-nostdin", "-i", path,
                                    "-map", "0:a", "-f", "f32le", "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.isEmpty());
    return r.out;
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

QString ffprobeTag(const QString& path, const QString& key)
{
    const testsupport::ProcessResult r =
        testsupport::run("ffprobe", {"-v", "error", "-show_entries", "format_tags:stream_tags",
                                     "-of", "json", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    const auto find = [&key](const QJsonObject& tags) -> std::optional<QString> {
        for (auto it = tags.begin(); it != tags.end(); ++it) {
            if (it.key().compare(key, Qt::CaseInsensitive) == 0)
                return it.value().toString();
        }
        return std::nullopt;
    };
    if (auto v = find(root["format"].toObject()["tags"].toObject()))
        return *v;
    for (const auto stream : root["streams"].toArray()) {
        if (auto v = find(stream.toObject()["tags"].toObject()))
            return *v;
    }
    return QStringLiteral("<absent>");
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
