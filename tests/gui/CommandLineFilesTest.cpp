// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/JobTestFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

// The real program started with files and folders on its command line, as a
// file manager or the desktop entry starts it, watched from outside through
// the rows it prints under VESSIMO_PRINT_FILES.

namespace {

struct Started {
    bool finished = false;
    int exitCode = -1;
    QStringList rows;
    QByteArray err;
};

class CommandLineFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        jobtest::makeWav(path("long.wav"), 125);
        jobtest::makeMp3(path("song.mp3"), 90, {"-metadata", "title=My: Song"});
        QDir(dir->path()).mkdir("album");
        QFile::copy(path("song.mp3"), path("album/b.mp3"));
        // A folder lists a file shorter than a second; the file dialog would refuse it.
        jobtest::makeWav(path("album/a.wav"), 0.4);
        testsupport::writeAll(path("album/notes.txt"), "not a sound file");
    }
    static void TearDownTestSuite() { delete dir; }
    static QString path(const QString& name) { return dir->filePath(name); }

    // Starts the program in `workingDir` with a private configuration and
    // runtime folder (so that neither the user's options nor a running
    // instance play a part) and waits for it to print its rows and end.
    Started start(const QStringList& args, const QString& workingDir)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "dummy");
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("VESSIMO_PRINT_FILES", "1");
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workingDir);
        process.start(VESSIMO_EXE, args);
        Started result;
        if (!process.waitForStarted(30000))
            return result;
        result.finished = process.waitForFinished(180000);
        if (!result.finished) {
            process.kill();
            process.waitForFinished();
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.rows =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        result.err = process.readAllStandardError();
        return result;
    }

    static QTemporaryDir* dir;
    QTemporaryDir config;
    QTemporaryDir runtime;
};

QTemporaryDir* CommandLineFiles::dir = nullptr;

} // namespace

TEST_F(CommandLineFiles, FilesAndFoldersAreAddedAsThroughTheirDialogsInTheOrderGiven)
{
    // Relative names count from the working folder.
    const Started r = start({"long.wav", "album", path("song.mp3")}, dir->path());
    ASSERT_TRUE(r.finished) << "the program did not end: " << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString album = QDir(path("album")).absolutePath();
    EXPECT_EQ(r.rows, (QStringList{
                          "long.wav\t00:02:05\t" + path("long.wav"),
                          // The folder's files by name, titles as read, short ones kept.
                          "a.wav\t00:00:00\t" + album + "/a.wav",
                          "My: Song\t00:01:30\t" + album + "/b.mp3",
                          // The file dialog's titles lose the characters a file name can't hold.
                          "My Song\t00:01:30\t" + path("song.mp3"),
                      }))
        << r.err.toStdString();
}

TEST_F(CommandLineFiles, WithoutFilesTheListStaysEmptyAndTheOptionsAreWrittenOnClose)
{
    const Started r = start({}, dir->path());
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.rows.isEmpty()) << r.rows.join('\n').toStdString();
    // The window closed as a user closes it: the options file was saved.
    EXPECT_TRUE(QFileInfo::exists(QDir(config.path()).filePath("vessimo/Vessimo.ini")));
}

TEST_F(CommandLineFiles, AFileNamedTwiceIsListedTwice)
{
    const Started r = start({"song.mp3", "./song.mp3"}, dir->path());
    ASSERT_TRUE(r.finished) << r.err.toStdString();
    const QString row = "My Song\t00:01:30\t" + path("song.mp3");
    EXPECT_EQ(r.rows, (QStringList{row, row})) << "both named as the file dialog names them";
}
