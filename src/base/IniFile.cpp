// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/IniFile.h"

#include "base/ConfigFolder.h"
#include "base/RegularFile.h"
#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <atomic>
#include <ctime>
#include <optional>
#include <sys/stat.h>

namespace {

// One line of the file: its bytes as found (written back unchanged unless
// the line is replaced), its terminator, and its text for parsing.
struct Line {
    QByteArray bytes;
    QByteArray end; // "\n", "\r\n", or empty for a last line without one
    QString text;
};

struct Document {
    QByteArray bom;
    QList<Line> lines;
    QByteArray newline = "\n"; // for added lines: as the file has them
};

QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    // A hand-edited file in a legacy code page: its bytes still read as characters.
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

Document parse(QByteArray data)
{
    Document doc;
    if (data.startsWith("\xef\xbb\xbf")) {
        doc.bom = data.left(3);
        data.remove(0, 3);
    }
    bool styleKnown = false;
    qsizetype at = 0;
    while (at < data.size()) {
        const qsizetype nl = data.indexOf('\n', at);
        Line line;
        if (nl < 0) {
            line.bytes = data.mid(at);
            at = data.size();
        } else {
            const bool crlf = nl > at && data[nl - 1] == '\r';
            line.bytes = data.mid(at, nl - at - (crlf ? 1 : 0));
            line.end = crlf ? QByteArray("\r\n") : QByteArray("\n");
            if (!styleKnown) {
                doc.newline = line.end;
                styleKnown = true;
            }
            at = nl + 1;
        }
        line.text = decode(line.bytes);
        doc.lines.append(line);
    }
    return doc;
}

QByteArray serialise(const Document& doc)
{
    QByteArray out = doc.bom;
    for (const Line& line : doc.lines)
        out += line.bytes + line.end;
    return out;
}

bool isSectionLine(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char('['));
}

QString sectionName(const QString& trimmed)
{
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The key of a "key=value" line, or nothing for any other line.
std::optional<QString> keyOf(const QString& trimmed)
{
    if (trimmed.isEmpty() || isComment(trimmed) || isSectionLine(trimmed))
        return std::nullopt;
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return trimmed.left(eq).trimmed();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isQuoted(const QString& value)
{
    return value.size() >= 2 && value.front() == value.back() &&
           (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''));
}

// The stored form of a value that reads back as `value`.
QString storedForm(const QString& value)
{
    if (value.trimmed() != value || isQuoted(value))
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// What a file was like when it was parsed. Two states of a file with the
// same stamp are taken to have the same content.
struct Stamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
};

Stamp stampOf(bool exists, const struct stat& info)
{
    if (!exists)
        return {};
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool operator==(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool operator==(const Stamp& a, const Stamp& b)
{
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified == b.modified && a.changed == b.changed;
}

// File systems keep times in ticks of up to two seconds: a file changed in
// the tick of its parse may change again without a new time.
constexpr time_t kTimeTick = 2;

std::atomic<int> parses{0};

// A file refused is named once per process, not at every read.
void sayRefusedOnce(const QString& path, const QString& cause)
{
    static QMutex mutex;
    static QSet<QString> named;
    const QMutexLocker lock(&mutex);
    if (named.contains(path))
        return;
    named.insert(path);
    qWarning("The options file %s is not read: %s. The defaults are used.", qUtf8Printable(path),
             qUtf8Printable(cause));
}

} // namespace

struct IniFile::Parsed {
    Document doc;
    Stamp stamp;
    // Set when the file was passed over: why, for the refusal of writes.
    QString refusal;
    // The stamp alone shows whether the file changed since.
    bool settled = false;
};

IniWriteError::IniWriteError(const QString& path)
    : Error(QStringLiteral("Unable to write to %1").arg(path))
{
}

IniWriteError::IniWriteError(const QString& path, const QString& cause)
    : Error(QStringLiteral("Unable to write to %1: %2").arg(path, cause))
{
}

IniFile::IniFile(QString path) : m_path(std::move(path)) {}
IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

int IniFile::parseCount()
{
    return parses.load();
}

const IniFile::Parsed& IniFile::parsed() const
{
    const QByteArray native = QFile::encodeName(m_path);
    struct stat info {};
    const bool exists = ::stat(native.constData(), &info) == 0;
    if (m_parsed && m_parsed->settled && m_parsed->stamp == stampOf(exists, info))
        return *m_parsed;

    ++parses;
    auto result = std::make_unique<Parsed>();
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // A new write moves the modification time; the change time would also
    // move for a time set back by hand, which reveals nothing new.
    const auto settledBy = [&now](const Stamp& s) {
        return !s.exists || s.modified.tv_sec + kTimeTick < now.tv_sec;
    };
    const auto refuse = [&](const QString& cause) -> const Parsed& {
        sayRefusedOnce(m_path, cause);
        result->refusal = cause;
        result->stamp = stampOf(exists, info);
        result->settled = settledBy(result->stamp);
        m_parsed = std::move(result);
        return *m_parsed;
    };
    const QString tooLarge = QStringLiteral("it is larger than %1 MB").arg(maxSize >> 20);
    // A folder is merely unreadable, and no write can replace it.
    if (exists && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return refuse(QStringLiteral("it is not a regular file"));
    if (exists && info.st_size > maxSize)
        return refuse(tooLarge);

    RegularFile file(m_path);
    struct stat opened {};
    if (exists && file.open(QIODevice::ReadOnly) && ::fstat(file.handle(), &opened) == 0) {
        // Limited by the count read as well, for a file that grows meanwhile;
        // what it grew by after its stamp was taken is read at the next parse.
        const QByteArray data = file.read(std::min<qint64>(opened.st_size, maxSize) + 1);
        if (data.size() > maxSize)
            return refuse(tooLarge);
        result->doc = parse(data);
        result->stamp = stampOf(true, opened);
    } else {
        // A missing or unreadable file: every key its default, and no word of it.
        result->stamp = stampOf(exists, info);
    }
    result->settled = settledBy(result->stamp);
    m_parsed = std::move(result);
    return *m_parsed;
}

QString IniFile::defaultPath()
{
    return OptionsFilePath();
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    bool inSection = false;
    for (const Line& line : parsed().doc.lines) {
        const QString trimmed = line.text.trimmed();
        if (isSectionLine(trimmed)) {
            inSection = sameName(sectionName(trimmed), section);
            continue;
        }
        if (!inSection)
            continue;
        const auto k = keyOf(trimmed);
        if (k && sameName(*k, key)) {
            const QString value = trimmed.mid(trimmed.indexOf(QLatin1Char('=')) + 1).trimmed();
            return isQuoted(value) ? value.mid(1, value.size() - 2) : value;
        }
    }
    return defaultValue;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const QString text = readString(section, key, QString());
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        throw IniWriteError(m_path, QStringLiteral("the value of %1 in [%2] holds a line break, "
                                                   "which one line of the file cannot hold")
                                        .arg(key, section));
    const Parsed& current = parsed();
    if (!current.refusal.isEmpty())
        throw IniWriteError(m_path, current.refusal);
    Document doc = current.doc;
    QList<Line>& lines = doc.lines;
    Line entry;
    entry.text = key + QLatin1Char('=') + storedForm(value);
    entry.bytes = entry.text.toUtf8();
    entry.end = doc.newline;

    qsizetype sectionStart = -1; // index of the section's header line
    qsizetype lastEntry = -1;    // last non-blank line of the section
    bool inSection = false;
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString trimmed = lines[i].text.trimmed();
        if (isSectionLine(trimmed)) {
            if (inSection)
                break; // the key is not in the first matching section
            inSection = sameName(sectionName(trimmed), section);
            if (inSection) {
                sectionStart = i;
                lastEntry = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trimmed.isEmpty())
            lastEntry = i;
        const auto k = keyOf(trimmed);
        if (k && sameName(*k, key)) {
            entry.end = lines[i].end.isEmpty() ? QByteArray() : lines[i].end;
            lines[i] = entry;
            done = true;
        }
    }
    if (!done) {
        // A last line without a terminator gets one before anything follows it.
        if (!lines.isEmpty() && lines.last().end.isEmpty())
            lines.last().end = doc.newline;
        if (sectionStart >= 0) {
            lines.insert(lastEntry + 1, entry);
        } else {
            if (!lines.isEmpty() && !lines.last().text.trimmed().isEmpty())
                lines.append(Line{{}, doc.newline, {}});
            Line header;
            header.text = QLatin1Char('[') + section + QLatin1Char(']');
            header.bytes = header.text.toUtf8();
            header.end = doc.newline;
            lines.append(header);
            lines.append(entry);
        }
    }
    store(serialise(doc));
}

void IniFile::store(const QByteArray& data)
{
    // Whatever happens, the next read looks at the file again.
    m_parsed.reset();
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        throw IniWriteError(m_path);
    // An existing file keeps its hard links, owner, mode and symbolic link,
    // and is rewritten in place where its folder takes no new file.
    const bool exists = info.exists() || info.isSymLink();
    try {
        SafeFile file(m_path, exists ? SafeFile::Target::Existing : SafeFile::Target::New);
        file.write(data);
        file.commit();
    } catch (const SafeFileError&) {
        throw IniWriteError(m_path);
    }
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
