// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/OutputOptions.h"

#include "cli/OptionTable.h"

#include <QRegularExpression>
#include <QStringList>
#include <optional>

namespace cli {

namespace {

// A whole number (optionally negative) within [low, high], else the option's
// accepted values in the message.
int numberIn(const QString& option, const QString& text, int low, int high, const QString& accepts)
{
    static const QRegularExpression whole(QStringLiteral("^-?[0-9]{1,9}$"));
    if (whole.match(text).hasMatch()) {
        const int value = text.toInt();
        if (value >= low && value <= high)
            return value;
    }
    throw UsageError(QStringLiteral("--%1 takes %2, not \"%3\"").arg(option, accepts, text));
}

int oneOf(const QString& option, const QString& text, const QList<int>& values, bool source,
          const QString& unit)
{
    QStringList names;
    for (int v : values)
        names << QString::number(v);
    if (source)
        names << QStringLiteral("source");
    if (source && text == QLatin1String("source"))
        return 0;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok && values.contains(value) && !text.startsWith(QLatin1Char('+')))
        return value;
    throw UsageError(QStringLiteral("--%1 takes %2%3, not \"%4\"")
                         .arg(option, names.join(QStringLiteral(", ")), unit, text));
}

const QList<int> kMp3Bitrates{8,  16,  24,  32,  40,  48,  56,  64,  80,
                              96, 112, 128, 144, 160, 192, 224, 256, 320};
const QList<int> kMp3Rates{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
const QList<int> kPcmRates{8000,  11025, 12000, 16000, 22050,  24000, 32000,
                           44100, 48000, 88200, 96000, 176400, 192000};

} // namespace

EncoderOverrides parseEncoderOptions(const ParsedLine& line, OutputFormat format)
{
    const auto option = [&](const QString& name) -> std::optional<QString> {
        if (!line.isSet(name))
            return std::nullopt;
        return line.value(name);
    };
    EncoderOverrides o;
    if (const auto text = option(QStringLiteral("bitrate"))) {
        if (format == OutputFormat::Mp3)
            o.bitrate = oneOf(QStringLiteral("bitrate"), *text, kMp3Bitrates, false,
                              QStringLiteral(" kbit/s for MP3"));
        else
            o.bitrate = numberIn(QStringLiteral("bitrate"), *text, 8, 500,
                                 QStringLiteral("a bitrate from 8 to 500 kbit/s"));
    }
    if (const auto text = option(QStringLiteral("vbr-quality")))
        o.vbrQuality =
            numberIn(QStringLiteral("vbr-quality"), *text, 0, 9, QStringLiteral("0 (best) to 9"));
    if (const auto text = option(QStringLiteral("quality")))
        o.quality =
            numberIn(QStringLiteral("quality"), *text, -1, 10, QStringLiteral("-1 to 10 (best)"));
    if (const auto text = option(QStringLiteral("rate")))
        o.rate = oneOf(QStringLiteral("rate"), *text,
                       format == OutputFormat::Mp3 ? kMp3Rates : kPcmRates, true,
                       format == OutputFormat::Mp3 ? QStringLiteral(" (Hz, MP3)")
                                                   : QStringLiteral(" (Hz)"));
    if (const auto text = option(QStringLiteral("channels")))
        o.channels = oneOf(QStringLiteral("channels"), *text, {1, 2}, true, QString());
    if (const auto text = option(QStringLiteral("bits")))
        o.bits = oneOf(QStringLiteral("bits"), *text, {8, 16, 24, 32}, false, QString());
    if (const QString refusal = o.refusalFor(format); !refusal.isEmpty())
        throw UsageError(refusal);
    return o;
}

PieceRules parsePieceRules(const ParsedLine& line)
{
    PieceRules rules;
    if (line.isSet(QStringLiteral("name"))) {
        try {
            rules.names.emplace(line.value(QStringLiteral("name")));
        } catch (const NameTemplateError& e) {
            throw UsageError(e.message());
        }
    }
    rules.tags = !line.isSet(QStringLiteral("no-tags"));
    return rules;
}

} // namespace cli
