// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/EndSignals.h"
#include "base/EndRequests.h"
#include "base/SafeFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class EndSignalsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList files() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    // A finished piece and one still being written, as a cut has them.
    void writePieces()
    {
        SafeFile done(path("Song_1.mp3"), SafeFile::Target::New);
        done.write(QByteArray(1000, 'a'));
        done.commit();
        unfinished = std::make_unique<SafeFile>(path("Song_2.mp3"), SafeFile::Target::New);
        unfinished->write(QByteArray(1000, 'b'));
    }

    QTemporaryDir dir;
    std::unique_ptr<SafeFile> unfinished;
};

} // namespace

// Each signal ends the process as it would without a handler, but never
// leaves the hidden file of a piece under way behind.
TEST_F(EndSignalsTest, WithoutAStopEverySignalEndsAtOnceAndRemovesWhatIsUnfinished)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(::strsignal(signal));
        EXPECT_EXIT(
            {
                EndSignals::install();
                writePieces();
                if (files().size() != 2)
                    ::_exit(3);
                ::raise(signal);
                ::_exit(4);
            },
            ::testing::KilledBySignal(signal), "");
        EXPECT_EQ(files(), QStringList{"Song_1.mp3"});
        QFile::remove(path("Song_1.mp3"));
    }
}

TEST_F(EndSignalsTest, TheFirstSignalAsksForTheStopAndASecondAbandonsTheUnfinished)
{
    EXPECT_EXIT(
        {
            EndSignals::install();
            static std::atomic<bool> stop{false};
            EndSignals::stopWith(&stop);
            writePieces();
            ::raise(SIGTERM);
            if (!stop.load() || files().size() != 2)
                ::_exit(3);
            ::raise(SIGINT);
            ::_exit(4);
        },
        ::testing::KilledBySignal(SIGINT), "");
    EXPECT_EQ(files(), QStringList{"Song_1.mp3"});
}

// Without the handler SIGXFSZ would end the process and leave the file.
TEST_F(EndSignalsTest, AWriteBeyondTheFileSizeLimitFailsAndIsReported)
{
    EXPECT_EXIT(
        {
            ::signal(SIGXFSZ, SIG_DFL);
            EndSignals::install();
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = 64 * 1024;
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                SafeFile file(path("Song.wav"), SafeFile::Target::New);
                for (int i = 0; i < 100; ++i)
                    file.write(QByteArray(4096, 'x'));
                file.commit();
            } catch (const SafeFileError& e) {
                std::fprintf(stderr, "%s\n", e.what());
                ::_exit(files().isEmpty() ? 0 : 1);
            }
            ::_exit(2);
        },
        ::testing::ExitedWithCode(0), "Song.wav: File too large");
    EXPECT_TRUE(files().isEmpty());
}

// As the window waits for it: from its event loop, once however many come.
TEST_F(EndSignalsTest, AnEventLoopHearsTheFirstSignal)
{
    EXPECT_EXIT(
        {
            EndRequests requests;
            QSignalSpy heard(&requests, &EndRequests::endRequested);
            ::raise(SIGTERM);
            const bool once = heard.wait(10000) && heard.size() == 1;
            ::_exit(once ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
