// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioWriter.h"

#include "audio/AudioError.h"
#include "audio/BlockConverter.h"
#include "audio/OutputFile.h"
#include "audio/encoders/Mp3Encoder.h"
#include "audio/encoders/Mp3EncoderSettings.h"
#include "audio/encoders/OggEncoder.h"
#include "audio/encoders/WavEncoder.h"
#include "audio/encoders/WmaEncoder.h"
#include "audio/encoders/WmaProfiles.h"

#include <variant>

namespace {

struct WavFormat {
    int rate;
    int channels;
    int bits;
};

struct WmaFormat {
    int profile;
};

// Until a format is chosen the writer writes CD-quality WAV.
using OutputFormat = std::variant<WavFormat, WmaFormat, OggFormat, Mp3EncoderSettings>;

struct EncoderFactory {
    const QString& path;

    std::unique_ptr<AudioEncoder> operator()(const WavFormat& f) const
    {
        if (!WavEncoder::isSupported(f.rate, f.channels, f.bits))
            OutputFile::failFor(path, QStringLiteral("WAV cannot hold %1 Hz, %2 channels, %3 bits")
                                          .arg(f.rate)
                                          .arg(f.channels)
                                          .arg(f.bits));
        return std::make_unique<WavEncoder>(path, f.rate, f.channels, f.bits);
    }
    std::unique_ptr<AudioEncoder> operator()(const WmaFormat& f) const
    {
        const WmaProfile* profile = wmaProfile(f.profile);
        if (!profile)
            OutputFile::failFor(path, QStringLiteral("there is no WMA profile %1").arg(f.profile));
        return std::make_unique<WmaEncoder>(path, *profile);
    }
    std::unique_ptr<AudioEncoder> operator()(const OggFormat& f) const
    {
        return std::make_unique<OggEncoder>(path, f);
    }
    std::unique_ptr<AudioEncoder> operator()(const Mp3EncoderSettings& s) const
    {
        return std::make_unique<Mp3Encoder>(path, s);
    }
};

} // namespace

struct AudioWriter::Impl {
    OutputFormat format = WavFormat{44100, 2, 16};
    int blockRate = 0; // 0: blocks arrive in the output format
    int blockChannels = 0;
    QString path; // of the open output
    std::unique_ptr<AudioEncoder> encoder;
    std::unique_ptr<BlockConverter> converter;

    void makeConverter()
    {
        const int rate = blockRate != 0 ? blockRate : encoder->sampleRate();
        const int channels = blockChannels != 0 ? blockChannels : encoder->channels();
        converter = std::make_unique<BlockConverter>(rate, channels, encoder->sampleRate(),
                                                     encoder->channels());
    }

    void drainConverter()
    {
        if (const int frames = converter->flush(); frames > 0)
            encoder->encode(converter->planes(), frames);
    }

    // Drops an output that cannot be completed; its encoder removes the file.
    void abandon()
    {
        converter.reset();
        encoder.reset();
    }

    // Runs a step on the open output; a failure abandons the output and is
    // reported with the file's name.
    template <typename Step> void guarded(Step step)
    {
        try {
            step();
        } catch (const OutputWriteError&) {
            abandon();
            throw;
        } catch (const AudioError& e) {
            abandon();
            OutputFile::failFor(path, e.message());
        } catch (...) {
            abandon();
            throw;
        }
    }
};

AudioWriter::AudioWriter() : d(std::make_unique<Impl>()) {}

AudioWriter::~AudioWriter()
{
    if (isOpen()) {
        try {
            close();
        } catch (const AudioError&) {
            // Nothing can report it any more; the incomplete file is removed.
        }
    }
}

void AudioWriter::setWavFormat(int rate, int channels, int bitsPerSample)
{
    d->format = WavFormat{rate, channels, bitsPerSample};
}

void AudioWriter::setWmaProfile(int profile)
{
    d->format = WmaFormat{profile};
}

void AudioWriter::setOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps,
                               int quality)
{
    d->format = OggFormat{rate, channels, kbps, minKbps, maxKbps, quality};
}

void AudioWriter::setMp3Encoder(const Mp3EncoderSettings& settings)
{
    d->format = settings;
    settings.markHandedOver();
}

void AudioWriter::setBlockFormat(int rate, int channels)
{
    d->blockRate = rate;
    d->blockChannels = channels;
    if (isOpen() && (d->converter->inRate() != rate || d->converter->inChannels() != channels)) {
        d->guarded([this] {
            d->drainConverter();
            d->makeConverter();
        });
    }
}

void AudioWriter::open(const QString& path)
{
    if (isOpen())
        close();
    d->path = path;
    d->encoder = std::visit(EncoderFactory{path}, d->format);
    d->guarded([this] { d->makeConverter(); });
}

bool AudioWriter::isOpen() const
{
    return d->encoder != nullptr;
}

void AudioWriter::write(const SampleArray& block)
{
    if (!isOpen())
        throw AudioError(QStringLiteral("No output file is open."));
    const int channels = d->converter->inChannels();
    if ((block.channels > 0 && block.channels != channels) ||
        block.samples.size() % static_cast<size_t>(channels) != 0)
        OutputFile::failFor(d->path, QStringLiteral("the block holds %1 channels where %2 were "
                                                    "announced")
                                         .arg(block.channels)
                                         .arg(channels));
    // A block at another rate would be encoded at the wrong speed.
    const int rate = d->converter->inRate();
    if (block.rate > 0 && block.rate != rate)
        OutputFile::failFor(d->path, QStringLiteral("the block holds %1 Hz where %2 Hz were "
                                                    "announced")
                                         .arg(block.rate)
                                         .arg(rate));
    const int frames = static_cast<int>(block.samples.size()) / channels;
    if (frames == 0)
        return;
    d->guarded([&] {
        const int converted = d->converter->convert(block.samples.data(), frames);
        if (converted > 0)
            d->encoder->encode(d->converter->planes(), converted);
    });
}

void AudioWriter::close()
{
    if (!isOpen())
        return;
    d->guarded([this] {
        d->drainConverter();
        d->encoder->finish();
    });
    d->abandon(); // finished: the encoder now only lets go of the complete file
}

void AudioWriter::abandon() noexcept
{
    d->abandon();
}

bool AudioWriter::checkMp3Format(int rate, int kbps, int channelMode)
{
    return Mp3Encoder::check(rate, kbps, channelMode);
}

bool AudioWriter::checkOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps)
{
    return OggEncoder::check(rate, channels, kbps, minKbps, maxKbps);
}
