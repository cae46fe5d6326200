// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mpeg/MpegFrameIndex.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace mpeg {

namespace {

// The decoder's own delay: the synthesis filter bank's output lags its
// input by 529 samples, which gapless decoders cut with the encoder delay.
constexpr int64_t kDecoderDelay = 529;
// How far FFmpeg's MP3 demuxer looks for the first two consecutive frames.
constexpr int64_t kJunkSearch = 64 * 1024;

} // namespace

// The device read in blocks; the bytes asked for are in the current block or
// the next one read from there.
class ByteWindow {
public:
    explicit ByteWindow(QIODevice& device) : m_device(device), m_size(device.size()) {}

    int64_t size() const { return m_size; }
    bool failed() const { return m_failed; }

    // The n bytes at pos, or nullptr when the device does not hold them.
    const uint8_t* at(int64_t pos, int n)
    {
        if (pos < 0 || n <= 0 || pos + n > m_size)
            return nullptr;
        if (pos < m_start || pos + n > m_start + m_filled) {
            const int64_t want = std::min<int64_t>(std::max<int64_t>(kBlock, n), m_size - pos);
            m_block.resize(static_cast<qsizetype>(want));
            m_start = pos;
            m_filled = 0;
            if (!m_device.seek(pos))
                return fail();
            while (m_filled < want) {
                const qint64 got = m_device.read(m_block.data() + m_filled, want - m_filled);
                if (got <= 0)
                    break;
                m_filled += got;
            }
            if (m_filled < n)
                return fail();
        }
        return reinterpret_cast<const uint8_t*>(m_block.constData()) + (pos - m_start);
    }

private:
    static constexpr int64_t kBlock = 64 * 1024;

    const uint8_t* fail()
    {
        // The file ended early or could not be read: it is treated as ending
        // here, and the index says so.
        m_failed = true;
        m_size = m_start + m_filled;
        return nullptr;
    }

    QIODevice& m_device;
    int64_t m_size;
    QByteArray m_block;
    int64_t m_start = 0;
    int64_t m_filled = 0;
    bool m_failed = false;
};

namespace {

bool startsWith(const uint8_t* bytes, const char* text)
{
    return bytes && memcmp(bytes, text, strlen(text)) == 0;
}

int64_t syncSafe(const uint8_t* b)
{
    return int64_t(b[0] & 0x7F) << 21 | (b[1] & 0x7F) << 14 | (b[2] & 0x7F) << 7 | (b[3] & 0x7F);
}

uint32_t le32(const uint8_t* b)
{
    return b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24;
}

// The ID3v2 tags at the start, as FFmpeg skips them: one after another.
int64_t skipId3v2(ByteWindow& in)
{
    int64_t pos = 0;
    for (;;) {
        const uint8_t* b = in.at(pos, 10);
        if (!startsWith(b, "ID3") || b[3] == 0xFF || b[4] == 0xFF ||
            ((b[6] | b[7] | b[8] | b[9]) & 0x80))
            return pos;
        const bool footer = (b[3] == 3 || b[3] == 4) && (b[5] & 0x10);
        pos += 10 + syncSafe(b + 6) + (footer ? 10 : 0);
    }
}

// Where the tags at the end of the file begin (ID3v1, APEv2, Lyrics3, an
// appended ID3v2.4 tag, in any order), not before `from`.
int64_t trailingTagsStart(ByteWindow& in, int64_t from)
{
    int64_t end = in.size();
    bool id3v1 = false;
    for (;;) {
        if (!id3v1 && end - 128 >= from && startsWith(in.at(end - 128, 3), "TAG")) {
            end -= 128;
            id3v1 = true;
            continue;
        }
        if (end - 32 >= from) {
            const uint8_t* f = in.at(end - 32, 32);
            if (startsWith(f, "APETAGEX")) {
                const int64_t size = le32(f + 12) + ((f[23] & 0x80) ? 32 : 0);
                if (size >= 32 && end - size >= from) {
                    end -= size;
                    continue;
                }
            }
        }
        if (end - 15 >= from && startsWith(in.at(end - 9, 9), "LYRICS200")) {
            const uint8_t* digits = in.at(end - 15, 6);
            int64_t size = 0;
            bool number = digits != nullptr;
            for (int i = 0; number && i < 6; ++i) {
                number = digits[i] >= '0' && digits[i] <= '9';
                size = size * 10 + (digits[i] - '0');
            }
            const int64_t begin = end - 15 - size;
            if (number && begin >= from && startsWith(in.at(begin, 11), "LYRICSBEGIN")) {
                end = begin;
                continue;
            }
        }
        if (end - 20 >= from && startsWith(in.at(end - 9, 9), "LYRICSEND")) {
            // Lyrics3 version 1: at most 5100 bytes of lyrics after its start.
            const int64_t low = std::max(from, end - 9 - 5100 - 11);
            const uint8_t* text = in.at(low, static_cast<int>(end - 9 - low));
            int64_t begin = -1;
            for (int64_t i = end - 9 - 11; text && i >= low; --i)
                if (memcmp(text + (i - low), "LYRICSBEGIN", 11) == 0) {
                    begin = i;
                    break;
                }
            if (begin >= 0) {
                end = begin;
                continue;
            }
        }
        if (end - 10 >= from) {
            const uint8_t* f = in.at(end - 10, 10);
            if (startsWith(f, "3DI") && !((f[6] | f[7] | f[8] | f[9]) & 0x80)) {
                const int64_t size = syncSafe(f + 6) + 20;
                if (end - size >= from) {
                    end -= size;
                    continue;
                }
            }
        }
        return end;
    }
}

std::optional<FrameHeader> sizedHeaderAt(ByteWindow& in, int64_t pos)
{
    const uint8_t* b = in.at(pos, 4);
    if (!b)
        return std::nullopt;
    const std::optional<FrameHeader> h = FrameHeader::parse(b);
    if (!h || h->freeFormat())
        return std::nullopt;
    return h;
}

} // namespace

IndexedFrame::IndexedFrame(int64_t offset, int size, int mainDataBegin, bool crc)
    : m_bits((static_cast<uint64_t>(offset) & kOffsetMask) |
             static_cast<uint64_t>(size & 0xFFF) << 40 |
             static_cast<uint64_t>(mainDataBegin & 0x1FF) << 52 | uint64_t(crc ? 1 : 0) << 61)
{
}

MpegFrameIndex::MpegFrameIndex(QIODevice& device)
{
    walk(device);
    if (m_frames.empty())
        setDamage(QStringLiteral("it holds no MPEG audio frames"));
}

void MpegFrameIndex::setDamage(const QString& damage)
{
    if (m_damage.isEmpty())
        m_damage = damage;
}

void MpegFrameIndex::walk(QIODevice& device)
{
    ByteWindow in(device);
    m_fileSize = in.size();
    // A tag that claims more than the file holds leaves no audio.
    const int64_t start = std::min(skipId3v2(in), m_fileSize);
    m_audioEnd = std::max(trailingTagsStart(in, start), start);
    const std::optional<int64_t> first = firstFrame(in, readTagFrame(in, start));
    if (!first)
        return;
    walkFrames(in, *first);
    if (in.failed())
        setDamage(QStringLiteral("it could not be read to its end"));
    if (m_tag && m_tag->kind != StreamTag::Kind::Vbri && !m_frames.empty())
        checkTag();
}

int64_t MpegFrameIndex::readTagFrame(ByteWindow& in, int64_t start)
{
    // FFmpeg looks for it only right after the ID3v2 tags.
    const std::optional<FrameHeader> h = sizedHeaderAt(in, start);
    if (!h)
        return start;
    const int size = static_cast<int>(std::min<int64_t>(h->frameBytes(), m_audioEnd - start));
    if (const uint8_t* frame = size > 0 ? in.at(start, size) : nullptr)
        m_tag = StreamTag::find(frame, size, *h);
    if (!m_tag)
        return start;
    m_tagOffset = start;
    if (m_tag->lame && m_tag->kind != StreamTag::Kind::Vbri && m_tag->lame->gapless())
        m_decoderDelay = m_tag->lame->delay() + kDecoderDelay;
    if (m_tag->describesStream())
        return start + h->frameBytes();
    // Decoders then take the frame for audio, and FFmpeg still cuts the delay.
    setDamage(QStringLiteral("its Xing header gives neither a frame nor a byte count"));
    return start;
}

std::optional<int64_t> MpegFrameIndex::firstFrame(ByteWindow& in, int64_t from)
{
    // The first of two frames in a row, as FFmpeg's demuxer finds it; when
    // that search runs into the end of the file, FFmpeg refuses the file.
    for (int64_t at = from; at < from + kJunkSearch; ++at) {
        if (!in.at(at, 4))
            return std::nullopt;
        const std::optional<FrameHeader> h = sizedHeaderAt(in, at);
        if (!h)
            continue;
        if (!in.at(at + h->frameBytes(), 4))
            return std::nullopt;
        const std::optional<FrameHeader> next = sizedHeaderAt(in, at + h->frameBytes());
        if (next && h->sameStreamStrictly(*next))
            return at;
    }
    return from;
}

void MpegFrameIndex::walkFrames(ByteWindow& in, int64_t pos)
{
    m_frames.reserve(static_cast<size_t>(std::max<int64_t>(m_audioEnd - pos, 0) / 96 + 16));
    // Most frames repeat the previous frame's version, layer, CRC, bitrate,
    // rate and padding, and with them its size: their header is not decoded
    // again.
    std::optional<FrameHeader> last;
    int lastSize = 0;
    while (pos < m_audioEnd) {
        const uint8_t* bytes = pos + 4 <= m_audioEnd ? in.at(pos, 4) : nullptr;
        if (bytes && last && pos + lastSize <= m_audioEnd &&
            (uint32_t(bytes[0]) << 15 | bytes[1] << 7 | bytes[2] >> 1) == last->word() >> 9) {
            int mainDataBegin = 0;
            if (last->layer() == 3) {
                const uint8_t* side = in.at(pos + last->sideInfoOffset(), 2);
                if (!side)
                    return;
                mainDataBegin = last->mainDataBegin(side);
            }
            m_frames.emplace_back(pos, lastSize, mainDataBegin, last->hasCrc());
            pos += lastSize;
            continue;
        }
        const std::optional<FrameHeader> h =
            bytes ? FrameHeader::parse(bytes) : std::optional<FrameHeader>();
        if (h && h->freeFormat() && m_frames.empty()) {
            m_damage =
                QStringLiteral("it is a free-format stream, whose frame headers give no size");
            return;
        }
        if (h && !h->freeFormat() && (!m_first || h->sameStream(*m_first))) {
            const int size = h->frameBytes();
            if (pos + size > m_audioEnd) {
                setDamage(QStringLiteral("its last frame is cut short (at byte %1)").arg(pos));
                return;
            }
            if (pos + size >= int64_t(1) << 40) {
                setDamage(QStringLiteral("it is too large to index"));
                return;
            }
            int mainDataBegin = 0;
            if (h->layer() == 3) {
                const uint8_t* side = in.at(pos + h->sideInfoOffset(), 2);
                if (!side)
                    return;
                mainDataBegin = h->mainDataBegin(side);
            }
            if (!m_first)
                m_first = h;
            last = h;
            lastSize = size;
            m_frames.emplace_back(pos, size, mainDataBegin, h->hasCrc());
            pos += size;
            continue;
        }
        if (h && m_first && !h->freeFormat())
            setDamage(
                QStringLiteral("its version, layer or sample rate changes at byte %1").arg(pos));
        else
            setDamage(
                QStringLiteral("it has bytes that are no MPEG audio frame at byte %1").arg(pos));
        last.reset();
        pos = resynchronise(in, pos + 1);
    }
}

int64_t MpegFrameIndex::resynchronise(ByteWindow& in, int64_t from) const
{
    // On at the next frame that another one follows (or the end of the
    // audio), as decoders resynchronise.
    for (int64_t at = from; at + 4 <= m_audioEnd; ++at) {
        const std::optional<FrameHeader> h = sizedHeaderAt(in, at);
        if (!h || (m_first && !h->sameStream(*m_first)))
            continue;
        const int64_t after = at + h->frameBytes();
        const std::optional<FrameHeader> next =
            after + 4 <= m_audioEnd ? sizedHeaderAt(in, after) : std::nullopt;
        if (after == m_audioEnd || (next && next->sameStream(*h)))
            return at;
    }
    return m_audioEnd;
}

void MpegFrameIndex::checkTag()
{
    if (m_tag->frames != 0 && m_tag->frames != m_frames.size())
        setDamage(QStringLiteral("its Xing header counts %1 frames where it holds %2")
                      .arg(m_tag->frames)
                      .arg(m_frames.size()));
    const int64_t bytes = m_audioEnd - m_tagOffset;
    if (m_tag->bytes != 0 && m_tag->bytes != bytes)
        setDamage(QStringLiteral("its Xing header counts %1 bytes where it holds %2")
                      .arg(m_tag->bytes)
                      .arg(bytes));
    // FFmpeg cuts the padding at the end only when it believes the frame
    // count: not when the file is much longer than the tag says (a large tag
    // at the end is enough).
    const int64_t afterHeader = std::max<int64_t>(m_fileSize - (m_tagOffset + 4), 0);
    const int64_t low = std::min<int64_t>(afterHeader, m_tag->bytes);
    const int64_t excess = std::max<int64_t>(afterHeader, m_tag->bytes) - low;
    const bool believed = m_tag->bytes == 0 || afterHeader <= m_tag->bytes || excess <= low >> 4;
    if (m_decoderDelay > 0 && m_tag->frames != 0 && believed)
        m_firstDiscarded =
            int64_t(m_tag->frames) * samplesPerFrame() - m_tag->lame->padding() + kDecoderDelay;
}

int64_t MpegFrameIndex::sampleCount() const
{
    return deliveredSamples(static_cast<int64_t>(m_frames.size()), samplesPerFrame(),
                            m_decoderDelay, m_firstDiscarded);
}

int64_t MpegFrameIndex::deliveredSamples(int64_t frames, int samplesPerFrame, int64_t skip,
                                         int64_t firstDiscarded)
{
    // Only the frames that the skip reaches and those marked for discarding
    // are looked at one by one; the frames between are delivered whole.
    const int64_t firstMarked =
        firstDiscarded >= 0
            ? std::max<int64_t>((firstDiscarded + samplesPerFrame - 1) / samplesPerFrame - 1, 0)
            : frames;
    int64_t delivered = 0;
    int64_t skipLeft = 0;
    for (int64_t frame = 0; frame < frames; ++frame) {
        if (frame > 0 && skipLeft == 0 && frame < firstMarked) {
            delivered += (std::min(firstMarked, frames) - frame) * samplesPerFrame;
            frame = std::min(firstMarked, frames) - 1;
            continue;
        }
        const int64_t end = (frame + 1) * samplesPerFrame;
        const int64_t discard = firstDiscarded >= 0 && end >= firstDiscarded
                                    ? std::min<int64_t>(end - firstDiscarded, samplesPerFrame)
                                    : 0;
        const int64_t markedSkip = frame == 0 ? skip : 0;
        if (markedSkip > 0 || discard > 0)
            skipLeft = markedSkip;
        int64_t kept = samplesPerFrame;
        if (skipLeft >= kept) {
            skipLeft -= kept;
            continue;
        }
        kept -= skipLeft;
        skipLeft = 0;
        if (discard <= kept)
            kept -= discard;
        delivered += kept;
    }
    return delivered;
}

} // namespace mpeg
