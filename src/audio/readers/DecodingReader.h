// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioReader.h"
#include "audio/FfmpegPtr.h"

// The part every reader shares: it turns the decoded frames of a source into
// blocks of interleaved float in the block format, drops what lies before a
// seek target, and drains the resampler at the end so that no frame is lost.
// A source only has to decode frames in order and to reposition itself.
class DecodingReader : public AudioReader {
public:
    ~DecodingReader() override { av_channel_layout_uninit(&m_swrLayout); }
    int64_t sampleCount() const override { return m_count; }
    int channels() const override { return m_channels; }
    int sampleRate() const override { return m_rate; }

    void seek(int64_t frame) override;
    SampleArray read(int frames) override;
    void setBlockFormat(int rate, int channels) override;

protected:
    explicit DecodingReader(const QString& path) : m_path(path) {}
    // Called once by the source when it knows its format and exact length;
    // throws AudioError for a format the program does not take.
    void setSource(int rate, int channels, int64_t count);
    // Why a source of that rate and channel count is not read, or nothing.
    static QString unsupportedFormat(int rate, int channels);
    // Decodes the first frame ahead (the first read then delivers it), so
    // that a file that yields no audio is refused when it is opened.
    void primeFirstFrame();

    // The next decoded frame; `start` is the source frame of its first
    // sample, or -1 when it simply follows the previous frame. False at the end.
    virtual bool decodeNext(AVFrame* frame, int64_t& start) = 0;
    // Repositions so that the frames decoded next start at or before
    // `frame`. Returns the source frame the next decoded frame starts at when
    // the source counts itself (-1 when decodeNext reports each start).
    virtual int64_t rewindTo(int64_t frame) = 0;
    // How far ahead a seek may still be reached by decoding on instead of
    // repositioning.
    virtual int64_t forwardDecodeLimit() const { return m_rate; }

    const QString m_path;
    // Decoded frames past the sample count are dropped: for sources whose
    // count comes from the container and whose decoder runs on past it.
    bool m_endsAtCount = false;

private:
    bool fetchFrame();
    void resetConverter();
    void configureConverter(const AVFrame* frame);
    int convertFrame(float* out, int capacity);
    int drainConverter(float* out, int capacity, bool flush);
    // What the resampler still owes once the source has ended.
    int drainTail(float* out, int capacity, int gotBefore);
    bool resampling() const;
    int64_t position() const;

    int m_rate = 0;
    int m_channels = 0;
    int64_t m_count = 0;

    ffmpeg::FramePtr m_frame{av_frame_alloc()};
    bool m_haveFrame = false; // m_frame holds samples not yet delivered
    int64_t m_frameStart = 0; // source frame of m_frame's first sample
    int m_frameOffset = 0;    // first undelivered sample of m_frame
    bool m_rewound = false;   // no frame decoded since the last reposition
    int64_t m_nextStart = 0;  // source frame that follows the last decoded frame
    int64_t m_dropBefore = 0; // decoded frames before this are a seek's pre-roll
    bool m_sourceEnded = false;
    bool m_drained = false;

    int m_outRate = 0;
    int m_outChannels = 0;
    ffmpeg::SwrPtr m_swr;
    int m_swrFormat = -1;
    int m_swrRate = 0;
    AVChannelLayout m_swrLayout{};
    // Since the converter was last reset: source frames fed to it, frames
    // delivered, and whether the silence that flushes it was fed.
    int64_t m_fed = 0;
    int64_t m_delivered = 0;
    bool m_tailFed = false;
};
