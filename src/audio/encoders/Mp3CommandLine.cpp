// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/Mp3CommandLine.h"

#include "audio/encoders/Mp3EncoderSettings.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <functional>
#include <map>

namespace mp3commandline {

namespace {

class Parser {
public:
    explicit Parser(const QString& text)
        : m_tokens(text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
    {
    }

    bool atEnd() const { return m_next >= m_tokens.size(); }
    QString take() { return m_tokens.at(m_next++); }

    QString value(const QString& option)
    {
        if (atEnd())
            throw Error(
                QStringLiteral("The MP3 command line option \"%1\" needs a value.").arg(option));
        return take();
    }

    int integer(const QString& option, int low, int high)
    {
        const QString text = value(option);
        bool ok = false;
        const int v = text.toInt(&ok);
        if (!ok || v < low || v > high)
            throw invalid(option, text);
        return v;
    }

    // LAME reads frequencies below 50 as kHz.
    int frequency(const QString& option)
    {
        const QString text = value(option);
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || v < 0 || v > 192000)
            throw invalid(option, text);
        return static_cast<int>(std::lround(v < 50 ? v * 1000 : v));
    }

    static Error invalid(const QString& option, const QString& text)
    {
        return Error(QStringLiteral("The MP3 command line value \"%1\" of \"%2\" is not valid.")
                         .arg(text, option));
    }

private:
    QStringList m_tokens;
    qsizetype m_next = 0;
};

void applyPreset(Parser& p, const QString& option, Mp3EncoderSettings& s)
{
    static const std::map<QString, int> presets{
        {"phone", 1}, {"sw", 2},   {"am", 3}, {"fm", 4},      {"voice", 5}, {"radio", 6},
        {"tape", 7},  {"hifi", 8}, {"cd", 9}, {"studio", 10}, {"r3mix", 11}};
    static const std::map<QString, int> altPresets{
        {"fast standard", 1}, {"standard", 2}, {"fast extreme", 3}, {"extreme", 4}, {"insane", 5}};
    QString name = p.value(option).toLower();
    if (name == QLatin1String("fast"))
        name += QLatin1Char(' ') + p.value(option).toLower();
    if (auto it = presets.find(name); it != presets.end())
        s.SetPreset(it->second);
    else if (auto alt = altPresets.find(name); alt != altPresets.end())
        s.SetAltPreset(alt->second);
    else
        throw Parser::invalid(option, name);
}

void applyMode(Parser& p, const QString& option, Mp3EncoderSettings& s)
{
    const QString mode = p.value(option);
    if (mode == QLatin1String("m")) {
        s.SetChannels(1);
        return;
    }
    static const std::map<QString, int> modes{{"s", Mp3EncoderSettings::Stereo},
                                              {"j", Mp3EncoderSettings::JointStereo},
                                              {"f", Mp3EncoderSettings::ForcedJointStereo},
                                              {"d", Mp3EncoderSettings::DualChannels}};
    const auto it = modes.find(mode);
    if (it == modes.end())
        throw Parser::invalid(option, mode);
    s.SetChannels(2);
    s.SetChannelMode(it->second);
}

void applyEmphasis(Parser& p, const QString& option, Mp3EncoderSettings& s)
{
    const QString e = p.value(option);
    if (e == QLatin1String("n"))
        s.SetEmphasis(Mp3EncoderSettings::EmphasisNone);
    else if (e == QLatin1String("5"))
        s.SetEmphasis(Mp3EncoderSettings::Emphasis50_15);
    else if (e == QLatin1String("c"))
        s.SetEmphasis(Mp3EncoderSettings::EmphasisCcitt);
    else
        throw Parser::invalid(option, e);
}

} // namespace

void apply(const QString& text, Mp3EncoderSettings& s)
{
    using Handler = std::function<void(Parser&, const QString&)>;
    using S = Mp3EncoderSettings;
    const std::map<QString, Handler> handlers{
        {"-b", [&](Parser& p, const QString& o) { s.SetBitrate(p.integer(o, 8, 320)); }},
        {"-B", [&](Parser& p, const QString& o) { s.SetVbrBitrate(p.integer(o, 8, 320)); }},
        {"-V",
         [&](Parser& p, const QString& o) {
             s.SetVbrQuality(p.integer(o, 0, 9));
             if (s.vbrMethod() == S::VbrNone)
                 s.SetVbrMethod(S::VbrDefault);
         }},
        {"-v",
         [&](Parser&, const QString&) {
             if (s.vbrMethod() == S::VbrNone)
                 s.SetVbrMethod(S::VbrDefault);
         }},
        {"--vbr-old", [&](Parser&, const QString&) { s.SetVbrMethod(S::VbrOld); }},
        {"--vbr-new", [&](Parser&, const QString&) { s.SetVbrMethod(S::VbrNew); }},
        {"--cbr", [&](Parser&, const QString&) { s.SetVbrMethod(S::VbrNone); }},
        {"-q", [&](Parser& p, const QString& o) { s.SetQuality(p.integer(o, 0, 9)); }},
        {"-h", [&](Parser&, const QString&) { s.SetQuality(2); }},
        {"-f", [&](Parser&, const QString&) { s.SetQuality(7); }},
        {"-m", [&](Parser& p, const QString& o) { applyMode(p, o, s); }},
        {"-a", [&](Parser&, const QString&) { s.SetChannels(1); }},
        {"--resample", [&](Parser& p, const QString& o) { s.SetOutputSampleRate(p.frequency(o)); }},
        {"--lowpass", [&](Parser& p, const QString& o) { s.SetLowPassFrequency(p.frequency(o)); }},
        {"--highpass",
         [&](Parser& p, const QString& o) { s.SetHighPassFrequency(p.frequency(o)); }},
        {"--lowpass-width",
         [&](Parser& p, const QString& o) { s.SetLowPassWidth(p.frequency(o)); }},
        {"--highpass-width",
         [&](Parser& p, const QString& o) { s.SetHighPassWidth(p.frequency(o)); }},
        {"-p", [&](Parser&, const QString&) { s.SetCrc(true); }},
        {"-e", [&](Parser& p, const QString& o) { applyEmphasis(p, o, s); }},
        {"--strictly-enforce-ISO", [&](Parser&, const QString&) { s.SetStrictIso(true); }},
        {"--nores", [&](Parser&, const QString&) { s.SetBitReservoir(false); }},
        {"-t", [&](Parser&, const QString&) { s.SetWriteVbrHeader(false); }},
        {"-F", [&](Parser&, const QString&) { s.SetEnforceMinBitrate(true); }},
        {"--short", [&](Parser&, const QString&) { s.SetShortBlocks(true); }},
        {"--noshort", [&](Parser&, const QString&) { s.SetShortBlocks(false); }},
        {"--allow-diff-short", [&](Parser&, const QString&) { s.SetAllowDiffBlockTypes(true); }},
        {"--athonly", [&](Parser&, const QString&) { s.SetAthMode(S::AthOnly); }},
        {"--noath", [&](Parser&, const QString&) { s.SetAthMode(S::AthDisabled); }},
        {"--athshort", [&](Parser&, const QString&) { s.SetAthMode(S::AthOnlyShortBlocks); }},
        {"--preset", [&](Parser& p, const QString& o) { applyPreset(p, o, s); }},
    };

    Parser parser(text);
    while (!parser.atEnd()) {
        const QString option = parser.take();
        const auto it = handlers.find(option);
        if (it == handlers.end())
            throw Error(
                QStringLiteral("The MP3 command line option \"%1\" is not supported.").arg(option));
        it->second(parser, option);
    }
}

} // namespace mp3commandline
