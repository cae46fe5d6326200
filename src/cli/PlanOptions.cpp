#include "cli/PlanOptions.h"

#include "audio/AudioError.h"
#include "audio/AudioReader.h"
#include "base/IniFile.h"
#include "jobs/JobList.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <limits>

namespace cli {

void requirePaths(const ParsedLine& line)
{
    if (line.positional().isEmpty())
        throw UsageError(QStringLiteral("no file or folder given"));
}

int positiveNumber(const QString& option, const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool fits = false;
    const int value = text.toInt(&fits);
    if (!digits.match(text).hasMatch() || (fits && value < 1))
        throw UsageError(
            QStringLiteral("--%1 needs a whole number of 1 or more, not \"%2\"").arg(option, text));
    if (!fits)
        throw UsageError(QStringLiteral("--%1 %2 is too large (at most %3)")
                             .arg(option, text)
                             .arg(std::numeric_limits<int>::max()));
    return value;
}

QString printable(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
            shown += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

ExactRequest parsePlan(const ParsedLine& line)
{
    ExactRequest request;
    int given = 0;
    if (line.isSet(QStringLiteral("every"))) {
        ++given;
        request.kind = ExactRequest::Every;
        request.every =
            TimeText::parse(line.value(QStringLiteral("every")), QStringLiteral("--every"));
        if (request.every.isZero())
            throw UsageError(QStringLiteral("--every needs a time above 0"));
    }
    if (line.isSet(QStringLiteral("pieces"))) {
        ++given;
        request.kind = ExactRequest::Pieces;
        request.pieces =
            positiveNumber(QStringLiteral("pieces"), line.value(QStringLiteral("pieces")));
    }
    if (line.isSet(QStringLiteral("segments"))) {
        ++given;
        request.kind = ExactRequest::Segments;
        request.segments = parseTimeRanges(line.value(QStringLiteral("segments")));
    }
    if (given > 1)
        throw UsageError(QStringLiteral("give only one of --every, --pieces and --segments"));
    return request;
}

QVector<PlannedFile> planFiles(JobList& list, const ExactRequest& request)
{
    QVector<PlannedFile> files;
    for (int row = 0; row < list.count(); ++row) {
        listrecord& entry = list.entry(row);
        PlannedFile file;
        file.path = entry.path;
        file.caption = list.caption(row);
        file.frames = entry.sampleCount;
        try {
            file.rate = AudioReader::open(entry.path)->sampleRate();
        } catch (const AudioError&) {
            // The list read it a moment ago; a file that changed since is
            // reported by the job that reads it.
            file.rate = 0;
        }
        if (file.rate > 0)
            file.pieces = exactPieces(request, file.frames, file.rate, file.notes);
        entry.setConfirmedSegments(file.pieces);
        files.append(file);
    }
    for (int row = list.count() - 1; row >= 0; --row)
        if (files[row].pieces.isEmpty())
            list.removeAt(row);
    return files;
}

QString clockText(int64_t frames, int rate)
{
    if (rate <= 0)
        return QStringLiteral("00:00:00");
    const int64_t whole = frames / rate;
    QString text = QStringLiteral("%1:%2:%3")
                       .arg(whole / 3600, 2, 10, QLatin1Char('0'))
                       .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(whole % 60, 2, 10, QLatin1Char('0'));
    if (frames % rate != 0)
        text += QStringLiteral(".%1").arg(frames % rate * 1000 / rate, 3, 10, QLatin1Char('0'));
    return text;
}

QString settingsPath(const ParsedLine& parser)
{
    if (!parser.isSet(QStringLiteral("settings")))
        return IniFile::defaultPath();
    const QString ini = parser.value(QStringLiteral("settings"));
    if (!QFileInfo(ini).isFile())
        throw UsageError(QStringLiteral("no settings file %1").arg(ini));
    return ini;
}

int usageFailure(QTextStream& err, Command command, const UsageError& error)
{
    err << "vessimo-cli " << commandName(command) << ": "
        << printable(QString::fromUtf8(error.what())) << "\n"
        << usageText(command);
    return 2;
}

} // namespace cli
