#include "cli/Commands.h"
#include "cli/PlanOptions.h"

#include "audio/AudioError.h"
#include "audio/AudioReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

// vessimo-cli probe [--json] FILE...: what the reader reports for each file.
// Every file is probed even when one fails; the status is then 1.
int cli::probe(const ParsedLine& line)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const bool json = line.isSet(QStringLiteral("json"));
    const QStringList files = line.positional();
    if (files.isEmpty())
        return usageFailure(err, Probe, UsageError(QStringLiteral("no file given")));

    int status = 0;
    QJsonArray results;
    for (const QString& path : files) {
        QJsonObject result{{QStringLiteral("path"), path}};
        try {
            const std::unique_ptr<AudioReader> reader = AudioReader::open(path);
            result.insert(QStringLiteral("format"), reader->formatName());
            result.insert(QStringLiteral("rate"), reader->sampleRate());
            result.insert(QStringLiteral("channels"), reader->channels());
            result.insert(QStringLiteral("frames"), static_cast<qint64>(reader->sampleCount()));
            result.insert(QStringLiteral("duration_ms"), static_cast<qint64>(reader->durationMs()));
            if (!json)
                out << path << ": " << reader->formatName() << ", " << reader->sampleRate()
                    << " Hz, " << reader->channels() << " channels, " << reader->sampleCount()
                    << " frames, " << reader->durationMs() << " ms\n";
        } catch (const AudioError& e) {
            status = 1;
            result.insert(QStringLiteral("error"), e.message());
            if (!json)
                err << path << ": error: " << e.message() << "\n";
        }
        results.append(result);
    }
    if (json)
        out << QJsonDocument(results).toJson(QJsonDocument::Indented);
    return status;
}
