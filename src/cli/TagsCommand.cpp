#include "cli/Commands.h"
#include "cli/PlanOptions.h"

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

void printText(QTextStream& out, const QString& path, const TagFields& fields)
{
    out << path << '\n';
    for (const TagField field : allTagFields)
        out << "  " << tagFieldName(field) << ": " << fields[field] << '\n';
}

QJsonObject toJson(const QString& path, const TagFields& fields)
{
    QJsonObject object{{QStringLiteral("file"), path}};
    for (const TagField field : allTagFields)
        object.insert(tagFieldName(field), fields[field]);
    return object;
}

} // namespace

// vessimo-cli tags [--json] FILE...: the tag fields of each file; every file
// is read even when one fails, the status is then 1.
// vessimo-cli tags FILE --set FIELD=VALUE ...: changes the named fields.
int cli::tags(const ParsedLine& line)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    Request request;
    if (const QString problem = parse(line, request); !problem.isEmpty())
        return usageFailure(err, Tags, UsageError(problem));

    if (request.fields) {
        try {
            TagFile::write(request.files.first(), request.values, request.fields);
        } catch (const Error& e) {
            err << "vessimo-cli: " << e.message() << '\n';
            return 1;
        }
        return 0;
    }

    int status = 0;
    QJsonArray array;
    for (const QString& path : request.files) {
        try {
            const TagFields fields = shownFields(path);
            if (request.json)
                array.append(toJson(path, fields));
            else
                printText(out, path, fields);
        } catch (const Error& e) {
            err << "vessimo-cli: " << e.message() << '\n';
            status = 1;
        }
    }
    if (request.json)
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    return status;
}
