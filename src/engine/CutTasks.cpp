// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CutTasks.h"

#include "base/TimeCode.h"
#include "engine/JobView.h"
#include "jobs/PieceName.h"
#include "settings/Options.h"

#include <QFileInfo>

namespace {

// A fade of `seconds` on the entry's own scale, Scale(t × 1000, n, S × 1000);
// none while the fade is off.
int64_t fadeFrames(bool on, int seconds, const JobFile& entry)
{
    if (!on)
        return 0;
    return timecode::Scale64(int64_t(seconds) * 1000, entry.sampleCount,
                             int64_t(entry.duration) * 1000);
}

// The frames of an MP3 file are copied; what else decodes as MP3 (an MP3
// stream in a WAV or an ASF wrapper) is left to the encoder.
bool isMp3File(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0;
}

// The piece's tags: its label's texts over the source's record. The
// source's own track numbers the source, not its pieces.
TagFields tagsOf(const TagFields& source, const SegmentLabel& label, int number, int total)
{
    TagFields tags = source;
    const auto over = [](QString& field, const QString& text) {
        if (!text.isEmpty())
            field = text;
    };
    over(tags.title, label.title);
    over(tags.artist, label.performer);
    over(tags.album, label.album);
    over(tags.year, label.date);
    over(tags.genre, label.genre);
    if (label.track > 0)
        tags.track =
            joinTrack(QString::number(label.track),
                      label.trackTotal > 0 ? QString::number(label.trackTotal) : QString());
    else
        tags.track = joinTrack(QString::number(number), QString::number(total));
    return tags;
}

} // namespace

CutTasks::CutTasks(const JobView& view, segmentplan::Choice choice, const Options& options,
                   PieceRules rules)
    : m_view(view), m_choice(choice), m_options(options), m_rules(std::move(rules)),
      m_naming(options.outputDir), m_numberedFirst(cutplan::numberedFirst(choice))
{
    if (m_rules.namesFromPlan)
        m_naming.ignoreExistingFiles();
    QStringList sources;
    for (int i = 0; i < view.fileCount(); ++i)
        sources << view.file(i).path;
    m_naming.protect(sources);
    if (view.fileCount() > 0)
        m_shared = view.file(0);
}

bool CutTasks::hasFile() const
{
    return m_file + 1 < m_view.fileCount();
}

bool CutTasks::nextFile()
{
    if (!hasFile()) {
        m_pieces.clear();
        m_next = 0;
        return false;
    }
    ++m_file;
    m_entry = m_view.file(m_file);
    m_fadeOutFrames = fadeFrames(true, m_options.fadeOutSeconds, m_entry);
    m_pieces = cutplan::pieces(m_choice, m_entry, m_shared, m_options);
    m_next = 0;
    return true;
}

CutTask CutTasks::takePiece(OutputFormat format)
{
    CutTask task;
    task.fileIndex = m_file;
    task.piece = m_pieces[m_next++];
    task.source = m_entry.path;
    task.format = format;
    const int number = task.piece.label.track > 0 ? task.piece.label.track : m_next;
    task.tags = tagsOf(m_entry.tags, task.piece.label, m_next, static_cast<int>(m_pieces.size()));
    task.tagged = m_rules.tags;
    task.output = nameFor(task, number, outputExtension(format));
    task.fadeInFrames = fadeFrames(m_options.fadeIn, m_options.fadeInSeconds, m_entry);
    task.fadeOutFrames = m_options.fadeOut ? m_fadeOutFrames : 0;
    task.earlyEnd = m_choice == segmentplan::Custom;
    // A fade changes the samples, and only MP3 frames can be copied into an
    // MP3 piece.
    if (m_options.losslessCopy && format == OutputFormat::Mp3 && isMp3File(task.source) &&
        task.fadeInFrames == 0 && task.fadeOutFrames == 0)
        task.how = PieceMethod::Copy;
    return task;
}

QString CutTasks::nameFor(const CutTask& task, int number, const QString& extension)
{
    if (m_rules.names) {
        PieceNameFields fields;
        fields.base = OutputNaming::BaseName(m_entry.caption, m_entry.path);
        fields.title = task.tags.title;
        fields.artist = task.tags.artist;
        fields.album = task.tags.album;
        fields.source = QFileInfo(m_entry.path).completeBaseName();
        fields.number = number;
        fields.startMs = task.piece.begin.ms();
        fields.endMs = task.piece.end.ms();
        if (const QString stem = m_rules.names->expand(fields); !stem.isEmpty())
            return m_naming.chooseStem(stem, extension);
    }
    if (const QString stem = PieceName(task.piece.label.track, task.piece.label.title);
        !stem.isEmpty())
        return m_naming.chooseStem(stem, extension);
    return m_naming.choose(m_entry.caption, m_entry.path, extension, m_numberedFirst);
}

QVector<CutTask> CutTasks::all(OutputFormat format)
{
    QVector<CutTask> tasks;
    while (nextFile())
        while (hasPiece())
            tasks.push_back(takePiece(format));
    return tasks;
}

QString CutTasks::fallbackFor(const CutTask& task)
{
    m_naming.release(task.output);
    return m_naming.fallback(task.source, outputExtension(task.format));
}
