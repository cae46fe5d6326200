// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/mpeg/MpegHeader.h"
#include "audio/mpeg/StreamTag.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

namespace mpeg {

class ByteWindow;

// One audio frame of an indexed stream, in eight bytes: a one-hour file has
// about 140,000 of them.
class IndexedFrame {
public:
    IndexedFrame(int64_t offset, int size, int mainDataBegin, bool crc);
    int64_t offset() const { return static_cast<int64_t>(m_bits & kOffsetMask); }
    int size() const { return static_cast<int>(m_bits >> 40 & 0xFFF); }
    // Layer III: how far back into earlier frames' main data this frame's
    // main data begins (the bit reservoir); 0 for Layers I and II.
    int mainDataBegin() const { return static_cast<int>(m_bits >> 52 & 0x1FF); }
    bool hasCrc() const { return m_bits >> 61 & 1; }

private:
    static constexpr uint64_t kOffsetMask = (uint64_t(1) << 40) - 1;
    uint64_t m_bits;
};

// The frames of an MPEG audio file, found by reading their headers (and the
// start of a Layer III frame's side information) without decoding: where
// each lies, how long it is and how far back its main data begins. The walk
// sees the file as FFmpeg's MP3 demuxer and decoder do: ID3v2 tags at the
// start are skipped, a Xing/Info/VBRI frame right after them is the stream's
// tag and no audio, junk before the first two consecutive frames is skipped,
// and ID3v1, APEv2 and Lyrics3 tags at the end are no audio either.
//
// Junk between frames, a frame cut short, a change of version, layer or
// sample rate, or a tag whose counts differ from the frames found make the
// stream damaged: decoders then deliver what their own resynchronisation
// finds, which the headers cannot foretell.
class MpegFrameIndex {
public:
    // Walks the whole device from its start; reads it in blocks, once.
    explicit MpegFrameIndex(QIODevice& device);

    // No frame found: not MPEG audio, or nothing a decoder would play.
    bool empty() const { return m_frames.empty(); }
    size_t frameCount() const { return m_frames.size(); }
    const IndexedFrame& frame(size_t i) const { return m_frames[i]; }
    // The first audio frame's header; only when not empty.
    const FrameHeader& firstHeader() const { return *m_first; }
    int samplesPerFrame() const { return m_first ? m_first->samplesPerFrame() : 0; }

    // The tag frame that decoders skip, and where it lies.
    const std::optional<StreamTag>& tag() const { return m_tag; }
    int64_t tagOffset() const { return m_tagOffset; }
    int64_t fileSize() const { return m_fileSize; }
    // Where the audio ends: the start of the tags at the end of the file.
    int64_t audioEnd() const { return m_audioEnd; }

    // Whether the headers tell what a decoder delivers: no damage, and the
    // format is one whose frames have a known size.
    bool intact() const { return m_damage.isEmpty(); }
    // Why not, as the end of a sentence ("it has junk between its frames at
    // byte 1234"); empty when intact.
    const QString& damage() const { return m_damage; }

    // Decoder output before the first frame that a reader delivers: the
    // encoder delay of a LAME tag plus the decoder's own 529, which decoders
    // cut; 0 without such a tag.
    int64_t decoderDelay() const { return m_decoderDelay; }
    // The frames that a decoder delivers, from the frame count, the delay and
    // the padding as FFmpeg applies them; meaningful only when intact.
    int64_t sampleCount() const;

    // What FFmpeg delivers for `frames` frames of `samplesPerFrame` samples
    // when it skips `skip` samples at the start and discards the decoder
    // output from `firstDiscarded` on (-1: nothing). The demuxer marks the
    // first frame with the skip and every frame that reaches past
    // `firstDiscarded` with its part of the discard; the decoder carries a
    // skip longer than a frame on to the next frames, but a frame marked for
    // discarding resets what remains of the skip, and a discard longer than
    // what is left of a frame after the skip is ignored.
    static int64_t deliveredSamples(int64_t frames, int samplesPerFrame, int64_t skip,
                                    int64_t firstDiscarded);

private:
    void walk(QIODevice& device);
    // Returns where the audio frames begin.
    int64_t readTagFrame(ByteWindow& in, int64_t start);
    static std::optional<int64_t> firstFrame(ByteWindow& in, int64_t from);
    void walkFrames(ByteWindow& in, int64_t first);
    int64_t resynchronise(ByteWindow& in, int64_t from) const;
    void checkTag();
    void setDamage(const QString& damage);

    std::vector<IndexedFrame> m_frames;
    std::optional<FrameHeader> m_first;
    std::optional<StreamTag> m_tag;
    int64_t m_tagOffset = -1;
    int64_t m_fileSize = 0;
    int64_t m_audioEnd = 0;
    int64_t m_decoderDelay = 0;
    // Decoder output from this sample to the end is cut; -1: nothing is.
    int64_t m_firstDiscarded = -1;
    QString m_damage;
};

} // namespace mpeg
