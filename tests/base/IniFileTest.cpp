// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/IniFile.h"
#include "support/ChildChecks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A hand-edited file in a legacy code page, with Windows line endings: the
// lines the program does not change come back byte for byte, and the lines
// it adds follow the file's line endings.
TEST_F(IniFileTest, UnchangedLinesStayByteForByteInAnyEncoding)
{
    const QByteArray original = "; notes by J\xe9r\xf4me\r\n"
                                "[Mine]\r\n"
                                "caf\xe9=cr\xe8me br\xfbl\xe9\xe9\r\n"
                                "\r\n"
                                "[Output]\r\n"
                                "Dir=/musique/\xe9t\xe9/\r\n"
                                "[Choice]\r\n"
                                "time=60";
    writeAll(path(), original);
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Output", "Dir", ""), "/musique/été/");
    EXPECT_EQ(ini.readString("Mine", "café", ""), "crème brûléé");

    ini.writeInteger("Function", "Choice", 2);
    ini.writeInteger("Choice", "Count", 6);
    ini.writeString("Output", "Dir", "/musique/été/");
    EXPECT_EQ(readAll(path()), "; notes by J\xe9r\xf4me\r\n"
                               "[Mine]\r\n"
                               "caf\xe9=cr\xe8me br\xfbl\xe9\xe9\r\n"
                               "\r\n"
                               "[Output]\r\n"
                               "Dir=/musique/\xc3\xa9t\xc3\xa9/\r\n"
                               "[Choice]\r\n"
                               "time=60\r\n"
                               "Count=6\r\n"
                               "\r\n"
                               "[Function]\r\n"
                               "Choice=2\r\n");
    EXPECT_EQ(ini.readString("Output", "Dir", ""), "/musique/été/");
}

TEST_F(IniFileTest, ByteOrderMarkAndWindowsLineEndingsStay)
{
    writeAll(path(), "\xef\xbb\xbf; \xc3\xbc\r\n[Fade]\r\nIn=0\r\n");
    IniFile ini(path());
    ini.writeBool("Fade", "In", true);
    ini.writeBool("VSM", "Skin", false);
    EXPECT_EQ(readAll(path()),
              "\xef\xbb\xbf; \xc3\xbc\r\n[Fade]\r\nIn=1\r\n\r\n[VSM]\r\nSkin=0\r\n");
    EXPECT_TRUE(ini.readBool("fade", "in", false));
}

// Quotes around a value are not part of it, as private-profile reads give
// it; what the program writes reads back exactly, blanks and quotes included.
TEST_F(IniFileTest, EveryWrittenValueReadsBackAsWritten)
{
    writeAll(path(), "[Output]\nDir=\"C:\\My Music\\\"\nOne='x'\nHalf=\"x\nInner=a\"b\"c\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Output", "Dir", ""), "C:\\My Music\\");
    EXPECT_EQ(ini.readString("Output", "One", ""), "x");
    EXPECT_EQ(ini.readString("Output", "Half", ""), "\"x");
    EXPECT_EQ(ini.readString("Output", "Inner", ""), "a\"b\"c");

    for (const QString& value :
         {QString(" /music with blanks/ "), QString("\"quoted\""), QString("'single'"),
          QString("\""), QString("''"), QString(), QString("\t/tab/"), QString("a=b;c#d [e]")}) {
        SCOPED_TRACE(value.toStdString());
        ini.writeString("Main", "Path", value);
        EXPECT_EQ(ini.readString("Main", "Path", "default"), value);
    }
}

// A folder name may hold a line break; written raw it would end the line and
// inject whatever follows as keys of its own.
TEST_F(IniFileTest, ValuesWithLineBreaksAreRefusedAndChangeNothing)
{
    writeAll(path(), "[Output]\nDir=/old/\n");
    IniFile ini(path());
    for (const QString& value : {QString("/a\n[Fade]\nIn=1"), QString("/a\r/"), QString("\n")}) {
        try {
            ini.writeString("Output", "Dir", value);
            ADD_FAILURE() << "a line break was written";
        } catch (const IniWriteError& e) {
            EXPECT_TRUE(
                QString::fromStdString(e.what()).startsWith("Unable to write to " + path() + ": "));
            EXPECT_TRUE(QString::fromStdString(e.what()).contains("line break"));
        }
    }
    EXPECT_EQ(readAll(path()), "[Output]\nDir=/old/\n");
    EXPECT_FALSE(ini.readBool("Fade", "In", false));
}

namespace {

struct stat statOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

} // namespace

TEST_F(IniFileTest, HardLinksSymbolicLinksAndModeBitsStay)
{
    writeAll(path(), "[a]\nb=1\n");
    const QString other = dir.filePath("linked.ini");
    ASSERT_EQ(::link(QFile::encodeName(path()).constData(), QFile::encodeName(other).constData()),
              0);
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0604), 0);
    const ino_t inode = statOf(path()).st_ino;
    IniFile ini(path());
    ini.writeInteger("a", "b", 2);
    EXPECT_EQ(statOf(path()).st_ino, inode);
    EXPECT_EQ(statOf(path()).st_nlink, 2u);
    EXPECT_EQ(readAll(other), "[a]\nb=2\n");
    EXPECT_EQ(statOf(path()).st_mode & 07777, 0604u);
    // Longer and shorter content, rewritten in place.
    ini.writeString("a", "b", QString(5000, 'x'));
    EXPECT_EQ(ini.readString("a", "b", ""), QString(5000, 'x'));
    ini.writeString("a", "b", "3");
    EXPECT_EQ(readAll(other), "[a]\nb=3\n");

    // A symbolic link stays one; its target takes the new content.
    const QString target = dir.filePath("target.ini");
    const QString link = dir.filePath("symlink.ini");
    writeAll(target, "[a]\nb=1\n");
    ASSERT_TRUE(QFile::link(target, link));
    IniFile viaLink(link);
    viaLink.writeInteger("a", "b", 4);
    EXPECT_TRUE(S_ISLNK(statOf(link).st_mode));
    EXPECT_EQ(readAll(target), "[a]\nb=4\n");
}

TEST_F(IniFileTest, AFileOfAnotherOwnerKeepsItsOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another owner";
    writeAll(path(), "[a]\nb=1\n");
    ASSERT_EQ(::chown(QFile::encodeName(path()).constData(), 4321, 4322), 0);
    IniFile ini(path());
    ini.writeInteger("a", "b", 2);
    EXPECT_EQ(statOf(path()).st_uid, 4321u);
    EXPECT_EQ(statOf(path()).st_gid, 4322u);
    EXPECT_EQ(readAll(path()), "[a]\nb=2\n");
}

TEST_F(IniFileTest, AWritableFileInAReadOnlyFolderIsRewrittenInPlace)
{
    const QString folder = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + "/Vessimo.ini";
    writeAll(file, "; mine\n[Output]\nDir=/old/\n");
    // Root ignores the permission bits; an immutable folder refuses it too.
    const QByteArray native = QFile::encodeName(folder);
    const bool root = ::geteuid() == 0;
    if (root)
        ASSERT_EQ(testsupport::run("chattr", {"+i", folder}).exitCode, 0);
    else
        ASSERT_EQ(::chmod(native.constData(), 0555), 0);
    struct Unlock {
        QString folder;
        bool root;
        ~Unlock()
        {
            if (root)
                testsupport::run("chattr", {"-i", folder});
            else
                ::chmod(QFile::encodeName(folder).constData(), 0755);
        }
    } unlock{folder, root};
    QFile probe(folder + "/probe");
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        GTEST_SKIP() << "this file system lets the folder take new files";
    }

    IniFile ini(file);
    ini.writeString("Output", "Dir", "/a much longer folder name than before/");
    ini.writeInteger("Function", "Choice", 3);
    EXPECT_EQ(readAll(file),
              "; mine\n[Output]\nDir=/a much longer folder name than before/\n\n[Function]\n"
              "Choice=3\n");
    ini.writeString("Output", "Dir", "/s/");
    EXPECT_EQ(ini.readString("Output", "Dir", ""), "/s/");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"Vessimo.ini"});

    // A new file cannot be made there: that is still refused.
    IniFile fresh(folder + "/Other.ini");
    EXPECT_THROW(fresh.writeInteger("a", "b", 1), IniWriteError);
}

namespace {

// Sets the file's modification time `secondsAgo` seconds back, as a file
// that was last changed then.
void ageFile(const QString& path, int secondsAgo)
{
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= secondsAgo;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

QStringList warningsSeen;

void recordWarning(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtWarningMsg)
        warningsSeen << text;
}

} // namespace

// A FIFO would hang every read and a link to /dev/zero would never end; a
// file of 10 MB is no options file. Each reads as empty, is named once, and
// refuses writes, which would otherwise replace it by a few keys.
TEST_F(IniFileTest, OnlyARegularFileWithinTheSizeLimitIsRead)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo.ini")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("zero.ini")));
    QByteArray large = "[Function]\nChoice=2\n";
    large += QByteArray(10 * 1024 * 1024, ';');
    writeAll(dir.filePath("large.ini"), large);
    struct Case {
        QString name;
        QString cause;
    };
    const QList<Case> cases{{"fifo.ini", "it is not a regular file"},
                            {"zero.ini", "it is not a regular file"},
                            {"large.ini", "it is larger than 1 MB"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString file = dir.filePath(c.name);
        testsupport::withinBounds([&] {
            warningsSeen.clear();
            qInstallMessageHandler(recordWarning);
            IniFile ini(file);
            bool ok = ini.readInteger("Function", "Choice", 7) == 7 &&
                      ini.readString("Output", "Dir", "d") == "d";
            ok = ok && IniFile(file).readBool("Fade", "In", true);
            try {
                ini.writeInteger("Function", "Choice", 1);
                ok = false;
            } catch (const IniWriteError& e) {
                ok = ok &&
                     QString::fromUtf8(e.what()) == "Unable to write to " + file + ": " + c.cause;
            }
            const QStringList expected{"The options file " + file + " is not read: " + c.cause +
                                       ". The defaults are used."};
            if (warningsSeen != expected) {
                std::fprintf(stderr, "said: %s\n", qPrintable(warningsSeen.join(" | ")));
                ok = false;
            }
            return ok;
        });
    }
    EXPECT_EQ(readAll(dir.filePath("large.ini")), large);
    struct stat fifo {};
    ASSERT_EQ(::lstat(QFile::encodeName(dir.filePath("fifo.ini")).constData(), &fifo), 0);
    EXPECT_TRUE(S_ISFIFO(fifo.st_mode));
    // At the limit the file is still read.
    QByteArray atLimit = "[Function]\nChoice=2\n";
    atLimit += QByteArray(IniFile::maxSize - atLimit.size(), ';');
    writeAll(path(), atLimit);
    EXPECT_EQ(IniFile(path()).readInteger("Function", "Choice", 7), 2);
}

// Every read still goes to the file, but one that did not change since its
// last parse is not parsed again.
TEST_F(IniFileTest, ASettledFileIsParsedAgainOnlyWhenItChanges)
{
    QByteArray content = "[Output]\nDir=/music/\n[Function]\nChoice=2\n";
    content += QByteArray(200 * 1024, ';') + "\n";
    writeAll(path(), content);
    ageFile(path(), 3600);
    IniFile ini(path());
    const int before = IniFile::parseCount();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 2);
        EXPECT_EQ(ini.readString("Output", "Dir", ""), "/music/");
    }
    EXPECT_EQ(IniFile::parseCount() - before, 1);

    // Changed by hand to the same size: the new time tells.
    content.replace("Choice=2", "Choice=3");
    writeAll(path(), content);
    ageFile(path(), 1800);
    EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 3);
    // Changed again, its time set back to the same: the size tells.
    content.replace("Choice=3", "Choice=44");
    writeAll(path(), content);
    ageFile(path(), 1800);
    EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 44);
    EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 44);
    EXPECT_EQ(IniFile::parseCount() - before, 3);

    // A file changed just now may change again within its time's tick: it
    // is parsed at every read until it has settled.
    content.replace("Choice=44", "Choice=55");
    writeAll(path(), content);
    EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 55);
    content.replace("Choice=55", "Choice=66");
    writeAll(path(), content);
    EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 66);

    // Its own writes are read back, also by another object on the file.
    ini.writeInteger("Function", "Choice", 5);
    EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 5);
    IniFile other(path());
    other.writeInteger("Function", "Choice", 6);
    EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 6);

    // Removed: the defaults.
    QFile::remove(path());
    EXPECT_EQ(ini.readInteger("Function", "Choice", 0), 0);
}
