#include "base/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using testsupport::readAll;
using testsupport::writeAll;

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Vessimo.ini"); }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Output", "Dir", "fallback"), "fallback");
    EXPECT_EQ(ini.readInteger("Function", "Choice", 7), 7);
    EXPECT_TRUE(ini.readBool("Fade", "In", true));
    writeAll(path(), "[Output]\nOther=1\n");
    EXPECT_EQ(ini.readString("Output", "Dir", "fallback"), "fallback");
    EXPECT_EQ(ini.readString("Nope", "Other", "x"), "x");
    EXPECT_FALSE(QFile::exists(path() + ".lock"));
}

TEST_F(IniFileTest, NamesCompareWithoutCase)
{
    writeAll(path(), "[fade]\nINTIME=9\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readInteger("Fade", "Intime", 5), 9);
    ini.writeInteger("FADE", "intime", 3);
    EXPECT_EQ(ini.readInteger("Fade", "Intime", 5), 3);
    // Replaced in place: still one section and one key.
    EXPECT_EQ(readAll(path()), "[fade]\nintime=3\n");
}

TEST_F(IniFileTest, IntegersParseStrictlyWithBlanksAndSign)
{
    writeAll(path(), "[s]\na= 42 \nb=-7\nc=+8\nd=12abc\ne=\nf=0x10\ng=99999999999\nh=3.5\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readInteger("s", "a", 1), 42);
    EXPECT_EQ(ini.readInteger("s", "b", 1), -7);
    EXPECT_EQ(ini.readInteger("s", "c", 1), 8);
    EXPECT_EQ(ini.readInteger("s", "d", 1), 1);
    EXPECT_EQ(ini.readInteger("s", "e", 1), 1);
    EXPECT_EQ(ini.readInteger("s", "f", 1), 1);
    EXPECT_EQ(ini.readInteger("s", "g", 1), 1);
    EXPECT_EQ(ini.readInteger("s", "h", 1), 1);
}

TEST_F(IniFileTest, BooleansReadAsNonZeroAndWriteAsOneOrZero)
{
    writeAll(path(), "[Fade]\nIn=2\nOut=0\nBad=yes\n");
    IniFile ini(path());
    EXPECT_TRUE(ini.readBool("Fade", "In", false));
    EXPECT_FALSE(ini.readBool("Fade", "Out", true));
    EXPECT_TRUE(ini.readBool("Fade", "Bad", true));
    ini.writeBool("Fade", "In", ini.readBool("Fade", "In", false));
    ini.writeBool("Fade", "Out", false);
    EXPECT_EQ(readAll(path()), "[Fade]\nIn=1\nOut=0\nBad=yes\n");
}

TEST_F(IniFileTest, WritesKeepCommentsUnknownSectionsAndOrder)
{
    const QByteArray original = "; my notes\n"
                                "[Mine]\n"
                                "keep=this = too\n"
                                "\n"
                                "[Output]\n"
                                "# hand-edited\n"
                                "Dir=/old/\n"
                                "\n"
                                "[Tail]\n"
                                "x=1\n";
    writeAll(path(), original);
    IniFile ini(path());
    ini.writeString("Output", "Dir", "/new/");
    ini.writeString("Output", "Extra", "e");
    ini.writeString("Fresh", "Key", "v");
    EXPECT_EQ(readAll(path()), "; my notes\n"
                               "[Mine]\n"
                               "keep=this = too\n"
                               "\n"
                               "[Output]\n"
                               "# hand-edited\n"
                               "Dir=/new/\n"
                               "Extra=e\n"
                               "\n"
                               "[Tail]\n"
                               "x=1\n"
                               "\n"
                               "[Fresh]\n"
                               "Key=v\n");
    EXPECT_EQ(ini.readString("Mine", "keep", ""), "this = too");
}

TEST_F(IniFileTest, ValuesAreWrittenAsGivenInUtf8)
{
    IniFile ini(path());
    ini.writeString("Output", "Dir", "/home/ü/Musik – 東京/");
    ini.writeString("Main", "Path", "a;b=c");
    EXPECT_EQ(ini.readString("Output", "Dir", ""), "/home/ü/Musik – 東京/");
    EXPECT_EQ(ini.readString("main", "path", ""), "a;b=c");
    EXPECT_TRUE(readAll(path()).contains("Dir=/home/\xc3\xbc/Musik"));
}

TEST_F(IniFileTest, CreatesTheFolderOfANewFile)
{
    IniFile ini(dir.filePath("sub/deeper/Vessimo.ini"));
    ini.writeInteger("Function", "Choice", 2);
    EXPECT_EQ(readAll(dir.filePath("sub/deeper/Vessimo.ini")), "[Function]\nChoice=2\n");
}

TEST_F(IniFileTest, RefusedWriteRaisesAndKeepsTheOldContent)
{
    // A folder in the way of the temporary file and the rename: refused even for root.
    const QString blocked = dir.filePath("blocked");
    ASSERT_TRUE(QDir().mkpath(blocked + "/Vessimo.ini"));
    IniFile ini(blocked + "/Vessimo.ini");
    try {
        ini.writeString("Output", "Dir", "x");
        FAIL() << "no error raised";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(QString::fromStdString(e.what()),
                  "Unable to write to " + blocked + "/Vessimo.ini");
    }

    // A folder that cannot be created (a file stands where it should be).
    writeAll(dir.filePath("plainfile"), "keep");
    IniFile below(dir.filePath("plainfile/Vessimo.ini"));
    EXPECT_THROW(below.writeInteger("a", "b", 1), IniWriteError);
    EXPECT_EQ(readAll(dir.filePath("plainfile")), "keep");
}

TEST_F(IniFileTest, FailedWriteLeavesNoTemporaryFilesBehind)
{
    writeAll(path(), "[a]\nb=1\n");
    IniFile ini(path());
    ini.writeInteger("a", "b", 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Vessimo.ini"});
}

TEST_F(IniFileTest, ReadsWindowsLineEndingsAndByteOrderMark)
{
    writeAll(path(), "\xef\xbb\xbf[Output]\r\nDir=C:\\My Music\\\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Output", "Dir", ""), "C:\\My Music\\");
}
