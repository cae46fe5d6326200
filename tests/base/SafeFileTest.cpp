// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SafeFile.h"
#include "support/ChildChecks.h"
#include "support/FileSizeLimit.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <climits>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::asUnprivileged;
using testsupport::readAll;
using testsupport::writeAll;

namespace {

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(encoded(path).constData(), &st), 0) << path.toStdString();
    return st;
}

class SafeFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ::chmod(encoded(dir.path()).constData(), 0777);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList files() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    QTemporaryDir dir;
};

void replaceWith(const QString& target, SafeFile::Target kind, const QByteArray& content)
{
    SafeFile file(target, kind);
    file.write(content);
    file.commit();
}

} // namespace

TEST_F(SafeFiles, NewFilesAppearOnlyWhenComplete)
{
    const mode_t mask = ::umask(022);
    const QString out = path("out.wav");
    {
        SafeFile file(out, SafeFile::Target::New);
        file.write(QByteArray("abcdef"));
        file.seek(1);
        file.write(QByteArray("X"));
        file.seekToEnd();
        EXPECT_EQ(file.position(), 6);
        EXPECT_FALSE(QFileInfo::exists(out)) << "nothing under the name before commit";
        file.commit();
    }
    ::umask(mask);
    EXPECT_EQ(readAll(out), "aXcdef");
    EXPECT_EQ(statOf(out).st_mode & 07777, 0644u) << "the user's default permissions";

    // Abandoned: the earlier file stays, and nothing else is left.
    {
        SafeFile file(out, SafeFile::Target::New);
        file.write(QByteArray("new"));
    }
    EXPECT_EQ(readAll(out), "aXcdef");
    EXPECT_EQ(files(), QStringList{"out.wav"});

    // A symbolic link of the output's name is replaced, its target kept.
    writeAll(path("kept"), "kept");
    ASSERT_TRUE(QFile::link(path("kept"), path("link.wav")));
    replaceWith(path("link.wav"), SafeFile::Target::New, "new");
    EXPECT_FALSE(QFileInfo(path("link.wav")).isSymLink());
    EXPECT_EQ(readAll(path("kept")), "kept");
}

TEST_F(SafeFiles, NewFilesAreRefusedBeforeAnythingIsCreated)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const auto causeFor = [](const QString& target) {
        try {
            SafeFile file(target, SafeFile::Target::New);
        } catch (const SafeFileError& e) {
            EXPECT_EQ(e.message(), "Cannot write " + target + ": " + e.cause());
            return e.cause();
        }
        return QStringLiteral("<no error>");
    };
    EXPECT_EQ(causeFor(path("sub")), "a folder of that name exists");
    EXPECT_EQ(causeFor(path("missing/x.wav")), "the folder does not exist");
    EXPECT_EQ(causeFor(path(QString(NAME_MAX + 1, 'n'))), errnoText(ENAMETOOLONG));
    EXPECT_EQ(files(), QStringList{});

    // A name at the limit fits: the hidden file beside it is named shorter.
    const QString longest = path(QString(125, QChar(0x00e9)) + "x.wav");
    ASSERT_LE(encoded(QFileInfo(longest).fileName()).size(), NAME_MAX);
    replaceWith(longest, SafeFile::Target::New, "x");
    EXPECT_EQ(readAll(longest), "x");
    EXPECT_EQ(files().size(), 1);
}

TEST_F(SafeFiles, RewritesKeepModeLinksAndOwnerAndLeaveNothingOnFailure)
{
    const QString target = path("a.mp3");
    writeAll(target, "old content");
    ::chmod(encoded(target).constData(), 02750);
    const ino_t inode = statOf(target).st_ino;
    replaceWith(target, SafeFile::Target::Existing, "new content");
    EXPECT_EQ(readAll(target), "new content");
    EXPECT_EQ(statOf(target).st_mode & 07777, 02750u) << "mode bits, set-id bits too";
    EXPECT_NE(statOf(target).st_ino, inode) << "replaced by a rename";

    // Through a symbolic link: the file it points to is rewritten.
    ASSERT_TRUE(QFile::link(target, path("link.mp3")));
    replaceWith(path("link.mp3"), SafeFile::Target::Existing, "through the link");
    EXPECT_TRUE(QFileInfo(path("link.mp3")).isSymLink());
    EXPECT_EQ(readAll(target), "through the link");

    // A failure half way, or no commit, leaves the old content and no file.
    const QByteArray big(200000, 'b');
    {
        FileSizeLimit limit(100000);
        try {
            replaceWith(target, SafeFile::Target::Existing, big);
            ADD_FAILURE() << "no error";
        } catch (const SafeFileError& e) {
            EXPECT_EQ(e.path(), target);
        }
    }
    {
        SafeFile file(target, SafeFile::Target::Existing);
        file.write(big);
    }
    EXPECT_EQ(readAll(target), "through the link");
    EXPECT_EQ((QStringList{"a.mp3", "link.mp3"}), files());

    EXPECT_THROW(SafeFile(path("missing.mp3"), SafeFile::Target::Existing), SafeFileError);
}

TEST_F(SafeFiles, HardLinkedFilesAreWrittenInPlaceAndStayLinked)
{
    const QString target = path("a.mp3");
    const QString other = path("b.mp3");
    QByteArray old(300000, 'o');
    for (int i = 0; i < old.size(); i += 1000)
        old[i] = char('0' + i % 10);
    writeAll(target, old);
    ASSERT_EQ(::link(encoded(target).constData(), encoded(other).constData()), 0);

    // Longer, then shorter, then a failed write: always seen through both names.
    for (const QByteArray& content :
         {QByteArray("head") + old + QByteArray(70000, 't'), QByteArray("short")}) {
        SafeFile file(target, SafeFile::Target::Existing);
        EXPECT_TRUE(file.writesInPlace());
        file.write(content);
        file.commit();
        EXPECT_EQ(readAll(other), content);
        EXPECT_EQ(statOf(target).st_nlink, 2u);
    }
    // Failures: no room to grow, and a write failing half way through the
    // old bytes. The new content is complete in its scratch file before the
    // limit is set.
    writeAll(target, old);
    for (const qsizetype size : {old.size(), old.size() + 100000}) {
        SafeFile file(target, SafeFile::Target::Existing);
        file.write(QByteArray(size, 'n'));
        file.seekToEnd();
        FileSizeLimit limit(150000);
        EXPECT_THROW(file.commit(), SafeFileError);
    }
    EXPECT_TRUE(readAll(other) == old) << "the old bytes are put back";
    writeAll(target, "short");
    EXPECT_EQ(readAll(other), "short");
    EXPECT_EQ(statOf(target).st_nlink, 2u);
    EXPECT_EQ((QStringList{"a.mp3", "b.mp3"}), files());
}

TEST_F(SafeFiles, AFileInAReadOnlyFolderIsWrittenInPlace)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("ro"));
    const QString target = path("ro/a.mp3");
    const QString locked = path("ro/locked.mp3");
    writeAll(target, "old content that is long");
    writeAll(locked, "locked");
    // The file belongs to whoever runs the check: "nobody" under root.
    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(encoded(target).constData(), 65534, 65534), 0);
    }
    ::chmod(encoded(target).constData(), 0640);
    ::chmod(encoded(locked).constData(), 0444);
    ::chmod(encoded(path("ro")).constData(), 0555);

    asUnprivileged([&] {
        SafeFile file(target, SafeFile::Target::Existing);
        file.write(QByteArray("new"));
        file.commit();
        if (!file.writesInPlace() || readAll(target) != "new")
            return false;
        // Neither folder nor file writable: the message says what must change.
        try {
            SafeFile refused(locked, SafeFile::Target::Existing);
        } catch (const SafeFileError& e) {
            return e.cause().contains("the folder must be writable") &&
                   e.cause().contains("no file can be created beside it");
        }
        return false;
    });
    EXPECT_EQ(readAll(target), "new");
    EXPECT_EQ(statOf(target).st_uid, user);
    EXPECT_EQ(statOf(target).st_mode & 07777, 0640u);
    EXPECT_EQ(readAll(locked), "locked");
    EXPECT_EQ((QStringList{"a.mp3", "locked.mp3"}),
              QDir(path("ro")).entryList(QDir::Files | QDir::Hidden));
    ::chmod(encoded(path("ro")).constData(), 0755);
}

TEST_F(SafeFiles, AFileOfAnotherOwnerKeepsItsOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file to another user";
    const QString target = path("a.mp3");
    writeAll(target, "old");
    // Root's file, writable by the group "nogroup" that the child belongs to.
    ASSERT_EQ(::chown(encoded(target).constData(), 0, 65534), 0);
    ::chmod(encoded(target).constData(), 0664);
    asUnprivileged([&] {
        SafeFile file(target, SafeFile::Target::Existing);
        file.write(QByteArray("new"));
        file.commit();
        return file.writesInPlace();
    });
    EXPECT_EQ(readAll(target), "new");
    EXPECT_EQ(statOf(target).st_uid, 0u);
    EXPECT_EQ(statOf(target).st_gid, 65534u);
    EXPECT_EQ(files(), QStringList{"a.mp3"});
}
