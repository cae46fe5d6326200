// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ConfigFolder.h"
#include "base/DataFolder.h"
#include "base/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using testsupport::readAll;
using testsupport::writeAll;

// Each case gets a configuration folder of its own.
class ConfigFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }

    QString older() const { return home.filePath("Vessimo.ini"); }
    QString current() const { return home.filePath("vessimo/Vessimo.ini"); }

    QTemporaryDir home;
    QByteArray saved;
};

TEST_F(ConfigFolderTest, AFirstRunGetsTheProgramsFolderReadyForTheFirstWrite)
{
    EXPECT_EQ(ConfigFolder(), home.filePath("vessimo"));
    EXPECT_EQ(OptionsFilePath(), current());
    EXPECT_EQ(IniFile::defaultPath(), current());
    EXPECT_TRUE(QFileInfo(home.filePath("vessimo")).isDir());
    EXPECT_FALSE(QFile::exists(current())) << "no options file before the program writes one";
    EXPECT_FALSE(QFile::exists(older()));
    IniFile ini(IniFile::defaultPath());
    ini.writeInteger("Function", "Choice", 2);
    EXPECT_EQ(readAll(current()), "[Function]\nChoice=2\n");
}

TEST_F(ConfigFolderTest, AnOldFileIsTakenOverOnceAndLeftInPlace)
{
    const QByteArray settings = "[Output]\r\nDir=/home/me/Cuts/\r\n[mp3]\r\nBitrate=9\r\n";
    writeAll(older(), settings);
    ASSERT_TRUE(QFile::setPermissions(older(), QFile::ReadOwner | QFile::WriteOwner));

    EXPECT_EQ(IniFile::defaultPath(), current());
    EXPECT_EQ(readAll(current()), settings) << "byte for byte, line endings included";
    EXPECT_EQ(readAll(older()), settings);
    const QFileDevice::Permissions others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_FALSE(QFileInfo(current()).permissions() & others) << "a private file stays private";
    EXPECT_EQ(IniFile(current()).readString("Output", "Dir", ""), "/home/me/Cuts/");

    // Once only: later changes to either file go their own ways.
    writeAll(older(), "[Output]\nDir=/elsewhere/\n");
    IniFile(IniFile::defaultPath()).writeString("Output", "Dir", "/home/me/New/");
    EXPECT_EQ(IniFile::defaultPath(), current());
    EXPECT_EQ(IniFile(current()).readString("Output", "Dir", ""), "/home/me/New/");
    EXPECT_EQ(readAll(older()), "[Output]\nDir=/elsewhere/\n");
}

TEST_F(ConfigFolderTest, AnExistingNewFileWinsOverTheOldOne)
{
    ASSERT_TRUE(QDir(home.path()).mkdir("vessimo"));
    writeAll(older(), "[Function]\nChoice=1\n");
    writeAll(current(), "[Function]\nChoice=3\n");
    EXPECT_EQ(IniFile::defaultPath(), current());
    EXPECT_EQ(readAll(current()), "[Function]\nChoice=3\n");

    // A link that points nowhere is the user's too, not a missing file.
    ASSERT_TRUE(QFile::remove(current()));
    ASSERT_TRUE(QFile::link(home.filePath("nowhere.ini"), current()));
    EXPECT_EQ(IniFile::defaultPath(), current());
    EXPECT_TRUE(QFileInfo(current()).isSymLink());
    EXPECT_FALSE(QFile::exists(home.filePath("nowhere.ini")));
}

TEST_F(ConfigFolderTest, WithoutRoomForTheNewFolderTheOldFileStaysInUse)
{
    writeAll(home.filePath("vessimo"), "a file where the folder would go");
    writeAll(older(), "[Function]\nChoice=2\n");
    EXPECT_EQ(IniFile::defaultPath(), older()) << "the user's settings rather than the defaults";
    EXPECT_EQ(IniFile(IniFile::defaultPath()).readInteger("Function", "Choice", 0), 2);

    // With no old file either, the new place is named, and writing there
    // fails with the usual message rather than going somewhere else.
    ASSERT_TRUE(QFile::remove(older()));
    EXPECT_EQ(IniFile::defaultPath(), current());
    IniFile ini(IniFile::defaultPath());
    EXPECT_THROW(ini.writeInteger("Function", "Choice", 1), IniWriteError);
    EXPECT_EQ(readAll(home.filePath("vessimo")), "a file where the folder would go");
}

TEST_F(ConfigFolderTest, AnOldEntryThatIsNotAFileIsNotTakenOver)
{
    ASSERT_TRUE(QDir(home.path()).mkdir("Vessimo.ini"));
    EXPECT_EQ(IniFile::defaultPath(), current());
    EXPECT_FALSE(QFile::exists(current()));
    EXPECT_TRUE(QFileInfo(older()).isDir());
}

// The data folder: the program's folder in a build tree, the install
// layout's data folder, relative to the program's folder, once installed.
TEST(DataFolderTest, BuildTreeOrInstallLayout)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath("usr/games");
    ASSERT_TRUE(QDir().mkpath(bin));

    EXPECT_EQ(DataFolderFor(bin, "../share/vessimo"), root.filePath("usr/share/vessimo") + "/");
    EXPECT_EQ(DataFolderFor(bin, "../share/games/vessimo"),
              root.filePath("usr/share/games/vessimo") + "/");
    EXPECT_EQ(DataFolderFor(bin, "/opt/data/vessimo"), "/opt/data/vessimo/");
    EXPECT_EQ(DataFolderFor(bin + "/", "../share/vessimo"),
              root.filePath("usr/share/vessimo") + "/");

    writeAll(bin + "/mp3enc.dll", "skin");
    EXPECT_EQ(DataFolderFor(bin, "../share/vessimo"), bin + "/");
}
