// SPDX-License-Identifier: GPL-3.0-or-later
// How long adding a folder of 1,000 ten-minute MP3 files takes, through the
// job list's folder add as the window runs it (probing, tags, rows), with
// the pump counted. One encoded file is hard-linked 1,000 times, so after
// the first pass the files come from the page cache: the figure is the
// program's own cost, not the disk's.

#include "audio/AudioFile.h"
#include "base/Prompts.h"
#include "base/SessionState.h"
#include "jobs/JobArea.h"
#include "settings/Options.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>

namespace {

class NoPrompts : public Prompts {
public:
    int refused = 0;
    void information(const QString&) override { ++refused; }
    void error(const QString&) override {}
    QStringList openFiles(const QString&) override { return {}; }
    SaveChoice joinTarget(const QString&, int, const QString&) override { return {}; }
    QString chooseFolder(const QString&) override { return {}; }
    void showModal(Dialog) override {}
};

// A folder of `count` links to one ten-minute MP3 file; `xing` false leaves
// out the header that gives the length without reading the frames.
QString makeFolder(QTemporaryDir& dir, int count, bool xing)
{
    const QString one = dir.filePath(xing ? "source.mp3" : "source-noxing.mp3");
    QStringList args{
        "-v",  "error", "-y",  "-f", "lavfi", "-i",         "sine=frequency=440:sample_rate=44100",
        "-t",  "600",   "-ac", "2",  "-c:a",  "libmp3lame", "-b:a",
        "128k"};
    if (!xing)
        args << "-write_xing"
             << "0";
    args << one;
    if (QProcess::execute("ffmpeg", args) != 0)
        return {};
    const QString folder = dir.filePath(xing ? "xing" : "noxing");
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const QString link =
            QDir(folder).filePath(QStringLiteral("track%1.mp3").arg(i, 4, 10, QLatin1Char('0')));
        if (::link(one.toLocal8Bit().constData(), link.toLocal8Bit().constData()) != 0)
            return {};
    }
    return folder;
}

void addFolder(benchmark::State& state, bool xing)
{
    const int count = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString folder = makeFolder(dir, count, xing);
    if (folder.isEmpty()) {
        state.SkipWithError("ffmpeg could not make the source file");
        return;
    }
    NoPrompts prompts;
    AudioFile reader;
    reader.SetEnabled(true);
    Options options;
    int pumps = 0;
    qint64 longestGapMs = 0;
    QElapsedTimer sincePump;
    for (auto _ : state) {
        SessionState session;
        JobArea area(prompts, reader, options, session);
        QObject::connect(&area, &JobArea::pumpRequested, [&] {
            ++pumps;
            if (sincePump.isValid())
                longestGapMs = std::max(longestGapMs, sincePump.elapsed());
            sincePump.start();
            QCoreApplication::processEvents();
        });
        area.addFolderPath(folder);
        if (area.list().count() != count)
            state.SkipWithError("not every file was added");
    }
    state.counters["files_per_s"] = benchmark::Counter(
        static_cast<double>(count) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["longest_gap_ms"] = static_cast<double>(longestGapMs);
    state.counters["refused"] = prompts.refused;
}

void BM_AddFolderOfTenMinuteMp3(benchmark::State& state)
{
    addFolder(state, true);
}
void BM_AddFolderOfTenMinuteMp3WithoutXing(benchmark::State& state)
{
    addFolder(state, false);
}

} // namespace

BENCHMARK(BM_AddFolderOfTenMinuteMp3)->Arg(1000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddFolderOfTenMinuteMp3WithoutXing)
    ->Arg(100)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
