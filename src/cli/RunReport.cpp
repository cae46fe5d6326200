// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/RunReport.h"

#include "cli/PlanOptions.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <cstdio>
#include <unistd.h>

namespace cli {

RunReport::RunReport(Command command, const ParsedLine& line)
    : m_command(command), m_json(line.isSet(QStringLiteral("json"))),
      m_quiet(line.isSet(QStringLiteral("quiet"))), m_out(stdout), m_err(stderr)
{
}

void RunReport::warn(const QString& path, const QString& segment, const QString& message,
                     bool counts)
{
    if (counts)
        ++m_countedWarnings;
    QJsonObject warning{{QStringLiteral("path"), path}, {QStringLiteral("message"), message}};
    if (!segment.isEmpty())
        warning.insert(QStringLiteral("segment"), segment);
    m_warnings.append(warning);
    if (!m_quiet) {
        m_err << "vessimo-cli " << commandName(m_command) << ": warning: " << printable(path)
              << ": " << printable(message) << "\n";
        m_err.flush();
    }
}

void RunReport::fail(const QString& path, const QString& message)
{
    m_errors.append(
        QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("message"), message}});
    m_err << "vessimo-cli " << commandName(m_command) << ": ";
    // A job's message names its file already.
    if (!path.isEmpty() && !message.contains(path))
        m_err << printable(path) << ": ";
    m_err << printable(message) << "\n";
    m_err.flush();
}

void RunReport::print(const QString& line)
{
    if (!m_json) {
        m_out << line << "\n";
        m_out.flush();
    }
}

int RunReport::finish()
{
    if (m_json) {
        m_out << QJsonDocument(QJsonObject{{QStringLiteral("files"), m_files},
                                           {QStringLiteral("outputs"), m_outputs},
                                           {QStringLiteral("warnings"), m_warnings},
                                           {QStringLiteral("errors"), m_errors}})
                     .toJson(QJsonDocument::Indented);
        m_out.flush();
    }
    return hasErrors() || hasWarnings() ? 1 : 0;
}

namespace {

QSet<QString>& undecodable()
{
    static QSet<QString> names;
    return names;
}

} // namespace

QString decodeName(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Byte by byte: the valid sequences as they are, every other byte shown.
    QString shown;
    qsizetype i = 0;
    while (i < bytes.size()) {
        qsizetype length = 1;
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead >= 0xC2 && lead <= 0xF4)
            length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        QStringDecoder one(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = one.decode(bytes.mid(i, length));
        if (lead >= 0x80 && (one.hasError() || i + length > bytes.size())) {
            shown += QStringLiteral("\\x") +
                     QStringLiteral("%1").arg(int(lead), 2, 16, QLatin1Char('0')).toUpper();
            ++i;
            continue;
        }
        shown += lead < 0x80 ? QString(QLatin1Char(char(lead))) : decoded;
        i += lead < 0x80 ? 1 : length;
    }
    undecodable().insert(shown);
    return shown;
}

QString fileProblem(const QString& path, bool folderAllowed)
{
    if (undecodable().contains(path))
        return QStringLiteral("its name is not valid UTF-8 text, which this program cannot open "
                              "a file by; rename it");
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? QStringLiteral("no such file (a broken link)")
                                : QStringLiteral("no such file");
    if (info.isDir()) {
        if (!folderAllowed)
            return QStringLiteral("is a folder");
        if (::access(QFile::encodeName(path).constData(), R_OK | X_OK) != 0)
            return QStringLiteral("permission denied");
        return {};
    }
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return QStringLiteral("permission denied");
    return {};
}

QString readerCause(const QString& readerMessage)
{
    static const QRegularExpression form(QStringLiteral("^Cannot read \".*\": (.*?)\\.?$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = form.match(readerMessage);
    const QString cause = m.hasMatch() ? m.captured(1) : readerMessage;
    if (cause.isEmpty() || cause.startsWith(QLatin1String("its format is not recognised")) ||
        cause.startsWith(QLatin1String("the file is empty")) ||
        cause.startsWith(QLatin1String("it is not an MP3, MP2, WAV")))
        return notAudio();
    return cause;
}

double secondsOf(int64_t frames, int rate)
{
    return rate > 0 ? double(frames) / rate : 0.0;
}

} // namespace cli
