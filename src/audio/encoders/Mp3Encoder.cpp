// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/Mp3Encoder.h"

#include "audio/AudioError.h"
#include "audio/encoders/Mp3CommandLine.h"
#include "audio/mpeg/SilentFrames.h"

#include <lame/lame.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <optional>

namespace {

// What the settings dialog's presets stand for in LAME. The named presets are
// the average-bitrate presets LAME's own front end gives the same names ("sw"
// and "am" are its short- and medium-wave radio presets); the speech presets
// encode in mono. "R3Mix" and the alt-presets are LAME's presets of those names.
struct PresetMapping {
    int lamePreset;
    bool mono;
};
// clang-format off
constexpr std::array<PresetMapping, 11> kPresets{{
    {16, true},     // 1 Phone:  ABR 16 kbit/s, mono
    {24, true},     // 2 SW:     ABR 24, mono
    {40, true},     // 3 AM:     ABR 40, mono
    {112, false},   // 4 FM:     ABR 112
    {56, true},     // 5 Voice:  ABR 56, mono
    {112, false},   // 6 Radio:  ABR 112
    {112, false},   // 7 Tape:   ABR 112
    {160, false},   // 8 HiFi:   ABR 160
    {192, false},   // 9 CD:     ABR 192
    {256, false},   // 10 Studio: ABR 256
    {R3MIX, false}, // 11 R3Mix: VBR (V3, new VBR code, tuned filters)
}};
constexpr std::array<int, 5> kAltPresets{
    STANDARD_FAST, // 1 Fast Standard: VBR V2
    STANDARD,      // 2 Standard:      VBR V2
    EXTREME_FAST,  // 3 Fast Extreme:  VBR V0
    EXTREME,       // 4 Extreme:       VBR V0
    INSANE,        // 5 Insane:        CBR 320
};
// clang-format on

bool validPreset(int preset)
{
    return preset >= 1 && preset <= static_cast<int>(kPresets.size());
}

bool validAltPreset(int altPreset)
{
    return altPreset >= 1 && altPreset <= static_cast<int>(kAltPresets.size());
}

// Each LAME setter refuses a value it cannot take with a non-zero result;
// the setting is named in the message so the user knows what to change.
class LameSetup {
public:
    explicit LameSetup(lame_t gf) : m_gf(gf) {}

    template <typename Setter, typename Value>
    void set(Setter setter, Value value, const char* what)
    {
        if (setter(m_gf, value) != 0)
            throw AudioError(QStringLiteral("The MP3 encoder does not accept %1 = %2.")
                                 .arg(QLatin1String(what))
                                 .arg(value));
    }

private:
    lame_t m_gf;
};

vbr_mode vbrModeOf(int method)
{
    switch (method) {
    case Mp3EncoderSettings::VbrDefault:
        return vbr_default;
    case Mp3EncoderSettings::VbrOld:
        return vbr_rh;
    case Mp3EncoderSettings::VbrNew:
        return vbr_mt;
    case Mp3EncoderSettings::VbrMtrh:
        return vbr_mtrh;
    default:
        return vbr_off;
    }
}

MPEG_mode modeOf(int channels, int channelMode)
{
    if (channels == 1)
        return MONO;
    switch (channelMode) {
    case Mp3EncoderSettings::Stereo:
        return STEREO;
    case Mp3EncoderSettings::JointStereo:
    case Mp3EncoderSettings::ForcedJointStereo:
        return JOINT_STEREO;
    case Mp3EncoderSettings::DualChannels:
        return DUAL_CHANNEL;
    default:
        throw AudioError(QStringLiteral("The MP3 channel mode %1 is not known.").arg(channelMode));
    }
}

int emphasisOf(int emphasis)
{
    switch (emphasis) {
    case Mp3EncoderSettings::EmphasisNone:
        return 0;
    case Mp3EncoderSettings::Emphasis50_15:
        return 1;
    case Mp3EncoderSettings::EmphasisCcitt:
        return 3;
    default:
        throw AudioError(QStringLiteral("The MP3 emphasis %1 is not known.").arg(emphasis));
    }
}

// The stream format and the expert switches, which presets leave alone.
void applyCommon(lame_t gf, const Mp3EncoderSettings& s, int rate, int channels)
{
    LameSetup lame(gf);
    lame.set(lame_set_in_samplerate, rate, "input sample rate");
    lame.set(lame_set_out_samplerate, rate, "output sample rate");
    lame.set(lame_set_num_channels, channels, "channels");
    lame.set(lame_set_mode, modeOf(channels, s.channelMode()), "channel mode");
    if (channels == 2 && s.channelMode() == Mp3EncoderSettings::ForcedJointStereo)
        lame.set(lame_set_force_ms, 1, "forced joint stereo");
    lame_set_write_id3tag_automatic(gf, 0); // the tag writers add the tags later
    lame.set(lame_set_bWriteVbrTag, s.writeVbrHeader() ? 1 : 0, "VBR header");
    lame.set(lame_set_error_protection, s.crc() ? 1 : 0, "CRC");
    lame.set(lame_set_emphasis, emphasisOf(s.emphasis()), "emphasis");
    lame.set(lame_set_strict_ISO, s.strictIso() ? 1 : 0, "strict ISO");
    lame.set(lame_set_disable_reservoir, s.bitReservoir() ? 0 : 1, "bit reservoir");
    if (!s.shortBlocks())
        lame.set(lame_set_no_short_blocks, 1, "short blocks");
    else if (s.allowDiffBlockTypes())
        lame.set(lame_set_allow_diff_short, 1, "block types per channel");
    switch (s.athMode()) {
    case Mp3EncoderSettings::AthDefault:
        break;
    case Mp3EncoderSettings::AthOnly:
        lame.set(lame_set_ATHonly, 1, "ATH only");
        break;
    case Mp3EncoderSettings::AthDisabled:
        lame.set(lame_set_noATH, 1, "ATH disabled");
        break;
    case Mp3EncoderSettings::AthOnlyShortBlocks:
        lame.set(lame_set_ATHshort, 1, "ATH for short blocks");
        break;
    default:
        throw AudioError(QStringLiteral("The MP3 ATH mode %1 is not known.").arg(s.athMode()));
    }
}

// Bitrate, VBR, quality and filters of a configuration without preset.
void applyEncoding(lame_t gf, const Mp3EncoderSettings& s)
{
    LameSetup lame(gf);
    lame.set(lame_set_quality, s.quality(), "quality");
    const vbr_mode vbr = vbrModeOf(s.vbrMethod());
    lame.set(lame_set_VBR, vbr, "VBR method");
    if (vbr == vbr_off) {
        lame.set(lame_set_brate, s.bitrate(), "bitrate");
    } else {
        lame.set(lame_set_VBR_q, s.vbrQuality(), "VBR quality");
        lame.set(lame_set_VBR_max_bitrate_kbps, s.vbrBitrate(), "VBR bitrate");
        if (s.enforceMinBitrate()) {
            lame.set(lame_set_VBR_min_bitrate_kbps, s.bitrate(), "minimum bitrate");
            lame.set(lame_set_VBR_hard_min, 1, "strict minimum bitrate");
        }
    }
    // -1 switches the user's filter off. LAME then keeps the low-pass it
    // tunes to the bitrate: taking that away too would spend the bits of a
    // 128 kbit/s stream on content above 17 kHz and make it sound worse,
    // which nobody unticking a filter box asks for.
    if (s.lowPassFrequency() >= 0) {
        lame.set(lame_set_lowpassfreq, s.lowPassFrequency(), "low-pass frequency");
        lame.set(lame_set_lowpasswidth, s.lowPassWidth(), "low-pass width");
    }
    if (s.highPassFrequency() >= 0) {
        lame.set(lame_set_highpassfreq, s.highPassFrequency(), "high-pass frequency");
        lame.set(lame_set_highpasswidth, s.highPassWidth(), "high-pass width");
    }
}

void applyPresets(lame_t gf, const Mp3EncoderSettings& s)
{
    const auto setPreset = [gf](int preset) {
        if (lame_set_preset(gf, preset) < 0)
            throw AudioError(
                QStringLiteral("The MP3 encoder does not know the preset %1.").arg(preset));
    };
    if (s.preset() != 0) {
        if (!validPreset(s.preset()))
            throw AudioError(QStringLiteral("The MP3 preset %1 is not known.").arg(s.preset()));
        setPreset(kPresets[static_cast<size_t>(s.preset() - 1)].lamePreset);
    }
    if (s.altPreset() != 0) {
        if (!validAltPreset(s.altPreset()))
            throw AudioError(
                QStringLiteral("The MP3 alt-preset %1 is not known.").arg(s.altPreset()));
        setPreset(kAltPresets[static_cast<size_t>(s.altPreset() - 1)]);
    }
}

int outputChannels(const Mp3EncoderSettings& s)
{
    if (validPreset(s.preset()) && kPresets[static_cast<size_t>(s.preset() - 1)].mono)
        return 1;
    return s.channels();
}

// LAME's own silent defaults print to stderr; the program shows errors itself.
void quiet(const char*, va_list) {}

lame_t newLame()
{
    lame_t gf = lame_init();
    if (!gf)
        throw AudioError(QStringLiteral("The MP3 encoder cannot start: out of memory."));
    lame_set_errorf(gf, quiet);
    lame_set_debugf(gf, quiet);
    lame_set_msgf(gf, quiet);
    return gf;
}

} // namespace

void Mp3Encoder::LameDeleter::operator()(lame_global_struct* gf) const
{
    lame_close(gf);
}

Mp3EncoderSettings Mp3Encoder::effectiveSettings(const Mp3EncoderSettings& settings)
{
    Mp3EncoderSettings effective = settings;
    try {
        mp3commandline::apply(settings.commandLine(), effective);
    } catch (const mp3commandline::Error& e) {
        throw AudioError(e.message());
    }
    return effective;
}

Mp3Encoder::Mp3Encoder(const QString& path, const Mp3EncoderSettings& settings)
    : m_lame(configure(path, settings)), m_file(path)
{
}

Mp3Encoder::LamePtr Mp3Encoder::configure(const QString& path, const Mp3EncoderSettings& settings)
{
    try {
        const Mp3EncoderSettings s = effectiveSettings(settings);
        m_rate = s.outputSampleRate();
        m_channels = outputChannels(s);
        if (m_channels != 1 && m_channels != 2)
            throw AudioError(
                QStringLiteral("MP3 holds one or two channels, not %1.").arg(m_channels));
        LamePtr lame(newLame());
        lame_t gf = lame.get();
        applyCommon(gf, s, m_rate, m_channels);
        if (s.usesPreset())
            applyPresets(gf, s);
        else
            applyEncoding(gf, s);
        if (lame_init_params(gf) < 0)
            throw AudioError(
                QStringLiteral("The MP3 encoder cannot encode %1 Hz with these settings.")
                    .arg(m_rate));
        if (lame_get_out_samplerate(gf) != m_rate)
            throw AudioError(QStringLiteral("The MP3 encoder cannot write %1 Hz.").arg(m_rate));
        return lame;
    } catch (const AudioError& e) {
        OutputFile::failFor(path, e.message());
    }
}

Mp3Encoder::~Mp3Encoder() = default;

void Mp3Encoder::writeEncoded(int bytes)
{
    if (bytes < 0)
        m_file.fail(QStringLiteral("the MP3 encoder failed (%1)").arg(bytes));
    m_file.write(m_buffer.data(), static_cast<size_t>(bytes));
}

void Mp3Encoder::encode(const float* const* planes, int frames)
{
    m_encodedFrames += frames;
    // LAME's worst case for n frames: 1.25 n + 7200 bytes.
    constexpr int kChunk = 8192;
    m_buffer.resize(kChunk + kChunk / 4 + 7200);
    const float* left = planes[0];
    const float* right = m_channels == 2 ? planes[1] : planes[0];
    for (int done = 0; done < frames;) {
        const int n = std::min(kChunk, frames - done);
        // The non-interleaved call: LAME's interleaved one reads two channels
        // even for mono input.
        writeEncoded(lame_encode_buffer_ieee_float(m_lame.get(), left + done, right + done, n,
                                                   m_buffer.data(),
                                                   static_cast<int>(m_buffer.size())));
        done += n;
    }
}

void Mp3Encoder::finish()
{
    if (m_encodedFrames == 0) {
        // LAME would flush a tag frame and one frame of audio, which FFmpeg
        // refuses to open (a first frame with no frame after it) and other
        // decoders play as a frame of silence.
        lame_t gf = m_lame.get();
        const std::optional<mpeg::FrameHeader> like =
            mpeg::FrameHeader::layer3(m_rate, lame_get_mode(gf), lame_get_emphasis(gf),
                                      lame_get_copyright(gf) != 0, lame_get_original(gf) != 0);
        if (!like)
            m_file.fail(QStringLiteral("MP3 has no sample rate of %1 Hz").arg(m_rate));
        const QByteArray empty = mpeg::emptyStream(*like);
        m_file.write(empty.constData(), static_cast<size_t>(empty.size()));
        m_file.close();
        return;
    }
    m_buffer.resize(std::max<size_t>(m_buffer.size(), 7200));
    writeEncoded(
        lame_encode_flush(m_lame.get(), m_buffer.data(), static_cast<int>(m_buffer.size())));
    if (lame_get_bWriteVbrTag(m_lame.get())) {
        // The first frame was written blank; LAME fills it with the Xing
        // header and the LAME tag (delay, padding, frame count) now.
        const size_t size = lame_get_lametag_frame(m_lame.get(), nullptr, 0);
        if (size > 0) {
            std::vector<unsigned char> tag(size);
            if (lame_get_lametag_frame(m_lame.get(), tag.data(), tag.size()) == size) {
                m_file.seek(0);
                m_file.write(tag.data(), tag.size());
            }
        }
    }
    m_file.close();
}

bool Mp3Encoder::check(int rate, int kbps, int channelMode)
{
    struct Version {
        std::array<int, 3> rates;
        int lowest;
        int highest;
    };
    static constexpr std::array<Version, 3> versions{{
        {{32000, 44100, 48000}, 32, 320}, // MPEG-1
        {{16000, 22050, 24000}, 8, 160},  // MPEG-2
        {{8000, 11025, 12000}, 8, 64},    // MPEG-2.5
    }};
    const auto version = std::find_if(versions.begin(), versions.end(), [rate](const Version& v) {
        return std::find(v.rates.begin(), v.rates.end(), rate) != v.rates.end();
    });
    if (version == versions.end() || kbps < version->lowest || kbps > version->highest)
        return false;
    if (channelMode < 1 || channelMode > 5)
        return false;

    const int channels = channelMode == 1 ? 1 : 2;
    Mp3EncoderSettings s;
    s.SetChannels(channels);
    if (channels == 2)
        s.SetChannelMode(channelMode - 1);
    s.SetOutputSampleRate(rate);
    s.SetBitrate(kbps);
    try {
        std::unique_ptr<lame_global_struct, LameDeleter> lame(newLame());
        applyCommon(lame.get(), s, rate, channels);
        applyEncoding(lame.get(), s);
        return lame_init_params(lame.get()) >= 0 && lame_get_out_samplerate(lame.get()) == rate &&
               lame_get_brate(lame.get()) == kbps;
    } catch (const AudioError&) {
        return false;
    }
}
