// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/Tfm_main.h"
#include "gui/skin/SkinView.h"
#include "gui/skin/SliderWaveform.h"
#include "jobs/SegmentPlan.h"
#include "skin/SkinElement.h"
#include "support/FakeSeams.h"
#include "support/Printers.h"
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <cmath>

// The window's cue sheet, chapter and silence commands, run as the user runs
// them (menus, drops, the files of a start) on real files made by ffmpeg:
// the rows they leave, the pieces drawn on the slider's waveform, and the
// commands refused while a job runs.

namespace {

using testsupport::ffmpeg;

// A cue sheet's frame of 1/75 s at 44100 Hz, as the sheet places it.
int64_t cueFrame(int mm, int ss, int ff)
{
    return (mm * 60 + ss) * int64_t{44100} + ff * int64_t{44100} / 75;
}

// "00:01:02.345" in milliseconds.
int64_t msOf(const QString& text)
{
    static const QRegularExpression time(R"(^(\d+):(\d\d):(\d\d)(?:\.(\d{3}))?$)");
    const QRegularExpressionMatch m = time.match(text);
    if (!m.hasMatch())
        return -1;
    return ((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 60 +
            m.captured(3).toLongLong()) *
               1000 +
           m.captured(4).toLongLong();
}

// The relative luminance and contrast ratio of WCAG 2.
double luminance(const QColor& c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}
double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class PiecesWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sources = new QTemporaryDir;
        ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "20", "-c:a",
                "pcm_s16le", src("album.wav")});
        // Tones of 12 s with 3 s of digital silence between them: silences
        // from 12 to 15 s and from 27 to 30 s.
        ffmpeg({"-f", "lavfi", "-i",
                "aevalsrc=if(gte(mod(t\\,15)\\,12)\\,0\\,0.5*sin(2*PI*440*t)):s=44100:d=42", "-c:a",
                "pcm_s16le", src("tape.wav")});
        // An MP3 whose ID3 tag carries two chapters.
        testsupport::writeAll(src("chapters.txt"), ";FFMETADATA1\n"
                                                   "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=4250\n"
                                                   "title=Opening\n"
                                                   "[CHAPTER]\nTIMEBASE=1/1000\nSTART=4250\n"
                                                   "END=10000\ntitle=Main part\n");
        ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-i",
                src("chapters.txt"), "-map_metadata", "1", "-map_chapters", "1", "-t", "10", "-c:a",
                "libmp3lame", "-b:a", "64k", src("book.mp3")});
        testsupport::writeAll(src("album.cue"), "PERFORMER \"Band\"\n"
                                                "TITLE \"Live\"\n"
                                                "FILE \"ALBUM.WAV\" WAVE\n"
                                                "  TRACK 01 AUDIO\n"
                                                "    TITLE \"First\"\n"
                                                "    INDEX 01 00:00:00\n"
                                                "  TRACK 02 AUDIO\n"
                                                "    TITLE \"Second\"\n"
                                                "    PERFORMER \"Guest\"\n"
                                                "    INDEX 01 00:07:37\n"
                                                "  TRACK 03 AUDIO\n"
                                                "    TITLE \"Third\"\n"
                                                "    INDEX 00 00:14:00\n"
                                                "    INDEX 01 00:15:00\n");
        // Two sides of a record, one sheet; the tracks count on across them.
        ffmpeg({"-f", "lavfi", "-i", "sine=frequency=330:sample_rate=44100", "-t", "8", "-c:a",
                "pcm_s16le", src("side a.wav")});
        ffmpeg({"-f", "lavfi", "-i", "sine=frequency=550:sample_rate=44100", "-t", "6", "-c:a",
                "pcm_s16le", src("side b.wav")});
        testsupport::writeAll(src("record.cue"), "FILE \"side a.wav\" WAVE\n"
                                                 "  TRACK 01 AUDIO\n"
                                                 "    TITLE \"A1\"\n"
                                                 "    INDEX 01 00:00:00\n"
                                                 "  TRACK 02 AUDIO\n"
                                                 "    TITLE \"A2\"\n"
                                                 "    INDEX 01 00:05:00\n"
                                                 "FILE \"side b.wav\" WAVE\n"
                                                 "  TRACK 03 AUDIO\n"
                                                 "    TITLE \"B1\"\n"
                                                 "    INDEX 01 00:00:00\n");
        testsupport::writeAll(src("lost.cue"), "FILE \"gone.wav\" WAVE\n"
                                               "  TRACK 01 AUDIO\n"
                                               "    INDEX 01 00:00:00\n");
    }
    static void TearDownTestSuite() { delete sources; }
    static QString src(const QString& name) { return sources->filePath(name); }

    void SetUp() override
    {
        window = std::make_unique<Tfm_main>(prompts, shell, config.filePath("Vessimo.ini"),
                                            testsupport::sourceDir() + "/skin/vessimo.skin");
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // The user of the silence dialog confirms what it offers, with the
        // changes a test makes.
        prompts.onShowModal = [this](Prompts::Dialog dialog) {
            if (dialog != Prompts::Dialog::FindSilences)
                return;
            ++silenceDialogs;
            PieceCommands::SilenceQuestion& q = session().pieces().silenceQuestion();
            if (changeSilenceOptions)
                changeSilenceOptions(q.options);
            q.accepted = answerSilenceDialog;
        };
    }

    MainSession& session() { return window->session(); }
    QStringList column(int col) const
    {
        QStringList texts;
        QAbstractItemModel* model = window->lv_time->model();
        for (int r = 0; r < model->rowCount(); ++r)
            texts << model->index(r, col).data().toString();
        return texts;
    }
    QStringList titles() const
    {
        QStringList texts;
        QAbstractItemModel* model = window->lv_time->model();
        for (int r = 0; r < model->rowCount(); ++r)
            texts << model->index(r, 0).data(Qt::ToolTipRole).toString();
        return texts;
    }
    QStringList files() const
    {
        QStringList names;
        QAbstractItemModel* model = window->lv->model();
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 0).data().toString();
        return names;
    }
    // The bounds of row `r` in milliseconds.
    std::pair<int64_t, int64_t> bounds(int r) const
    {
        const QStringList both = column(0).at(r).split(" - ");
        return {msOf(both.value(0)), msOf(both.value(1))};
    }
    void trigger(QMenu* menu, const QString& caption)
    {
        for (QAction* a : menu->actions())
            if (a->text() == caption) {
                a->trigger();
                return;
            }
        ADD_FAILURE() << "no menu item " << caption.toStdString();
    }
    // A drop on the file list, which the window takes; the files are added
    // from the event loop once the drop has returned.
    void drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = window->lv->mapTo(window.get(), QPoint(10, 10));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &dropped);
        QApplication::processEvents();
    }

    // The slider's track as drawn: the columns where a piece boundary line
    // stands (as fractions of the track's travel), and the colours beside
    // the first one.
    struct Drawn {
        QList<double> boundaries;
        QColor line;
        QColor beside;
    };
    Drawn drawnBoundaries()
    {
        // The envelope is computed off the GUI thread; the lines are drawn
        // over it once it is there.
        EXPECT_TRUE(testsupport::waitFor([this] { return !window->waveform().loader().busy(); },
                                         "the waveform"));
        QApplication::processEvents();
        const QImage image = window->Skin1->grab().toImage();
        const auto& slider = dynamic_cast<const SkinSlider&>(session().panel().pb());
        const QRect r = slider.GetBounds().toQRect();
        const double left = r.left() + slider.thumbPixels() / 2.0;
        const double travel = r.width() - slider.thumbPixels();
        // Above the groove, inside the waveform's band.
        const int y = r.top() + 1;
        Drawn drawn;
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c == QColor(0xe6, 0xec, 0xf5)) {
                drawn.boundaries << (x + 0.5 - left) / travel;
                if (!drawn.line.isValid()) {
                    drawn.line = c;
                    drawn.beside = image.pixelColor(x - 2, y);
                }
            }
        }
        return drawn;
    }

    static QTemporaryDir* sources;
    QTemporaryDir config;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<Tfm_main> window;
    int silenceDialogs = 0;
    bool answerSilenceDialog = true;
    std::function<void(SilenceOptions&)> changeSilenceOptions;
};

QTemporaryDir* PiecesWindowTest::sources = nullptr;

} // namespace

TEST_F(PiecesWindowTest, ACueSheetFromTheMenuListsItsFileAsTitledPiecesDrawnOnTheWaveform)
{
    // The user had chosen pieces of 60 s; the sheet's pieces are cut as
    // listed only under Custom, which the import chooses and says.
    session().options().functionChoice = segmentplan::EverySeconds;
    prompts.filesAnswer = {src("album.cue")};
    trigger(window->p_lv, "Import cue sheet…");

    EXPECT_EQ(prompts.fileFilters, QStringList{"Cue Sheets(*.cue)|*.cue"});
    EXPECT_EQ(files(), QStringList{"album.wav"}) << "the sheet's file, found in another case";
    EXPECT_EQ(session().options().functionChoice, segmentplan::Custom);
    EXPECT_EQ(prompts.informations, QStringList{"The function is now \"Custom\", so that the "
                                                "pieces are cut as listed."});
    // Track 02 begins at 7 s and 37 of 75: frame 330456, 7.493 s; track 03
    // at 15 s, its pre-gap in track 02.
    EXPECT_EQ(cueFrame(0, 7, 37), 330456);
    EXPECT_EQ(column(0), (QStringList{"00:00:00.000 - 00:00:07.493", "00:00:07.493 - 00:00:15.000",
                                      "00:00:15.000 - 00:00:20.000", "00:00:00 - 00:00:20"}));
    EXPECT_EQ(column(1), (QStringList{"00:00:07.493", "00:00:07.507", "00:00:05.000", "00:00:20"}));
    EXPECT_EQ(column(2), (QStringList{"OK", "OK", "OK", "Uncertain"}));
    EXPECT_EQ(titles(), (QStringList{"01 First \u2013 Band", "02 Second \u2013 Guest",
                                     "03 Third \u2013 Band", ""}));
    const listrecord& entry = session().jobs().list().entry(0);
    EXPECT_EQ(entry.segment(1).begin.exactFrame(), 330456) << "placed to the sample";
    EXPECT_EQ(entry.segment(1).label.album, "Live");
    EXPECT_EQ(session().panel().tataltime().GetText(), "00:00:20");
    // The times are shown whole: their columns widen, the list scrolls.
    const QFontMetrics metrics(window->lv_time->font());
    for (int c = 0; c < 2; ++c)
        for (const QString& text : column(c))
            EXPECT_GE(window->lv_time->columnWidth(c), metrics.horizontalAdvance(text) + 8)
                << text.toStdString();
    EXPECT_GE(window->lv_time->columnWidth(2), metrics.horizontalAdvance("Converting"));

    // The two inner bounds are drawn as lines, where the slider stands for
    // them, in a colour that stands out from the panel behind the waveform.
    const Drawn drawn = drawnBoundaries();
    ASSERT_EQ(drawn.boundaries.size(), 2);
    const double travelPixel = 1.0 / 400;
    EXPECT_NEAR(drawn.boundaries[0], 7.493 / 20, 1.5 * travelPixel);
    EXPECT_NEAR(drawn.boundaries[1], 15.0 / 20, 1.5 * travelPixel);
    EXPECT_GE(contrast(drawn.line, drawn.beside), 3.0)
        << drawn.beside.name().toStdString() << " beside the line";
    EXPECT_GE(contrast(drawn.line, QColor(0x17, 0x1d, 0x29)), 4.5) << "the panel's base colour";
}

TEST_F(PiecesWindowTest, ASilenceSearchFromTheActionMenuReportsCutsAndDrawsThePieces)
{
    window->addPaths({src("tape.wav")});
    trigger(window->p_action, "Find silences…");
    ASSERT_EQ(silenceDialogs, 1);
    // The offered values: -50 dBFS, 2 s, 10 s, silences kept.
    const SilenceOptions& offered = session().pieces().silenceQuestion().options;
    EXPECT_EQ(offered.thresholdDb, -50.0);
    EXPECT_EQ(offered.minSilenceSeconds, 2.0);
    EXPECT_EQ(offered.minPieceSeconds, 10.0);
    EXPECT_FALSE(offered.dropSilence);

    // Boundaries in the middles of the silences, 13.5 s and 28.5 s.
    ASSERT_EQ(column(0).size(), 4);
    const auto [b0, e0] = bounds(0);
    const auto [b1, e1] = bounds(1);
    const auto [b2, e2] = bounds(2);
    EXPECT_EQ(b0, 0);
    EXPECT_NEAR(e0, 13'500, 10);
    EXPECT_EQ(b1, e0);
    EXPECT_NEAR(e1, 28'500, 10);
    EXPECT_EQ(b2, e1);
    EXPECT_EQ(e2, 42'000);
    EXPECT_EQ(column(2), (QStringList{"OK", "OK", "OK", "Uncertain"}));
    EXPECT_EQ(titles(), (QStringList{"Piece 1 of 3", "Piece 2 of 3", "Piece 3 of 3", ""}));
    // The report names both silences, about 12–15 s and 27–30 s.
    ASSERT_EQ(prompts.informations.size(), 1);
    const QStringList report = prompts.informations[0].split('\n');
    ASSERT_EQ(report.size(), 3) << prompts.informations[0].toStdString();
    EXPECT_EQ(report[0], "Found 2 silences in tape.wav; it is cut into 3 pieces:");
    EXPECT_TRUE(report[1].startsWith("00:00:12.0")) << report[1].toStdString();
    EXPECT_TRUE(report[2].startsWith("00:00:27.0")) << report[2].toStdString();
    EXPECT_EQ(session().state().mode(), SessionState::Mode::Idle);
    EXPECT_EQ(session().panel().pbpos().GetText(), "") << "the progress is cleared";

    const Drawn drawn = drawnBoundaries();
    ASSERT_EQ(drawn.boundaries.size(), 2);
    EXPECT_NEAR(drawn.boundaries[0], 13.5 / 42, 1.5 / 400);
    EXPECT_NEAR(drawn.boundaries[1], 28.5 / 42, 1.5 / 400);

    // Dropped silences: three pieces of tone, each silence left out, and a
    // line at either side of it. The dialog offers the last values.
    changeSilenceOptions = [](SilenceOptions& o) {
        EXPECT_FALSE(o.dropSilence);
        o.dropSilence = true;
    };
    prompts.informations.clear();
    session().runCommand(Command::FindSilences);
    ASSERT_EQ(column(0).size(), 4);
    EXPECT_NEAR(bounds(0).second, 12'000, 10);
    EXPECT_NEAR(bounds(1).first, 15'000, 10);
    EXPECT_NEAR(bounds(1).second, 27'000, 10);
    EXPECT_NEAR(bounds(2).first, 30'000, 10);
    EXPECT_EQ(drawnBoundaries().boundaries.size(), 4);
    EXPECT_TRUE(session().pieces().silenceQuestion().options.dropSilence);

    // Nothing quiet for long enough: said, and the list stays.
    changeSilenceOptions = [](SilenceOptions& o) { o.minSilenceSeconds = 4; };
    prompts.informations.clear();
    const QStringList before = column(0);
    session().runCommand(Command::FindSilences);
    EXPECT_EQ(prompts.informations,
              QStringList{"No silence was found in tape.wav: nothing stays below -50.0 dBFS for "
                          "4.0 s."});
    EXPECT_EQ(column(0), before);

    // A cancelled dialog searches nothing.
    answerSilenceDialog = false;
    prompts.informations.clear();
    session().runCommand(Command::FindSilences);
    EXPECT_TRUE(prompts.informations.isEmpty());
    EXPECT_EQ(column(0), before);
}

TEST_F(PiecesWindowTest, TheSearchIsAJobThatRefusesTheOtherCommandsAndStops)
{
    window->addPaths({src("tape.wav")});
    // Once the search runs, the user tries the commands a job refuses, then
    // clicks Stop; all of it arrives while the search pumps.
    int runs = 0;
    QString progressShown;
    QObject::connect(&session().state(), &SessionState::modeChanged, window.get(),
                     [&](SessionState::Mode mode) {
                         if (mode != SessionState::Mode::Running)
                             return;
                         ++runs;
                         QMetaObject::invokeMethod(
                             window.get(),
                             [&] {
                                 progressShown = session().panel().pbpos().GetText();
                                 prompts.filesAnswer = {src("album.cue")};
                                 session().runCommand(Command::ImportCueSheet);
                                 session().runCommand(Command::UseChapters);
                                 session().runCommand(Command::FindSilences);
                                 session().runCommand(Command::AddFiles);
                                 session().runCommand(Command::StopAll);
                             },
                             Qt::QueuedConnection);
                     });
    session().runCommand(Command::FindSilences);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(progressShown.endsWith('%')) << progressShown.toStdString();
    EXPECT_EQ(session().panel().pbpos().GetText(), "");
    EXPECT_EQ(silenceDialogs, 1) << "no second search";
    EXPECT_TRUE(prompts.fileFilters.isEmpty()) << "no file dialog during the search";
    EXPECT_EQ(files(), QStringList{"tape.wav"});
    EXPECT_EQ(column(0), QStringList{"00:00:00 - 00:00:42"}) << "a stopped search changes nothing";
    EXPECT_TRUE(prompts.informations.isEmpty());
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_EQ(session().state().mode(), SessionState::Mode::Idle);
}

TEST_F(PiecesWindowTest, WhileAJobRunsTheCommandsAreRefused)
{
    window->addPaths({src("book.mp3")});
    session().state().setMode(SessionState::Mode::Running);
    prompts.filesAnswer = {src("album.cue")};
    for (const char* caption : {"Import cue sheet…", "Use chapters", "Find silences…"}) {
        trigger(window->p_lv, caption);
        trigger(window->p_action, caption);
    }
    drop({QUrl::fromLocalFile(src("album.cue"))});
    EXPECT_TRUE(prompts.fileFilters.isEmpty());
    EXPECT_EQ(silenceDialogs, 0);
    EXPECT_EQ(files(), QStringList{"book.mp3"});
    EXPECT_EQ(column(0), QStringList{"00:00:00 - 00:00:10"});
    EXPECT_TRUE(prompts.informations.isEmpty());
}

TEST_F(PiecesWindowTest, ChaptersOfTheSelectedFileBecomeItsPiecesOrAreSaidToBeMissing)
{
    window->addPaths({src("book.mp3"), src("album.wav")});
    session().runCommand(Command::UseChapters);
    EXPECT_EQ(column(0), (QStringList{"00:00:00.000 - 00:00:04.250", "00:00:04.250 - 00:00:10.000",
                                      "00:00:00 - 00:00:10"}));
    EXPECT_EQ(titles(), (QStringList{"01 Opening", "02 Main part", ""}));
    EXPECT_TRUE(prompts.informations.isEmpty()) << "Custom was chosen already";

    session().jobs().list().select(1);
    session().jobs().lvClick();
    session().runCommand(Command::UseChapters);
    EXPECT_EQ(prompts.informations,
              QStringList{"album.wav has no chapters: only MP3 and Ogg files carry them."});
    EXPECT_EQ(column(0), QStringList{"00:00:00 - 00:00:20"});
}

TEST_F(PiecesWindowTest, SheetsDroppedOrGivenAtTheStartAreImported)
{
    // Beside its file, the sheet first: the file is listed once.
    window->receiveFiles({src("album.cue"), src("album.wav")});
    EXPECT_EQ(files(), QStringList{"album.wav"});
    EXPECT_EQ(column(0).size(), 4);
    EXPECT_EQ(titles().first(), "01 First \u2013 Band");

    // Dropped with the file listed already.
    session().jobs().ClearSegments();
    EXPECT_EQ(column(0).size(), 1);
    drop({QUrl::fromLocalFile(src("album.cue"))});
    EXPECT_EQ(files(), QStringList{"album.wav"});
    EXPECT_EQ(column(0).size(), 4);

    // Alone: it names its file, which is added.
    session().jobs().ClearJobList();
    window->receiveFiles({src("album.cue")});
    EXPECT_EQ(files(), QStringList{"album.wav"});
    EXPECT_EQ(column(0).size(), 4);
    EXPECT_TRUE(prompts.errors.isEmpty());

    // A sheet whose file is missing is named in the error box, and nothing
    // else changes.
    drop({QUrl::fromLocalFile(src("lost.cue")), QUrl::fromLocalFile(src("tape.wav"))});
    EXPECT_EQ(files(), (QStringList{"album.wav", "tape.wav"}));
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith("lost.cue, line 1: gone.wav is not in"))
        << prompts.errors[0].toStdString();
}

TEST_F(PiecesWindowTest, ASheetOfTwoFilesFillsBothListsAndShowsTheFirst)
{
    // The second side is listed already, under another file before it.
    window->addPaths({src("tape.wav"), src("side b.wav")});
    session().options().functionChoice = segmentplan::Unification;
    prompts.filesAnswer = {src("record.cue")};
    session().runCommand(Command::ImportCueSheet);
    EXPECT_EQ(files(), (QStringList{"tape.wav", "side b.wav", "side a.wav"}));
    EXPECT_EQ(session().jobs().list().selectedRow(), 2) << "the sheet's first file is shown";
    EXPECT_EQ(titles(), (QStringList{"01 A1", "02 A2", ""}));
    EXPECT_EQ(column(0), (QStringList{"00:00:00.000 - 00:00:05.000", "00:00:05.000 - 00:00:08.000",
                                      "00:00:00 - 00:00:08"}));
    const listrecord& b = session().jobs().list().entry(1);
    ASSERT_EQ(b.usedSegments(), 2);
    EXPECT_EQ(b.segment(0).label.title, "B1");
    EXPECT_EQ(b.segment(0).label.track, 3);
    EXPECT_EQ(b.segment(0).label.trackTotal, 3);
    EXPECT_EQ(session().jobs().list().entry(0).usedSegments(), 1) << "the other file is left alone";
    EXPECT_EQ(session().options().functionChoice, segmentplan::Custom)
        << "Unification would cut the first file's list from every file";
    EXPECT_EQ(prompts.informations.size(), 1);
}
