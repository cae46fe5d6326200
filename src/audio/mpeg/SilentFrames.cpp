// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mpeg/SilentFrames.h"

#include "audio/mpeg/StreamTag.h"

#include <vector>

namespace mpeg {

namespace {

constexpr int kDecoderDelay = 529;

// Big-endian bit fields, as the side information is laid out.
class BitWriter {
public:
    void put(uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            if (m_bits % 8 == 0)
                m_bytes.push_back(0);
            if (value >> i & 1)
                m_bytes.back() = static_cast<uint8_t>(m_bytes.back() | 0x80 >> (m_bits % 8));
            ++m_bits;
        }
    }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    int m_bits = 0;
};

void putHeader(QByteArray& frame, const FrameHeader& h)
{
    const uint32_t w = h.word();
    frame[0] = char(w >> 24);
    frame[1] = char(w >> 16);
    frame[2] = char(w >> 8);
    frame[3] = char(w);
}

// Side information whose granules read `granuleBits` bits of main data each
// (all other fields zero). With the second count1 table, every four set bits
// there decode to four zero lines, and the bits past the last line are
// skipped: main data of 0xFF bytes decodes to silence.
std::vector<uint8_t> sideInfo(const FrameHeader& h, const std::vector<int>& granuleBits)
{
    BitWriter w;
    const int channels = h.channels();
    size_t part = 0;
    const auto granule = [&](int scalefacCompressBits, bool preflag) {
        const int bits = granuleBits.empty() ? 0 : granuleBits[part++];
        w.put(static_cast<uint32_t>(bits), 12); // part2_3_length
        w.put(0, 9);                            // big_values
        w.put(0, 8);                            // global_gain
        w.put(0, scalefacCompressBits);
        w.put(0, 1);  // window_switching_flag
        w.put(0, 15); // table_select
        w.put(0, 7);  // region0_count, region1_count
        if (preflag)
            w.put(0, 1);
        w.put(0, 1);                // scalefac_scale
        w.put(bits > 0 ? 1 : 0, 1); // count1table_select
    };
    if (!h.lowSamplingFrequency()) {
        w.put(0, 9);                     // main_data_begin
        w.put(0, channels == 1 ? 5 : 3); // private bits
        w.put(0, 4 * channels);          // scfsi
        for (int gr = 0; gr < 2; ++gr)
            for (int ch = 0; ch < channels; ++ch)
                granule(4, true);
    } else {
        w.put(0, 8);
        w.put(0, channels == 1 ? 1 : 2);
        for (int ch = 0; ch < channels; ++ch)
            granule(9, false);
    }
    std::vector<uint8_t> bytes = w.bytes();
    bytes.resize(static_cast<size_t>(h.sideInfoBytes()), 0);
    return bytes;
}

QByteArray silentFrame(const FrameHeader& h, const std::vector<int>& granuleBits)
{
    QByteArray frame(h.frameBytes(), '\0');
    putHeader(frame, h);
    const std::vector<uint8_t> side = sideInfo(h, granuleBits);
    std::copy(side.begin(), side.end(), frame.begin() + 4);
    return frame;
}

} // namespace

std::optional<FrameHeader> smallestFrameHolding(const FrameHeader& like, int bytes)
{
    for (int index = 1; index <= 14; ++index) {
        const std::optional<FrameHeader> h = like.withBitrateIndex(index);
        if (h && h->frameBytes() >= bytes)
            return h;
    }
    return std::nullopt;
}

std::optional<QByteArray> reservoirFrame(const FrameHeader& like, const QByteArray& reservoir)
{
    const std::optional<FrameHeader> h =
        smallestFrameHolding(like, 4 + like.sideInfoBytes() + static_cast<int>(reservoir.size()));
    if (!h)
        return std::nullopt;
    QByteArray frame = silentFrame(*h, {});
    frame.replace(frame.size() - reservoir.size(), reservoir.size(), reservoir);
    return frame;
}

QByteArray drainingFrame(const FrameHeader& like)
{
    const FrameHeader h = *like.withBitrateIndex(1);
    const int mainData = h.frameBytes() - 4 - h.sideInfoBytes();
    const int parts = h.channels() * (h.lowSamplingFrequency() ? 1 : 2);
    std::vector<int> bits(static_cast<size_t>(parts), mainData * 8 / parts);
    bits.back() += mainData * 8 - mainData * 8 / parts * parts;
    QByteArray frame = silentFrame(h, bits);
    frame.replace(4 + h.sideInfoBytes(), mainData, QByteArray(mainData, char(0xFF)));
    return frame;
}

QByteArray emptyStream(const FrameHeader& like)
{
    const FrameHeader silent = *like.withBitrateIndex(1);
    const QByteArray frame = silentFrame(silent, {});
    QByteArray frames;
    for (int i = 0; i < kEmptyStreamFrames; ++i)
        frames += frame;
    const FrameHeader tagHeader = *smallestFrameHolding(like, StreamTag::composedBytes(like));
    const uint32_t bytes = static_cast<uint32_t>(tagHeader.frameBytes() + frames.size());
    std::array<uint8_t, StreamTag::kTocEntries> toc{};
    for (int i = 0; i < StreamTag::kTocEntries; ++i)
        toc[static_cast<size_t>(i)] = static_cast<uint8_t>(
            (tagHeader.frameBytes() + i * frames.size() / StreamTag::kTocEntries) * 256 / bytes);
    // The delay with the decoder's own 529 samples cuts the first half of the
    // frames, the padding beyond its 529 the second half, each at a frame
    // boundary: a skip that ran on into a frame that is discarded from would
    // be lost there (FFmpeg resets it).
    const int spf = like.samplesPerFrame();
    const int half = kEmptyStreamFrames / 2 * spf;
    LameTag lame = LameTag::standard();
    lame.setDelayAndPadding(half - kDecoderDelay, half + kDecoderDelay);
    lame.setMusicCrc(
        crc16(reinterpret_cast<const uint8_t*>(frames.constData()), size_t(frames.size())));
    return *StreamTag::compose(tagHeader, StreamTag::Kind::Info, kEmptyStreamFrames, bytes, toc, 0,
                               lame) +
           frames;
}

} // namespace mpeg
