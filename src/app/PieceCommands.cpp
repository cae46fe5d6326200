// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PieceCommands.h"

#include "audio/AudioFile.h"
#include "base/Prompts.h"
#include "base/SessionState.h"
#include "engine/FrameMath.h"
#include "engine/JobPanel.h"
#include "engine/JobPump.h"
#include "jobs/ChapterPlan.h"
#include "jobs/CueSheetImport.h"
#include "jobs/JobArea.h"
#include "jobs/SegmentList.h"
#include "jobs/SegmentPlan.h"
#include "player/Preview.h"
#include "settings/Options.h"
#include "tags/TagFile.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// A report names this many silences; a long tape has hundreds.
constexpr int kListedSilences = 20;

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

QString number(double value)
{
    return QString::number(value, 'f', 1);
}

// The search as a job: Running while it decodes, so that the commands a
// job refuses wait for it and Stop ends it; the panel empty afterwards.
class SearchRunning {
public:
    SearchRunning(SessionState& state, JobPanel& panel) : m_state(state), m_panel(panel)
    {
        m_state.setMode(SessionState::Mode::Running);
    }
    ~SearchRunning()
    {
        m_state.leave(SessionState::Mode::Running);
        m_panel.showPercent(QString());
        m_panel.SetConversionBar(0);
    }
    SearchRunning(const SearchRunning&) = delete;
    SearchRunning& operator=(const SearchRunning&) = delete;

private:
    SessionState& m_state;
    JobPanel& m_panel;
};

QString silenceLine(const FrameRange& silence, int rate)
{
    const Segment s(SegmentPoint::frame(silence.begin, rate),
                    SegmentPoint::frame(silence.end, rate));
    return QStringLiteral("%1 (%2 s)")
        .arg(SegmentList::rangeText(s))
        .arg(QString::number(static_cast<double>(silence.length()) / rate, 'f', 3));
}

} // namespace

const QString PieceCommands::kCueFilter = QStringLiteral("Cue Sheets(*.cue)|*.cue");

bool PieceCommands::isCueSheet(const QString& path)
{
    const QFileInfo info(path);
    return !info.isDir() && info.suffix().compare(QLatin1String("cue"), Qt::CaseInsensitive) == 0;
}

void PieceCommands::stopPreview()
{
    // The rows of the previewed file stay as they are while it plays; the
    // new pieces are shown at once.
    if (m_parts.state.PreviewActive())
        m_parts.preview.StopPreview();
}

void PieceCommands::inform(const QString& text)
{
    if (!text.isEmpty())
        m_parts.prompts.information(text);
}

QString PieceCommands::chooseCustom()
{
    if (m_parts.options.functionChoice == segmentplan::Custom)
        return {};
    m_parts.options.functionChoice = segmentplan::Custom;
    return QStringLiteral("The function is now \"Custom\", so that the pieces are cut as listed.");
}

// ---- Cue sheets -------------------------------------------------------------

void PieceCommands::ImportCueSheet()
{
    const QStringList sheets = m_parts.prompts.openFiles(kCueFilter);
    for (const QString& sheet : sheets)
        importCueSheet(sheet);
}

void PieceCommands::importCueSheet(const QString& sheetPath)
{
    // All of the sheet or nothing: it is read and placed on its files first.
    const QVector<CueSource> sources = ::ImportCueSheet(sheetPath);
    stopPreview();
    JobArea& jobs = m_parts.jobs;
    QStringList missing;
    for (const CueSource& source : sources)
        if (jobs.rowOfFile(source.audioPath) < 0 && !missing.contains(source.audioPath))
            missing << source.audioPath;
    if (!missing.isEmpty())
        jobs.addFilePaths(missing);

    // A file the list refused has been reported with its reason.
    QVector<int> rows;
    for (const CueSource& source : sources)
        rows << jobs.rowOfFile(source.audioPath);
    if (std::all_of(rows.cbegin(), rows.cend(), [](int row) { return row < 0; }))
        return;
    // Switched first, so that each list is shown as the stored list it is.
    const QString switched = chooseCustom();
    // Backwards, so that the sheet's first file is the one shown last.
    for (qsizetype i = sources.size(); i-- > 0;)
        if (rows[i] >= 0)
            jobs.placePlan(rows[i], sources[i].plan);
    inform(switched);
}

// ---- Chapters ---------------------------------------------------------------

void PieceCommands::UseChapters()
{
    JobArea& jobs = m_parts.jobs;
    const int row = jobs.list().selectedRow();
    if (row < 0)
        return;
    const QString path = jobs.list().entry(row).path;
    const QString name = fileName(path);
    const TagChapters chapters = TagFile::chapters(path);
    if (chapters.isEmpty()) {
        const TagFile::Format format = TagFile::formatOf(path);
        const bool carries = format == TagFile::Format::Mp3 || format == TagFile::Format::Ogg;
        inform(carries ? QStringLiteral("%1 has no chapters.").arg(name)
                       : QStringLiteral("%1 has no chapters: only MP3 and Ogg files carry them.")
                             .arg(name));
        return;
    }
    // A reader of its own: the chapters are placed on the file's exact
    // frames, which the list's entry keeps no rate for.
    AudioFile reader;
    reader.SetEnabled(true);
    reader.OpenRead(path);
    const PiecePlan plan =
        PlanFromChapters(chapters, reader.GetSampleRate(), reader.GetSampleCount());
    reader.Close();
    if (plan.pieces.isEmpty()) {
        inform(QStringLiteral("The chapters of %1 all lie past the end of its audio.").arg(name));
        return;
    }
    stopPreview();
    const QString switched = chooseCustom();
    jobs.placePlan(row, plan);
    inform(switched);
}

// ---- Silences ---------------------------------------------------------------

void PieceCommands::FindSilences()
{
    if (m_parts.jobs.list().selectedRow() < 0)
        return;
    m_question.accepted = false;
    m_parts.prompts.showModal(Prompts::Dialog::FindSilences);
    if (m_question.accepted)
        findSilences(m_question.options);
}

void PieceCommands::findSilences(const SilenceOptions& options)
{
    JobArea& jobs = m_parts.jobs;
    const int row = jobs.list().selectedRow();
    if (row < 0)
        return;
    const QString path = jobs.list().entry(row).path;
    stopPreview();
    std::optional<SilenceReport> report;
    {
        const SearchRunning running(m_parts.state, m_parts.panel);
        int32_t shown = -1;
        report = ::FindSilences(path, options, [&](int64_t done, int64_t total) {
            const int32_t progress = framemath::Progress(done, total);
            if (progress / 100 != shown / 100) {
                m_parts.panel.showPercent(QString::number(progress / 100) + QLatin1Char('%'));
                m_parts.panel.SetConversionBar(progress);
            }
            shown = progress;
            return m_parts.pump.pump() && m_parts.state.JobRunning();
        });
    }
    // Stopped: nothing found, nothing changed.
    if (!report)
        return;

    const QString name = fileName(path);
    if (report->silences.isEmpty()) {
        inform(QStringLiteral("No silence was found in %1: nothing stays below %2 dBFS for %3 s.")
                   .arg(name, number(options.thresholdDb), number(options.minSilenceSeconds)));
        return;
    }
    QStringList lines;
    const int found = static_cast<int>(report->silences.size());
    const int pieces = static_cast<int>(report->plan.pieces.size());
    lines << (found == 1 ? QStringLiteral("Found 1 silence in %1").arg(name)
                         : QStringLiteral("Found %1 silences in %2").arg(found).arg(name)) +
                 (pieces == 1   ? QStringLiteral("; it is cut as one piece:")
                  : pieces == 0 ? QStringLiteral("; it is silence only, no piece is left:")
                                : QStringLiteral("; it is cut into %1 pieces:").arg(pieces));
    for (int i = 0; i < std::min(found, kListedSilences); ++i)
        lines << silenceLine(report->silences[i], report->rate);
    if (found > kListedSilences)
        lines << QStringLiteral("and %1 more.").arg(found - kListedSilences);

    // The row may have moved while the window pumped; its file has not.
    const int now = jobs.rowOfFile(path);
    if (now >= 0 && !report->plan.pieces.isEmpty()) {
        const QString switched = chooseCustom();
        jobs.placePlan(now, report->plan);
        if (!switched.isEmpty())
            lines << QString() << switched;
    }
    inform(lines.join(QLatin1Char('\n')));
}
