// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioError.h"
#include "audio/mpeg/MpegFrameIndex.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

class QFile;

// An MP3 source, or a piece of one, that cannot be copied frame by frame:
// "Cannot copy "<path>": <reason>." The caller encodes instead.
class Mp3CopyRefused : public AudioError {
public:
    using AudioError::AudioError;
};

// Pieces of an MP3 file without re-encoding: the source's frames are copied,
// and a decoder that honours the gapless fields of the Xing/LAME header
// (FFmpeg and the players on it, mpg123, foobar2000, Rockbox) delivers
// exactly the samples that our reader delivers for that piece of the source,
// bit for bit.
//
// A piece holding the reader's samples [first, end) is written as
//  - a Xing (or Info) frame with the frame and byte counts, a seek table and a
//    LAME extension whose delay and padding cut everything outside
//    [first, end) from the decoded stream;
//  - one silent frame of the source's format carrying the bytes of the bit
//    reservoir that the first copied frame's main data begins with;
//  - the source's frames from one frame (MPEG-1; two for MPEG-2 and 2.5)
//    before the frame that holds `first` to the frame that holds end - 1. A
//    granule's output depends on the previous granule's overlap and on the
//    synthesis filter's state, which the granule before that sets; MPEG-1
//    frames have two granules, MPEG-2 frames one.
// A piece of only a few frames gets more frames before it and silent ones
// after it, within what the delay and padding fields hold, so that format
// probes that want seven frames in a row take it for MP3.
// The timeline is the reader's: with a LAME tag, sample 0 is decoder output
// sample delay + 529; without one, decoder output sample 0.
class Mp3PieceWriter {
public:
    // Indexes the source (its frame headers, once). Throws Mp3CopyRefused when
    // its frames cannot be copied exactly: no MPEG audio, Layer I or II, a
    // free-format stream, damage (junk between frames, a frame cut short,
    // counts that disagree with the frames); AudioError when it cannot be read.
    explicit Mp3PieceWriter(const QString& source);

    const QString& source() const { return m_source; }
    // The same count as the reader's, and the same timeline.
    int64_t sampleCount() const { return m_index.sampleCount(); }
    int sampleRate() const { return m_index.firstHeader().sampleRate(); }
    int channels() const { return m_index.firstHeader().channels(); }

    // Writes the samples [first, end) (0 <= first <= end <= sampleCount())
    // as the MP3 file `target`, in one pass, through a hidden file that
    // replaces the target only when complete: a failed write leaves nothing
    // under that name and a file that was there intact. An empty piece is a
    // stream that decoders open as 0 samples. Throws OutputWriteError when
    // the target cannot be written, AudioError when the source cannot be read
    // or changed since it was indexed. Throws Mp3CopyRefused, before anything
    // is written, for the few pieces that cannot be cut exactly: one that ends
    // in the decoder frame it starts in (shorter than a frame, 1152 or 576
    // samples), and one whose first samples depend on reservoir bytes missing
    // from a source that was itself cut, near its start.
    void write(int64_t first, int64_t end, const QString& target) const;

    // The frames copied before the one that holds a piece's first sample; by
    // default the decoder's memory. Fewer make pieces whose first samples
    // differ from the source's, which the tests show.
    void setPrerollFrames(int frames) { m_preroll = frames; }
    static int prerollFrames(const mpeg::FrameHeader& header);

private:
    // How a piece is put together.
    struct Piece {
        size_t firstFrame = 0; // the source frames copied
        size_t lastFrame = 0;
        QByteArray leading; // the silent frame before them, with the reservoir
        QByteArray silent;  // the silent frame repeated after them
        int trailing = 0;
        std::optional<mpeg::FrameHeader> tagHeader;
        int64_t frames = 0;      // after the tag frame
        int64_t bytes = 0;       // with the tag frame
        int64_t firstOutput = 0; // decoder output position of the piece's first sample
        int64_t delay = 0;
        int64_t padding = 0;
    };

    static mpeg::MpegFrameIndex indexOf(const QString& source);
    [[noreturn]] void refuse(const QString& reason) const;
    [[noreturn]] void changed() const;
    mpeg::FrameHeader headerOf(QFile& in, size_t frame) const;
    QByteArray reservoirBefore(QFile& in, size_t frame) const;
    Piece plan(QFile& in, int64_t first, int64_t end) const;
    QByteArray tagFrame(const Piece& piece, uint16_t musicCrc) const;
    void writePiece(QFile& in, const Piece& piece, const QString& target) const;

    QString m_source;
    QDateTime m_modified; // when indexed: a source that changes since is not copied
    mpeg::MpegFrameIndex m_index;
    int m_preroll = -1;
};
