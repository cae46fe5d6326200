// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"
#include "cli/PlanOptions.h"
#include "cli/RunReport.h"

#include "jobs/CleanFileName.h"
#include "tags/Id3Tags.h"
#include "tags/TagError.h"
#include "tags/TagFile.h"
#include "tags/TagText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

// What the command line asks for.
struct Request {
    bool json = false;
    QStringList files;
    TagFields values;
    TagFieldSet fields; // the fields --set names; none when only reading
};

// The problem with the command line, or an empty text.
QString parse(const cli::ParsedLine& line, Request& request)
{
    request.json = line.isSet(QStringLiteral("json"));
    request.files = line.positional();
    for (const QString& assignment : line.values(QStringLiteral("set"))) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        const std::optional<TagField> field =
            equals < 0 ? std::nullopt : tagFieldNamed(QStringView(assignment).left(equals));
        if (!field)
            return QStringLiteral("unknown field in --set %1 (fields: title, artist, album, year, "
                                  "comment, genre, track)")
                .arg(assignment);
        request.values[*field] = assignment.mid(equals + 1);
        request.fields |= *field;
    }
    if (request.files.isEmpty())
        return QStringLiteral("no file given");
    if (request.fields && (request.files.size() != 1 || request.json))
        return QStringLiteral("--set takes exactly one file and no --json");
    return {};
}

// The job list's rule for MP3 titles: the version 2 title, unless cleaning it
// for a file name leaves nothing, then the version 1 title.
TagFields shownFields(const QString& path)
{
    TagFields fields = TagFile::read(path);
    if (TagFile::formatOf(path) == TagFile::Format::Mp3 &&
        trimTagText(CleanFileName(fields.title)).isEmpty()) {
        const QString v1Title = ReadId3v1Title(path);
        fields.title = trimTagText(CleanFileName(v1Title)).isEmpty() ? QString() : v1Title;
    }
    return fields;
}

QJsonObject toJson(const QString& path, const TagFields& fields)
{
    QJsonObject tags;
    for (const TagField field : allTagFields)
        tags.insert(tagFieldName(field), fields[field]);
    return QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("tags"), tags}};
}

} // namespace

// vessimo-cli tags [--json] FILE...: the tag fields of each file; every file
// is read even when one fails, the status is then 1.
// vessimo-cli tags FILE --set FIELD=VALUE ...: changes the named fields.
int cli::tags(const ParsedLine& line)
{
    QTextStream err(stderr);
    Request request;
    if (const QString problem = parse(line, request); !problem.isEmpty())
        return usageFailure(err, Tags, UsageError(problem));
    RunReport report(Tags, line);

    for (const QString& path : request.files) {
        if (const QString problem = fileProblem(path); !problem.isEmpty()) {
            report.fail(path, problem);
            continue;
        }
        try {
            if (request.fields) {
                TagFile::write(path, request.values, request.fields);
                continue;
            }
            const TagFields fields = shownFields(path);
            report.addFile(toJson(path, fields));
            report.print(printable(path));
            for (const TagField field : allTagFields)
                report.print(
                    QStringLiteral("  %1: %2").arg(tagFieldName(field), printable(fields[field])));
        } catch (const Error& e) {
            report.fail(path, e.message());
        }
    }
    return report.finish();
}
