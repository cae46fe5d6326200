#include "cli/Commands.h"

#include "jobs/CleanFileName.h"
#include "tags/Id3Tags.h"
#include "tags/OggComments.h"
#include "tags/TagError.h"
#include "tags/TagText.h"
#include "tags/WmaTags.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

// The fields the tags command shows and sets, in the order it shows them.
const char* const fieldNames[] = {"title", "artist", "album", "year", "comment", "genre", "track"};
constexpr int fieldCount = 7;

struct Fields {
    QString values[fieldCount];
};

enum class Kind { Mp3, Ogg, Wma, Other };

Kind kindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp3"))
        return Kind::Mp3;
    if (suffix == QLatin1String("ogg"))
        return Kind::Ogg;
    if (suffix == QLatin1String("wma"))
        return Kind::Wma;
    return Kind::Other;
}

bool emptyAfterCleaning(const QString& title)
{
    return trimTagText(CleanFileName(title)).isEmpty();
}

// A file that cannot be opened is an error for every kind, also for those
// whose readers would quietly give empty fields.
void requireReadable(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw TagError(QStringLiteral("Cannot open %1: no such file").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw TagError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
}

Fields readFields(const QString& path)
{
    requireReadable(path);
    Fields f;
    switch (kindOf(path)) {
    case Kind::Mp3: {
        const QString v1Title = ReadId3v1Title(path);
        const Mp3Tags t = ReadId3v2(path);
        const QString title = !emptyAfterCleaning(t.title)   ? t.title
                              : !emptyAfterCleaning(v1Title) ? v1Title
                                                             : QString();
        f = {{title, t.artist, t.album, t.year, t.comment, t.genre, t.track}};
        break;
    }
    case Kind::Ogg: {
        const OggTags t = ReadOggComments(path);
        f = {{t.title, t.artist, t.album, t.date, t.comment, t.genre, t.trackNumber}};
        break;
    }
    case Kind::Wma: {
        const WmaTags t = ReadWmaTags(path);
        const QString track = t.trackNumber ? QString::number(t.trackNumber) : QString();
        f = {{t.title, t.artist, t.album, t.year, t.comment, t.genre, track}};
        break;
    }
    case Kind::Other:
        break;
    }
    return f;
}

void writeFields(const QString& path, const Fields& f)
{
    requireReadable(path);
    const auto& [title, artist, album, year, comment, genre, track] = f.values;
    switch (kindOf(path)) {
    case Kind::Mp3:
        WriteId3v2(path, Mp3Tags{title, artist, album, year, track, comment, genre});
        return;
    case Kind::Ogg:
        WriteOggComments(path, OggTags{album, title, artist, comment, genre, year, track});
        return;
    case Kind::Wma: {
        bool ok = true;
        const uint number = track.isEmpty() ? 0 : track.toUInt(&ok);
        if (!ok || number > 0xffff)
            throw TagError(
                QStringLiteral("Cannot write tags: %1: the track must be a number from 0 to 65535")
                    .arg(path));
        WmaTags t;
        t.title = title;
        t.artist = artist;
        t.album = album;
        t.year = year;
        t.comment = comment;
        t.genre = genre;
        t.trackNumber = quint16(number);
        if (!WriteWmaTags(path, t))
            throw TagError(
                QStringLiteral("Cannot write tags: %1: no Windows Media (ASF) header found")
                    .arg(path));
        return;
    }
    case Kind::Other:
        throw TagError(
            QStringLiteral("Cannot write tags: %1: only MP3, Ogg and WMA files carry tags")
                .arg(path));
    }
}

void printText(QTextStream& out, const QString& path, const Fields& f)
{
    out << path << '\n';
    for (int i = 0; i < fieldCount; ++i)
        out << "  " << fieldNames[i] << ": " << f.values[i] << '\n';
}

QJsonObject toJson(const QString& path, const Fields& f)
{
    QJsonObject object{{QStringLiteral("file"), path}};
    for (int i = 0; i < fieldCount; ++i)
        object.insert(QLatin1String(fieldNames[i]), f.values[i]);
    return object;
}

int usage(QTextStream& err, const QString& problem)
{
    err << "vessimo-cli tags: " << problem << "\n"
        << "usage: vessimo-cli tags [--json] FILE...\n"
           "       vessimo-cli tags FILE --set FIELD=VALUE [--set FIELD=VALUE ...]\n"
           "fields: title, artist, album, year, comment, genre, track\n";
    return 2;
}

} // namespace

int cli::tags(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool json = false;
    bool setting = false;
    Fields given;
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg == QLatin1String("--set")) {
            if (++i == args.size())
                return usage(err, QStringLiteral("--set needs FIELD=VALUE"));
            const QString assignment = args[i];
            const qsizetype equals = assignment.indexOf(QLatin1Char('='));
            const QString name = assignment.left(equals).toLower();
            const auto* it =
                std::find_if(std::begin(fieldNames), std::end(fieldNames),
                             [&name](const char* n) { return name == QLatin1String(n); });
            if (equals < 0 || it == std::end(fieldNames))
                return usage(err, QStringLiteral("unknown field in --set %1").arg(assignment));
            given.values[it - std::begin(fieldNames)] = assignment.mid(equals + 1);
            setting = true;
        } else {
            files << arg;
        }
    }
    if (files.isEmpty())
        return usage(err, QStringLiteral("no file given"));
    if (setting && (files.size() != 1 || json))
        return usage(err, QStringLiteral("--set takes exactly one file and no --json"));

    if (setting) {
        try {
            writeFields(files.first(), given);
        } catch (const Error& e) {
            err << "vessimo-cli: " << e.message() << '\n';
            return 1;
        }
        return 0;
    }

    int status = 0;
    QJsonArray array;
    for (const QString& path : files) {
        try {
            const Fields f = readFields(path);
            if (json)
                array.append(toJson(path, f));
            else
                printText(out, path, f);
        } catch (const Error& e) {
            err << "vessimo-cli: " << e.message() << '\n';
            status = 1;
        }
    }
    if (json)
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    return status;
}
