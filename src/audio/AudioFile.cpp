// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioFile.h"

#include "audio/AudioError.h"
#include "audio/AudioReader.h"
#include "audio/AudioWriter.h"

#include <limits>

namespace {

// OpenRead refuses sources whose counts leave 32 bits; the clamp only
// guards the conversion.
int32_t clampTo32(int64_t value)
{
    return value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                       : static_cast<int32_t>(value);
}

} // namespace

AudioFile::AudioFile() : m_writer(std::make_unique<AudioWriter>()) {}

AudioFile::~AudioFile() = default;

void AudioFile::SetEnabled(bool enabled)
{
    if (!enabled)
        Close();
    m_enabled = enabled;
}

void AudioFile::requireEnabled() const
{
    if (!m_enabled)
        throw AudioError(QStringLiteral("The audio component is switched off."));
}

void AudioFile::OpenRead(const QString& fileName, int /*mode*/, int /*option*/)
{
    requireEnabled();
    Close();
    auto reader = AudioReader::open(fileName);
    // Positions and lengths are 32-bit frame counts for every user of this
    // component; a longer file would have a clamped count beside a true
    // duration, and every conversion between the two would land far off.
    constexpr int64_t kMaxFrames = std::numeric_limits<int32_t>::max();
    if (reader->sampleCount() > kMaxFrames) {
        const int rate = reader->sampleRate();
        // Tenths of an hour, rounded down, so that the limit stated holds.
        const int64_t tenths = kMaxFrames * 10 / (int64_t{rate} * 3600);
        throw AudioError(
            QStringLiteral(
                "Cannot read \"%1\": longer than %2.%3 hours is not supported (at %4 Hz).")
                .arg(fileName)
                .arg(tenths / 10)
                .arg(tenths % 10)
                .arg(rate));
    }
    m_reader = std::move(reader);
}

bool AudioFile::IsOpen() const
{
    return m_reader || m_writer->isOpen();
}

void AudioFile::Abandon() noexcept
{
    m_writer->abandon();
}

void AudioFile::Close()
{
    m_reader.reset();
    if (m_writer->isOpen())
        m_writer->close();
}

const AudioReader& AudioFile::reader() const
{
    if (!m_reader)
        throw AudioError(QStringLiteral("No source file is open."));
    return *m_reader;
}

AudioReader& AudioFile::reader()
{
    return const_cast<AudioReader&>(std::as_const(*this).reader());
}

int32_t AudioFile::GetSampleCount() const
{
    return clampTo32(reader().sampleCount());
}

int32_t AudioFile::GetDurationMs() const
{
    return clampTo32(reader().durationMs());
}

int AudioFile::GetChannels() const
{
    return reader().channels();
}

int AudioFile::GetSampleRate() const
{
    return reader().sampleRate();
}

QString AudioFile::GetFormatName() const
{
    return reader().formatName();
}

void AudioFile::Seek(int32_t frame, int /*origin*/)
{
    reader().seek(frame);
}

SampleArray AudioFile::ReadBlock(int frames)
{
    return reader().read(frames);
}

void AudioFile::SetBlockFormat(int rate, int channels)
{
    if (m_reader)
        m_reader->setBlockFormat(rate, channels);
    else
        m_writer->setBlockFormat(rate, channels);
}

void AudioFile::SetWavFormat(int rate, int channels, int bitsPerSample)
{
    m_writer->setWavFormat(rate, channels, bitsPerSample);
}

void AudioFile::SetWmaProfile(int profile)
{
    m_writer->setWmaProfile(profile);
}

void AudioFile::SetOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps,
                             int quality)
{
    m_writer->setOggFormat(rate, channels, kbps, minKbps, maxKbps, quality);
}

void AudioFile::SetMp3Encoder(const Mp3EncoderSettings& settings)
{
    m_writer->setMp3Encoder(settings);
}

bool AudioFile::CheckMp3Format(int rate, int kbps, int channelMode) const
{
    return AudioWriter::checkMp3Format(rate, kbps, channelMode);
}

bool AudioFile::CheckOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps) const
{
    return AudioWriter::checkOggFormat(rate, channels, kbps, minKbps, maxKbps);
}

void AudioFile::OpenWrite(const QString& fileName, int /*mode*/)
{
    requireEnabled();
    Close();
    m_writer->open(fileName);
}

void AudioFile::WriteBlock(const SampleArray& block)
{
    if (!m_writer->isOpen())
        throw AudioError(QStringLiteral("No output file is open."));
    m_writer->write(block);
}
