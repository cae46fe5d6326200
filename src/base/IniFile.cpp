#include "base/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <optional>

namespace {

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

} // namespace

IniWriteError::IniWriteError(const QString& path)
    : Error(QStringLiteral("Unable to write to %1").arg(path))
{
}

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vessimo.ini");
}

QStringList IniFile::readLines() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    bool inSection = false;
    for (const QString& line : readLines()) {
        const QString trimmed = line.trimmed();
        if (isSectionLine(trimmed)) {
            inSection = sameName(sectionName(trimmed), section);
            continue;
        }
        if (!inSection)
            continue;
        const auto k = keyOf(trimmed);
        if (k && sameName(*k, key))
            return trimmed.mid(trimmed.indexOf(QLatin1Char('=')) + 1).trimmed();
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
    QStringList lines = readLines();
    const QString entry = key + QLatin1Char('=') + value;

    qsizetype sectionStart = -1; // index of the section's header line
    qsizetype lastEntry = -1;    // last non-blank line of the section
    bool inSection = false;
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString trimmed = lines[i].trimmed();
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
            lines[i] = entry;
            done = true;
        }
    }
    if (!done) {
        if (sectionStart >= 0) {
            lines.insert(lastEntry + 1, entry);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QString());
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(entry);
        }
    }

    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        throw IniWriteError(m_path);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        throw IniWriteError(m_path);
    QByteArray data = lines.join(QLatin1Char('\n')).toUtf8();
    data.append('\n');
    if (file.write(data) != data.size() || !file.commit())
        throw IniWriteError(m_path);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
