// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/readers/DecodingReader.h"

// A source file in a container that FFmpeg recognises by its content: MP3
// and MP2, WAV, WMA (ASF) and Ogg Vorbis.
class FfmpegReader : public DecodingReader {
public:
    // Throws AudioError naming the file and the cause.
    explicit FfmpegReader(const QString& path);

    QString formatName() const override { return m_format; }

protected:
    bool decodeNext(AVFrame* frame, int64_t& start) override;
    int64_t rewindTo(int64_t frame) override;
    int64_t forwardDecodeLimit() const override;

private:
    void openInput(const AVInputFormat* format);
    void openDecoder();
    void restart();
    // Places a decoded frame: its first sample's source frame into `start`.
    void place(AVFrame* frame, int64_t& start);
    // A frame of silence in place of a packet the decoder refused.
    bool silenceFor(const AVPacket& packet, AVFrame* frame);
    static void keepPacketEnd(AVPacket& packet);
    QString chooseFormatName() const;
    int64_t countFrames();
    bool timestampsAreSamples() const;
    int64_t countPcm() const;
    int64_t countMpegAudio();
    int64_t countByDecoding();
    [[noreturn]] void fail(const QString& cause) const;

    ffmpeg::InputContextPtr m_input;
    ffmpeg::CodecContextPtr m_codec;
    ffmpeg::PacketPtr m_packet{av_packet_alloc()};
    AVStream* m_stream = nullptr;
    int m_streamIndex = -1;
    QString m_format;
    int64_t m_dataStart = 0;
    // Whether frame timestamps place every frame exactly, so that a seek can
    // jump; otherwise frames are counted from the start of the file.
    bool m_exactTimestamps = false;
    int64_t m_preroll = 0;
    // Ogg Vorbis: the timestamp at which the last page's audio begins, or -1.
    int64_t m_lastPageStart = -1;
    int64_t m_origin = 0; // timestamp, in frames, of the first frame delivered
    bool m_originKnown = false;
    int64_t m_fromStart = 0; // frames decoded since the start of the file, -1 after a jump
    bool m_draining = false;
    int m_decodeErrors = 0; // since the last reposition
    bool m_countedFromHeaders = false;
};
