// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/OptionTable.h"

#include <QVector>
#include <optional>

namespace cli {

namespace {

// One row per option. Another option is one more row here; the command
// that takes it reads it from the ParsedLine by its long name.
const QVector<OptionRow> kOptions{
    {"h|help", "", AllCommands, "Show this help and exit."},
    {"version", "", AllCommands, "Show the version and the licence and exit."},
    {"json", "", AllCommands,
     "Print the result as one JSON object: files, outputs, warnings and errors."},
    {"q|quiet", "", AllCommands,
     "Print no progress line and no warnings (they still count in the exit status); results "
     "and errors are still printed."},
    {"files-from", "LIST", Probe | Planning,
     "Read more paths from the file LIST, one a line (- for standard input)."},
    {"null", "", Probe | Planning,
     "The names in --files-from LIST end with a NUL byte, not a "
     "line break, as find writes them with its print0 action."},
    {"set", "FIELD=VALUE", Tags,
     "Set a tag field of the one FILE (title, artist, album, year, comment, genre, track); "
     "an empty VALUE removes the field.",
     Repeatable},
    {"every", "TIME", Plan | Cut, "Pieces of TIME each; the last piece takes the rest."},
    {"pieces", "N", Plan | Cut, "N pieces of equal length per file."},
    {"segments", "LIST", Planning,
     "These segments of every file: BEGIN-END pairs separated by commas."},
    {"cue", "SHEET", Planning,
     "The pieces of a cue sheet, placed to the sample, named \"NN Title\" and tagged from the "
     "sheet; the sheet names its audio files, so PATH may be left out."},
    {"chapters", "", Planning,
     "The pieces of each file's chapters (MP3 CHAP frames, Ogg "
     "CHAPTERxxx comments), named and tagged by their titles."},
    {"silence", "[=DB[,SECONDS]]", Planning,
     "Pieces between the silences of each file: quieter than DB dBFS (default -50) for at "
     "least SECONDS (default 2); each boundary lies in the middle of its silence.",
     OptionalArgument},
    {"min-piece", "TIME", Planning,
     "With --silence: a piece shorter than TIME is merged into a neighbour (default 10)."},
    {"drop-silence", "", Planning, "With --silence: leave the silences out of the pieces."},
    {"fade-in", "TIME", Cut | Join, "Fade each piece in over TIME."},
    {"fade-out", "TIME", Cut | Join, "Fade each piece out over TIME."},
    {"format", "FORMAT", Cut, "Output format: mp3, wav, wma or ogg (default mp3)."},
    {"n|dry-run", "", Cut | Join,
     "Print the outputs that would be written, with their bounds, and write nothing."},
    {"copy", "", Cut,
     "Copy the frames of MP3 sources into MP3 pieces: exact, no quality lost, no fades."},
    {"out", "DIR", Cut, "Write the pieces into DIR (default: the current folder)."},
    {"jobs", "N", Cut, "Cut N pieces at once (default: one per processor)."},
    {"bitrate", "KBPS", Cut,
     "Bitrate in kbit/s: constant for MP3 (8 to 320), nominal for Ogg, the profile's for WMA."},
    {"vbr-quality", "Q", Cut, "MP3 at a variable bitrate of quality Q, 0 (best) to 9."},
    {"quality", "Q", Cut, "Ogg at quality Q, -1 to 10 (best)."},
    {"rate", "HZ", Cut, "Sample rate of the pieces in Hz, or source (the source's)."},
    {"channels", "N", Cut, "Channels of the pieces: 1, 2 or source."},
    {"bits", "N", Cut, "Bits per sample of WAV pieces: 8, 16, 24 or 32."},
    {"name", "TEMPLATE", Cut,
     "Name the pieces by TEMPLATE, with the fields {base} {title} {artist} {album} {n} {n:02} "
     "{source} {start} {end} (seconds); a taken name is numbered on."},
    {"no-tags", "", Cut, "Write no tags into the pieces."},
    {"shard", "K/N", Cut,
     "Cut the K-th of N shares of the files (file i, from 0, goes to share i mod N + 1), named as "
     "one "
     "run of the whole list would name them."},
    {"manifest", "FILE", Cut,
     "Append a JSON line to FILE for every finished piece; run again with the same FILE to "
     "resume, keeping the pieces it records."},
    {"o|output", "OUTPUT", Join,
     "The joined file; its extension (.mp3, .wav, .wma, .ogg) chooses the format."},
    {"overwrite", "", Join, "Replace OUTPUT when it exists."},
    {"settings", "INI", Planning,
     "Read the encoder and naming options from INI instead of the user's options file."},
};

struct CommandText {
    Command command;
    const char* name;
    const char* operands;
    const char* summary;
    const char* example;
};

const CommandText kCommands[] = {
    {Probe, "probe", "FILE...",
     "Prints the format, sample rate, channels and exact length of each FILE.",
     "vessimo-cli probe --json song.mp3"},
    {Tags, "tags", "FILE...",
     "Prints the tag fields of each FILE; with --set, changes the named fields of one FILE and "
     "keeps everything else it holds.",
     "vessimo-cli tags song.mp3 --set title=Intro --set track=1"},
    {Plan, "plan", "PATH...",
     "Lists the pieces a cut would make, with their bounds and lengths, writing nothing.",
     "vessimo-cli plan --every 1:30 album.mp3"},
    {Cut, "cut", "PATH...",
     "Cuts every piece of the plan into a file of its own. Without a plan option each file is "
     "cut whole, every sample of it. Names are never reused: a taken name gets the next number.",
     "vessimo-cli cut --segments 0:30-1:15.5,2:00- --format ogg --out pieces song.mp3"},
    {Join, "join", "PATH...",
     "Writes the files, or their --segments, one after another into OUTPUT, in the order given.",
     "vessimo-cli join -o mix.mp3 intro.wav song.mp3"},
};

const CommandText* textOf(Command command)
{
    for (const CommandText& text : kCommands)
        if (text.command == command)
            return &text;
    return nullptr;
}

QStringList namesOf(const OptionRow& row)
{
    return QString::fromLatin1(row.names).split(QLatin1Char('|'));
}

QString longName(const OptionRow& row)
{
    return namesOf(row).constLast();
}

const OptionRow* rowNamed(const QString& name)
{
    for (const OptionRow& row : kOptions)
        if (namesOf(row).contains(name))
            return &row;
    return nullptr;
}

QString shownName(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "-o, --output OUTPUT", "--silence[=DB[,SECONDS]]".
QString optionHead(const OptionRow& row)
{
    QStringList shown;
    for (const QString& name : namesOf(row))
        shown << shownName(name);
    QString head = shown.join(QStringLiteral(", "));
    const QString argument = QString::fromLatin1(row.argument);
    if (!argument.isEmpty())
        head += (row.flags & OptionalArgument) ? argument : QLatin1Char(' ') + argument;
    return head;
}

// Words wrapped to `width` columns, every line indented by `indent`.
QString wrapped(const QString& text, int indent, int width = 79)
{
    QString result;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            result += QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        result += QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
    return result;
}

const char* const kTimeSyntax =
    "TIME is SS, MM:SS or HH:MM:SS, each with an optional fraction of a second "
    "(90.5, 1:30.250). A segment is BEGIN-END; an open end (1:30- or 1:30-end) runs to the "
    "file's last sample.";

} // namespace

const QVector<OptionRow>& optionTable()
{
    return kOptions;
}

Command commandNamed(const QString& name)
{
    for (const CommandText& text : kCommands)
        if (name == QLatin1String(text.name))
            return text.command;
    return Command(0);
}

QString commandName(Command command)
{
    const CommandText* text = textOf(command);
    return text ? QString::fromLatin1(text->name) : QString();
}

QString ParsedLine::value(const QString& name) const
{
    const QStringList given = m_values.value(name);
    return given.isEmpty() ? QString() : given.constLast();
}

ParsedLine parseLine(Command command, const QStringList& args)
{
    ParsedLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || arg == QLatin1String("-") || !arg.startsWith(QLatin1Char('-'))) {
            line.positional() << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name;
        std::optional<QString> attached;
        const bool isShort = !arg.startsWith(QLatin1String("--"));
        if (!isShort) {
            name = arg.mid(2);
            if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
                attached = name.mid(equals + 1);
                name.truncate(equals);
            }
        } else {
            name = arg.mid(1, 1);
            if (arg.size() > 2)
                attached = arg.mid(2);
        }
        const QString given = shownName(name);
        const OptionRow* row = rowNamed(name);
        if (!row || isShort != (name.size() == 1))
            throw UsageError(QStringLiteral("unknown option %1").arg(given));
        if (!(row->commands & command))
            throw UsageError(
                QStringLiteral("%1 is not an option of %2").arg(given, commandName(command)));
        const QString key = longName(*row);
        const bool takesArgument = *row->argument != '\0';
        QString value;
        if (!takesArgument) {
            if (attached)
                throw UsageError(QStringLiteral("%1 takes no argument").arg(given));
        } else if (attached) {
            value = *attached;
        } else if (!(row->flags & OptionalArgument)) {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("%1 needs an argument (%1 %2)")
                                     .arg(given, QString::fromLatin1(row->argument)));
            value = args[++i];
        }
        if (line.isSet(key) && !(row->flags & Repeatable))
            throw UsageError(QStringLiteral("--%1 is given more than once").arg(key));
        line.add(key, value);
    }
    return line;
}

QString usageText(Command command)
{
    QString text;
    QString lead = QStringLiteral("usage: ");
    for (const CommandText& c : kCommands) {
        if (command && c.command != command)
            continue;
        text += lead + QStringLiteral("vessimo-cli %1 [OPTION]... %2\n")
                           .arg(QLatin1String(c.name), QLatin1String(c.operands));
        lead = QStringLiteral("       ");
    }
    if (!command)
        text += lead + QStringLiteral("vessimo-cli --help | --version\n");
    text +=
        command
            ? QStringLiteral("Try 'vessimo-cli %1 --help' for more.\n").arg(commandName(command))
            : QStringLiteral("Try 'vessimo-cli COMMAND --help' for more.\n");
    return text;
}

QString helpText(Command command)
{
    QString text;
    if (!command) {
        text += QStringLiteral("usage: vessimo-cli COMMAND [OPTION]... PATH...\n"
                               "       vessimo-cli --help | --version\n\n");
        text += wrapped(QStringLiteral("Probe, tag, plan, cut and join audio files (MP3, WAV, "
                                       "WMA, Ogg Vorbis) without a window."),
                        0);
        text += QStringLiteral("\nCommands:\n");
        for (const CommandText& c : kCommands)
            text += QStringLiteral("  %1\n").arg(QLatin1String(c.name)) +
                    wrapped(QString::fromLatin1(c.summary), 8);
        text += QStringLiteral("\nOptions (the commands that take each in brackets):\n");
    } else {
        const CommandText* c = textOf(command);
        text += QStringLiteral("usage: vessimo-cli %1 [OPTION]... %2\n\n")
                    .arg(QLatin1String(c->name), QLatin1String(c->operands));
        text += wrapped(QString::fromLatin1(c->summary), 0);
        text += QStringLiteral("\nOptions:\n");
    }
    for (const OptionRow& row : kOptions) {
        if (command && !(row.commands & command))
            continue;
        text += QStringLiteral("  ") + optionHead(row) + QLatin1Char('\n');
        QString help = QString::fromLatin1(row.help);
        if (!command && row.commands != AllCommands) {
            QStringList takers;
            for (const CommandText& c : kCommands)
                if (row.commands & c.command)
                    takers << QLatin1String(c.name);
            help += QStringLiteral(" [%1]").arg(takers.join(QLatin1Char(' ')));
        }
        text += wrapped(help, 8);
    }
    if (!command || (command & Planning))
        text += QLatin1Char('\n') + wrapped(QString::fromLatin1(kTimeSyntax), 0);
    text += QStringLiteral("\nExample:\n");
    for (const CommandText& c : kCommands)
        if (!command || c.command == command)
            text += QStringLiteral("  %1\n").arg(QLatin1String(c.example));
    if (!command)
        text += QStringLiteral("\nThe user guide describes every command and the JSON output.\n");
    return text;
}

} // namespace cli
