// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/CueSheet.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <stdexcept>

namespace {

// Windows-1252 in 0x80..0x9F; 0 where it leaves the byte undefined.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodeSheet(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const auto encoding =
            bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE;
        QStringDecoder utf16(encoding, QStringDecoder::Flag::Stateless);
        return utf16(bytes.mid(2));
    }
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    text = QString::fromLatin1(body);
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && u < 0xA0 && kCp1252High[u - 0x80] != 0)
            c = QChar(kCp1252High[u - 0x80]);
    }
    return text;
}

class Parser {
public:
    explicit Parser(const QString& sheetName) { m_sheet.sheetName = sheetName; }

    CueSheet parse(const QString& text)
    {
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
        const QStringList lines = text.split(lineBreak);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            m_line = static_cast<int>(i + 1);
            parseLine(lines[i].trimmed());
        }
        finishFile();
        if (m_sheet.files.isEmpty())
            throw CueSheetError(QStringLiteral("%1 names no track.").arg(m_sheet.sheetName));
        return std::move(m_sheet);
    }

private:
    [[noreturn]] void fail(const QString& what) const
    {
        throw CueSheetError(
            QStringLiteral("%1, line %2: %3").arg(m_sheet.sheetName).arg(m_line).arg(what));
    }

    static const QRegularExpression& blank()
    {
        static const QRegularExpression expression(QStringLiteral("\\s"));
        return expression;
    }

    // A piece of a line as a message quotes it: a garbage line may be long.
    static QString shown(const QString& text)
    {
        return text.size() <= 40 ? text : text.left(40) + QChar(0x2026);
    }

    static std::pair<QString, QString> splitWord(const QString& text)
    {
        const qsizetype blank = text.indexOf(Parser::blank());
        if (blank < 0)
            return {text, QString()};
        return {text.left(blank), text.mid(blank + 1).trimmed()};
    }

    // A quoted string runs to the last quote of the line, so that a title
    // with quotes of its own ("The "Best" Of") reads whole; whatever follows
    // it is returned in `rest`.
    QString takeString(const QString& text, QString* rest) const
    {
        if (text.startsWith(QLatin1Char('"'))) {
            const qsizetype close = text.lastIndexOf(QLatin1Char('"'));
            if (close == 0)
                fail(QStringLiteral("a quoted text has no closing quote"));
            if (rest)
                *rest = text.mid(close + 1).trimmed();
            return text.mid(1, close - 1);
        }
        if (rest)
            rest->clear();
        return text;
    }

    // A whole-line text argument (TITLE, PERFORMER, REM values).
    QString textArgument(const QString& keyword, const QString& text) const
    {
        QString rest;
        const QString value = takeString(text, &rest);
        if (!rest.isEmpty())
            fail(QStringLiteral("%1 has text after its closing quote").arg(keyword));
        return value;
    }

    static bool isNumber(const QString& text, int maxDigits)
    {
        if (text.isEmpty() || text.size() > maxDigits)
            return false;
        for (const QChar c : text) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        return true;
    }

    int64_t parseTime(const QString& text) const
    {
        const QStringList parts = text.split(QLatin1Char(':'));
        // Minutes may run past 99 in a long recording; seven digits keep
        // every product far inside 64 bits.
        if (parts.size() != 3 || !isNumber(parts[0], 7) || !isNumber(parts[1], 2) ||
            !isNumber(parts[2], 2))
            fail(QStringLiteral("\"%1\" is not a time mm:ss:ff").arg(shown(text)));
        const int64_t minutes = parts[0].toLongLong();
        const int seconds = parts[1].toInt();
        const int frames = parts[2].toInt();
        if (seconds >= 60)
            fail(QStringLiteral("\"%1\" has %2 seconds; a minute has 60").arg(text).arg(seconds));
        if (frames >= kCdFramesPerSecond)
            fail(QStringLiteral("\"%1\" has %2 frames; a second has 75").arg(text).arg(frames));
        return (minutes * 60 + seconds) * kCdFramesPerSecond + frames;
    }

    void parseLine(const QString& line)
    {
        if (line.isEmpty())
            return;
        const auto [word, rest] = splitWord(line);
        const QString keyword = word.toUpper();
        if (keyword == QLatin1String("REM"))
            parseRem(rest);
        else if (keyword == QLatin1String("FILE"))
            parseFile(rest);
        else if (keyword == QLatin1String("TRACK"))
            parseTrack(rest);
        else if (keyword == QLatin1String("INDEX"))
            parseIndex(rest);
        else if (keyword == QLatin1String("TITLE"))
            setText(&CueSheet::title, &CueTrack::title, textArgument(keyword, rest));
        else if (keyword == QLatin1String("PERFORMER"))
            setText(&CueSheet::performer, &CueTrack::performer, textArgument(keyword, rest));
        else if (!isIgnoredCommand(keyword))
            fail(QStringLiteral("unknown command \"%1\"").arg(shown(word)));
    }

    // Before the first TRACK a text is the disc's, inside a track the
    // track's; one between a FILE and its first TRACK belongs to neither.
    void setText(QString CueSheet::*discField, QString CueTrack::*trackField, const QString& text)
    {
        if (m_lastTrackNumber == 0)
            m_sheet.*discField = text;
        else if (m_track)
            (*m_track).*trackField = text;
    }

    // Commands of the format (and CD-Text fields some writers add) that
    // carry nothing a piece needs.
    static bool isIgnoredCommand(const QString& keyword)
    {
        static const QStringList ignored{
            QStringLiteral("CATALOG"),    QStringLiteral("CDTEXTFILE"), QStringLiteral("FLAGS"),
            QStringLiteral("ISRC"),       QStringLiteral("POSTGAP"),    QStringLiteral("PREGAP"),
            QStringLiteral("SONGWRITER"), QStringLiteral("COMPOSER"),   QStringLiteral("ARRANGER"),
            QStringLiteral("MESSAGE"),    QStringLiteral("DISC_ID"),    QStringLiteral("UPC_EAN"),
            QStringLiteral("GENRE")};
        return ignored.contains(keyword);
    }

    void parseRem(const QString& rest)
    {
        // Only the disc's date and genre are read (before the first TRACK);
        // a track's REM lines and every other remark are comments.
        if (m_lastTrackNumber > 0)
            return;
        const auto [word, value] = splitWord(rest);
        const QString field = word.toUpper();
        if (field == QLatin1String("DATE"))
            m_sheet.date = textArgument(QStringLiteral("REM DATE"), value);
        else if (field == QLatin1String("GENRE"))
            m_sheet.genre = textArgument(QStringLiteral("REM GENRE"), value);
    }

    void parseFile(const QString& rest)
    {
        finishFile();
        QString type;
        QString name = takeString(rest, &type);
        if (!rest.startsWith(QLatin1Char('"'))) {
            // Unquoted: the last word is the type when there are two or more.
            const qsizetype last = rest.lastIndexOf(blank());
            if (last > 0) {
                name = rest.left(last).trimmed();
                type = rest.mid(last + 1);
            }
        }
        if (name.isEmpty())
            fail(QStringLiteral("FILE names no file"));
        if (type.contains(blank()))
            fail(QStringLiteral("FILE has more than a type after its name"));
        m_file = CueFile{name, m_line, {}};
    }

    void parseTrack(const QString& rest)
    {
        if (!m_file)
            fail(QStringLiteral("TRACK comes before any FILE"));
        const auto [number, type] = splitWord(rest);
        if (!isNumber(number, 2) || number.toInt() < 1)
            fail(QStringLiteral("\"%1\" is not a track number from 1 to 99").arg(shown(number)));
        if (type.compare(QLatin1String("AUDIO"), Qt::CaseInsensitive) != 0)
            fail(QStringLiteral("track %1 is not an audio track (%2)").arg(number, shown(type)));
        const int n = number.toInt();
        if (n <= m_lastTrackNumber)
            fail(QStringLiteral("track %1 follows track %2").arg(n).arg(m_lastTrackNumber));
        finishTrack();
        m_lastTrackNumber = n;
        m_track = CueTrack{};
        m_track->number = n;
        m_track->line = m_line;
        m_lastIndex = -1;
    }

    void parseIndex(const QString& rest)
    {
        if (!m_track)
            fail(QStringLiteral("INDEX comes before any TRACK"));
        const auto [number, time] = splitWord(rest);
        if (!isNumber(number, 2))
            fail(QStringLiteral("\"%1\" is not an index number").arg(shown(number)));
        const int n = number.toInt();
        const int64_t position = parseTime(time);
        if (n <= m_lastIndex)
            fail(QStringLiteral("INDEX %1 follows INDEX %2")
                     .arg(number)
                     .arg(m_lastIndex, 2, 10, QLatin1Char('0')));
        if (m_lastIndex >= 0 && position < m_lastPosition)
            fail(QStringLiteral("INDEX %1 lies before the track's earlier index").arg(number));
        if (n == 1 && !m_file->tracks.isEmpty() && position <= m_file->tracks.last().start)
            fail(QStringLiteral("track %1 starts at %2, not after track %3 (%4)")
                     .arg(m_track->number, 2, 10, QLatin1Char('0'))
                     .arg(FormatCdTime(position))
                     .arg(m_file->tracks.last().number, 2, 10, QLatin1Char('0'))
                     .arg(FormatCdTime(m_file->tracks.last().start)));
        if (n > 1 && m_lastIndex < 1)
            fail(QStringLiteral("INDEX %1 comes before INDEX 01").arg(number));
        if (n == 0)
            m_track->pregap = position;
        else if (n == 1)
            m_track->start = position;
        m_lastIndex = n;
        m_lastPosition = position;
    }

    void finishTrack()
    {
        if (!m_track)
            return;
        if (m_lastIndex < 1) {
            m_line = m_track->line;
            fail(QStringLiteral("track %1 has no INDEX 01")
                     .arg(m_track->number, 2, 10, QLatin1Char('0')));
        }
        m_file->tracks.append(*m_track);
        m_track.reset();
    }

    void finishFile()
    {
        finishTrack();
        if (m_file && !m_file->tracks.isEmpty())
            m_sheet.files.append(*m_file);
        m_file.reset();
    }

    CueSheet m_sheet;
    std::optional<CueFile> m_file;
    std::optional<CueTrack> m_track;
    int m_line = 0;
    int m_lastTrackNumber = 0;
    int m_lastIndex = -1;
    int64_t m_lastPosition = 0;
};

} // namespace

int CueSheet::trackCount() const
{
    int count = 0;
    for (const CueFile& file : files)
        count += static_cast<int>(file.tracks.size());
    return count;
}

CueSheet ParseCueSheet(const QByteArray& bytes, const QString& sheetName)
{
    return Parser(sheetName).parse(decodeSheet(bytes));
}

int64_t CdFramesToFrames(int64_t cdFrames, int rate)
{
    const int64_t seconds = cdFrames / kCdFramesPerSecond;
    const int64_t rest = cdFrames % kCdFramesPerSecond;
    return seconds * rate + rest * rate / kCdFramesPerSecond;
}

QString FormatCdTime(int64_t cdFrames)
{
    const int64_t seconds = cdFrames / kCdFramesPerSecond;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(cdFrames % kCdFramesPerSecond, 2, 10, QLatin1Char('0'));
}

PiecePlan PlaceCueFile(const CueSheet& sheet, int fileIndex, int rate, int64_t frames)
{
    if (fileIndex < 0 || fileIndex >= sheet.files.size() || rate <= 0)
        throw std::invalid_argument("PlaceCueFile: no such file or no rate");
    const CueFile& file = sheet.files[fileIndex];
    PiecePlan plan;
    plan.trackTotal = sheet.trackCount();
    plan.album = sheet.title;
    plan.albumPerformer = sheet.performer;
    plan.date = sheet.date;
    plan.genre = sheet.genre;
    for (qsizetype i = 0; i < file.tracks.size(); ++i) {
        const CueTrack& track = file.tracks[i];
        const int64_t begin = CdFramesToFrames(track.start, rate);
        if (begin >= frames) {
            // The file's length in the sheet's own terms, rounded down, so
            // that the two times can be compared at a glance.
            const int64_t length =
                frames / rate * kCdFramesPerSecond + frames % rate * kCdFramesPerSecond / rate;
            throw CueSheetError(
                QStringLiteral("%1: track %2 starts at %3, at or past the end of %4 (%5).")
                    .arg(sheet.sheetName)
                    .arg(track.number, 2, 10, QLatin1Char('0'))
                    .arg(FormatCdTime(track.start), file.name, FormatCdTime(length)));
        }
        const int64_t end =
            i + 1 < file.tracks.size() ? CdFramesToFrames(file.tracks[i + 1].start, rate) : frames;
        PlannedPiece piece;
        piece.begin = SegmentPoint::frame(begin, rate);
        piece.end = SegmentPoint::frame(end, rate);
        piece.track = track.number;
        piece.title = track.title;
        piece.performer = track.performer.isEmpty() ? sheet.performer : track.performer;
        plan.pieces.append(piece);
    }
    return plan;
}
