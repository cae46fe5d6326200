// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/EncoderOverrides.h"

#include "audio/AudioWriter.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "audio/encoders/WmaProfiles.h"
#include "settings/ConfigureEncoder.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

const char* formatName(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Mp3:
        return "MP3";
    case OutputFormat::Wav:
        return "WAV";
    case OutputFormat::Wma:
        return "WMA";
    case OutputFormat::Ogg:
        return "Ogg";
    }
    return "";
}

// The profile that has every value given; among several, the one nearest to
// the configured profile (its rate, then its channels), then the first.
const WmaProfile* wmaProfileFor(const EncoderOverrides& o, int configured, int* number)
{
    const WmaProfile* current = wmaProfile(configured);
    const WmaProfile* best = nullptr;
    int bestScore = -1;
    for (int k = 1; k <= wmaProfileCount(); ++k) {
        const WmaProfile* p = wmaProfile(k);
        if ((o.bitrate && p->nominalKbps != *o.bitrate) || (o.rate && p->rate != *o.rate) ||
            (o.channels && p->channels != *o.channels))
            continue;
        const int score = current ? (p->rate == current->rate ? 2 : 0) +
                                        (p->channels == current->channels ? 1 : 0)
                                  : 0;
        if (score > bestScore) {
            best = p;
            bestScore = score;
            if (number)
                *number = k;
        }
    }
    return best;
}

} // namespace

QString EncoderOverrides::refusalFor(OutputFormat format) const
{
    const QString name = QLatin1String(formatName(format));
    const auto notFor = [&](const char* option, const char* formats) {
        return QStringLiteral("--%1 does not apply to %2 pieces; it is for %3")
            .arg(QLatin1String(option), name, QLatin1String(formats));
    };
    if (vbrQuality && format != OutputFormat::Mp3)
        return notFor("vbr-quality", "MP3");
    if (quality && format != OutputFormat::Ogg)
        return notFor("quality", "Ogg");
    if (bits && format != OutputFormat::Wav)
        return notFor("bits", "WAV");
    if (bitrate && format == OutputFormat::Wav)
        return notFor("bitrate", "MP3, Ogg and WMA");
    if (bitrate && vbrQuality)
        return QStringLiteral("--bitrate and --vbr-quality: give one (a constant bitrate or a "
                              "variable one of that quality)");
    if (bitrate && quality)
        return QStringLiteral("--bitrate and --quality: give one (a nominal bitrate or a "
                              "quality)");
    switch (format) {
    case OutputFormat::Mp3:
        if (bitrate && rate && *rate > 0 && !AudioWriter::checkMp3Format(*rate, *bitrate, 2))
            return QStringLiteral("MP3 at %1 Hz takes %2")
                .arg(*rate)
                .arg(*rate >= 32000   ? QStringLiteral("32 to 320 kbit/s")
                     : *rate >= 16000 ? QStringLiteral("8 to 160 kbit/s")
                                      : QStringLiteral("8 to 64 kbit/s"));
        break;
    case OutputFormat::Wma: {
        if ((rate && *rate == 0) || (channels && *channels == 0))
            return QStringLiteral("WMA pieces take their rate and channels from a profile: give "
                                  "numbers to --rate and --channels, not source");
        if ((bitrate || rate || channels) && !wmaProfileFor(*this, 0, nullptr)) {
            QList<int> offers;
            for (int k = 1; k <= wmaProfileCount(); ++k) {
                const WmaProfile* p = wmaProfile(k);
                if (p->nominalKbps > 0 && (!rate || p->rate == *rate) &&
                    (!channels || p->channels == *channels) && !offers.contains(p->nominalKbps))
                    offers << p->nominalKbps;
            }
            std::sort(offers.rbegin(), offers.rend());
            QStringList texts;
            for (int kbps : offers)
                texts << QString::number(kbps);
            if (texts.isEmpty())
                return QStringLiteral("no WMA profile has that rate and channel count; WMA takes "
                                      "8000 to 48000 Hz");
            return QStringLiteral("no WMA profile has that bitrate; with these values WMA takes "
                                  "%1 kbit/s")
                .arg(texts.join(QStringLiteral(", ")));
        }
        break;
    }
    case OutputFormat::Wav:
    case OutputFormat::Ogg:
        break;
    }
    return {};
}

void EncoderOverrides::applyTo(settings::EncoderConfiguration& config, int sourceRate,
                               int sourceChannels) const
{
    const auto rateOf = [&](int value) { return value > 0 ? value : sourceRate; };
    const auto channelsOf = [&](int value) {
        return value > 0 ? value : std::clamp(sourceChannels, 1, 2);
    };
    switch (config.format) {
    case settings::FormatMp3: {
        if (!bitrate && !vbrQuality && !rate && !channels)
            return;
        settings::Mp3Configuration& mp3 = config.mp3;
        if (!mp3.properties) {
            mp3.properties = settings::Mp3Properties();
            mp3.preset.reset();
            mp3.altPreset.reset();
        }
        settings::Mp3Properties& p = *mp3.properties;
        if (bitrate) {
            p.vbrMethod = Mp3EncoderSettings::VbrNone;
            p.bitrate = *bitrate;
        }
        if (rate)
            p.outputSampleRate = rateOf(*rate);
        if (vbrQuality) {
            p.vbrMethod = Mp3EncoderSettings::VbrDefault;
            p.vbrQuality = *vbrQuality;
            p.enforceMinBitrate = false;
            // A quality is asked for, not a ceiling: the highest bitrate the
            // output's MPEG version has.
            const int outRate = p.outputSampleRate > 0 ? p.outputSampleRate : sourceRate;
            p.vbrBitrate = outRate >= 32000 ? 320 : outRate >= 16000 ? 160 : 64;
        }
        if (channels) {
            p.channels = channelsOf(*channels);
            if (p.channels == 1)
                p.channelMode.reset();
            else if (!p.channelMode)
                p.channelMode = Mp3EncoderSettings::JointStereo;
        }
        return;
    }
    case settings::FormatWav: {
        if (!rate && !channels && !bits)
            return;
        settings::WavFormat wav = config.wav.value_or(settings::WavFormat{44100, 2, 16});
        if (rate)
            wav.rate = rateOf(*rate);
        if (channels)
            wav.channels = channelsOf(*channels);
        if (bits)
            wav.bitsPerSample = *bits;
        config.wav = wav;
        return;
    }
    case settings::FormatOgg: {
        if (!bitrate && !quality && !rate && !channels)
            return;
        settings::OggFormat ogg =
            config.ogg.empty() ? settings::OggFormat{44100, 2, 128, 0, 0, -1} : config.ogg.back();
        if (rate)
            ogg.rate = rateOf(*rate);
        if (channels)
            ogg.channels = channelsOf(*channels);
        if (bitrate)
            ogg = {ogg.rate, ogg.channels, *bitrate, 0, 0, -1};
        if (quality) {
            // The encoder's quality runs from 0 to 1000 over Vorbis's -0.1 to
            // 1.0; the command line takes oggenc's -1 to 10.
            const int q = static_cast<int>(std::lround((*quality + 1) * 1000.0 / 11.0));
            ogg = {ogg.rate, ogg.channels, 0, 0, 0, q};
        }
        config.ogg = {ogg};
        return;
    }
    case settings::FormatWma: {
        if (!bitrate && !rate && !channels)
            return;
        int number = 0;
        if (wmaProfileFor(*this, config.wmaProfile.value_or(0), &number))
            config.wmaProfile = number;
        return;
    }
    default:
        return;
    }
}
