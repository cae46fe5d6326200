// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Options.h"
#include "base/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

using testsupport::readAll;
using testsupport::writeAll;

class OptionsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Vessimo.ini"); }
};

TEST_F(OptionsTest, MissingFileGivesDefaultsAndSaveWritesExactlyNineKeys)
{
    IniFile ini(path());
    QString shown;
    const Options o = LoadOptions(ini, [&](const QString& d) { shown = d; });
    EXPECT_EQ(o.functionChoice, 0);
    EXPECT_EQ(o.outputDir, Options::defaultOutputDir());
    EXPECT_EQ(shown, Options::defaultOutputDir());
    EXPECT_TRUE(o.outputDir.endsWith('/'));
    EXPECT_EQ(o.pieceSeconds, 60);
    EXPECT_EQ(o.pieceCount, 6);
    EXPECT_FALSE(o.fadeIn);
    EXPECT_FALSE(o.fadeOut);
    EXPECT_EQ(o.fadeInSeconds, 5);
    EXPECT_EQ(o.fadeOutSeconds, 5);
    EXPECT_FALSE(o.wideConversionBar);
    EXPECT_FALSE(o.losslessCopy);
    EXPECT_FALSE(QFile::exists(path())) << "loading must not create the file";

    SaveOptions(ini, o);
    EXPECT_EQ(QString::fromUtf8(readAll(path())), "[Function]\nChoice=0\n\n"
                                                  "[Output]\nDir=" +
                                                      Options::defaultOutputDir() +
                                                      "\n\n"
                                                      "[Choice]\ntime=60\nCount=6\n\n"
                                                      "[Fade]\nIn=0\nOut=0\nIntime=5\nOuttime=5\n\n"
                                                      "[VSM]\nSkin=0\n");
}

TEST_F(OptionsTest, DefaultOutputFolderIsTheMusicFolder)
{
    EXPECT_EQ(Options::defaultOutputDir(),
              QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + "/");
}

TEST_F(OptionsTest, RoundTripKeepsEveryValue)
{
    IniFile ini(path());
    Options o;
    o.functionChoice = 3;
    o.outputDir = "/tmp/out put/";
    o.pieceSeconds = 1;
    o.pieceCount = 100;
    o.fadeIn = true;
    o.fadeOut = true;
    o.fadeInSeconds = 0;
    o.fadeOutSeconds = 12;
    o.wideConversionBar = true;
    o.losslessCopy = true;
    SaveOptions(ini, o);
    const Options back = LoadOptions(ini);
    EXPECT_EQ(back.functionChoice, 3);
    EXPECT_EQ(back.outputDir, "/tmp/out put/");
    EXPECT_EQ(back.pieceSeconds, 1);
    EXPECT_EQ(back.pieceCount, 100);
    EXPECT_TRUE(back.fadeIn);
    EXPECT_TRUE(back.fadeOut);
    EXPECT_EQ(back.fadeInSeconds, 0);
    EXPECT_EQ(back.fadeOutSeconds, 12);
    EXPECT_TRUE(back.wideConversionBar);
    EXPECT_TRUE(back.losslessCopy);
}

TEST_F(OptionsTest, TheCopyOptionIsWrittenOnceSwitchedOnAndReadsAsTheFileSays)
{
    IniFile ini(path());
    Options o;
    SaveOptions(ini, o);
    EXPECT_FALSE(readAll(path()).contains("[mp3]")) << "off and never on: not written";
    o.losslessCopy = true;
    SaveOptions(ini, o);
    EXPECT_EQ(ini.readString("mp3", "lossless copy", ""), "1");
    o.losslessCopy = false;
    SaveOptions(ini, o);
    EXPECT_EQ(ini.readString("mp3", "lossless copy", ""), "0") << "switched off again";
    EXPECT_FALSE(LoadOptions(ini).losslessCopy);

    // Beside the encoder keys of its section, in any spelling of its name.
    writeAll(path(), "[MP3]\nbitrate=9\nLossless Copy=7\n");
    EXPECT_TRUE(LoadOptions(ini).losslessCopy);
    writeAll(path(), "[mp3]\nlossless copy=maybe\n");
    EXPECT_FALSE(LoadOptions(ini).losslessCopy);
    SaveOptions(ini, LoadOptions(ini));
    EXPECT_EQ(ini.readString("mp3", "lossless copy", ""), "maybe")
        << "an unreadable value already reads as off and is left as the user wrote it";
}

TEST_F(OptionsTest, FadeInStoredAsTwoReadsTrueAndIsWrittenBackAsOne)
{
    writeAll(path(), "[Fade]\nIn=2\n");
    IniFile ini(path());
    const Options o = LoadOptions(ini);
    EXPECT_TRUE(o.fadeIn);
    SaveOptions(ini, o);
    EXPECT_EQ(ini.readString("Fade", "In", ""), "1");
}

TEST_F(OptionsTest, UnparsableValuesTakeTheirDefaultsAndOutputDirIsUnchanged)
{
    writeAll(path(), "[function]\nchoice=two\n[Choice]\nTIME=abc\ncount=-3\n"
                     "[Output]\nDir=/no/trailing\n[Encoder]\nkept=1\n");
    IniFile ini(path());
    const Options o = LoadOptions(ini);
    EXPECT_EQ(o.functionChoice, 0);
    EXPECT_EQ(o.pieceSeconds, 60);
    EXPECT_EQ(o.pieceCount, -3);
    EXPECT_EQ(o.outputDir, "/no/trailing");
    SaveOptions(ini, o);
    EXPECT_EQ(ini.readString("Encoder", "kept", ""), "1");
    EXPECT_EQ(ini.readString("Output", "Dir", ""), "/no/trailing");
}

TEST_F(OptionsTest, RefusedWriteStopsBeforeTheRemainingKeys)
{
    ASSERT_TRUE(QDir().mkpath(path()));
    IniFile ini(path());
    EXPECT_THROW(SaveOptions(ini, Options()), IniWriteError);
}

TEST_F(OptionsTest, DefaultPathIsInTheConfigurationFolder)
{
    EXPECT_EQ(IniFile::defaultPath(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + "/vessimo/Vessimo.ini");
}
