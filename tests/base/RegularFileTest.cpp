// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/RegularFile.h"
#include "support/ChildChecks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class RegularFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(RegularFileTest, ARegularFileOpensForReadingAlsoThroughALink)
{
    testsupport::writeAll(path("song.mp3"), "ID3 and more");
    ASSERT_TRUE(QFile::link(path("song.mp3"), path("link.mp3")));
    for (const QString& name : {QStringLiteral("song.mp3"), QStringLiteral("link.mp3")}) {
        RegularFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.errorString().toStdString();
        EXPECT_EQ(file.size(), 12);
        EXPECT_FALSE(file.isSequential());
        ASSERT_TRUE(file.seek(4));
        EXPECT_EQ(file.readAll(), "and more");
        EXPECT_EQ(file.fileName(), path(name)) << "the name stays known while the file is open";
        file.close();
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "and it opens again by that name";
    }
}

// Each refused at once with the cause: a FIFO no writer will ever open, a
// device that never ends, a folder, a missing file, and a writing mode.
TEST_F(RegularFileTest, AnythingButARegularFileIsRefusedWithoutWaiting)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.mp3")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", path("zero.ogg")));
    ASSERT_TRUE(QFile::link(path("fifo.mp3"), path("fifo-link.wma")));
    testsupport::writeAll(path("plain.wav"), "data");
    struct Case {
        QString name;
        QIODevice::OpenMode mode;
        QString cause;
    };
    const QList<Case> cases{
        {"fifo.mp3", QIODevice::ReadOnly, "it is not a regular file"},
        {"fifo-link.wma", QIODevice::ReadOnly, "it is not a regular file"},
        {"zero.ogg", QIODevice::ReadOnly, "it is not a regular file"},
        {".", QIODevice::ReadOnly, "it is a folder"},
        {"missing.wav", QIODevice::ReadOnly, "No such file or directory"},
        {"plain.wav", QIODevice::ReadWrite, "it can only be opened for reading"},
        {"plain.wav", QIODevice::WriteOnly, "it can only be opened for reading"},
    };
    testsupport::withinBounds([&] {
        bool allRefused = true;
        for (const Case& c : cases) {
            RegularFile file(path(c.name));
            if (file.open(c.mode) || file.errorString() != c.cause) {
                std::fprintf(stderr, "%s: opened or refused for \"%s\"\n", qPrintable(c.name),
                             qPrintable(file.errorString()));
                allRefused = false;
            }
        }
        return allRefused;
    });
    EXPECT_EQ(testsupport::readAll(path("plain.wav")), "data");
}
