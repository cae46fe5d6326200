// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/FfmpegPtr.h"
#include "audio/OutputFile.h"
#include "audio/encoders/AudioEncoder.h"
#include "audio/encoders/WmaProfiles.h"

#include <QString>
#include <memory>

// WMA through FFmpeg's wmav2 encoder in the ASF muxer.
class WmaEncoder : public AudioEncoder {
public:
    WmaEncoder(const QString& path, const WmaProfile& profile);
    ~WmaEncoder() override;

    int sampleRate() const override { return m_profile.rate; }
    int channels() const override { return m_profile.channels; }
    void encode(const float* const* planes, int frames) override;
    void finish() override;

private:
    [[noreturn]] void fail(const QString& what, int code) const;
    struct IoDeleter {
        void operator()(AVIOContext* io) const;
    };
    // The muxer writes through our OutputFile, so that WMA files are created
    // and completed like the others.
    static int writePacket(void* opaque, uint8_t* data, int size);
    static int64_t seekPacket(void* opaque, int64_t offset, int whence);
    void encodePending();
    void send(const AVFrame* frame);

    QString m_path;
    WmaProfile m_profile;
    ffmpeg::CodecContextPtr m_codec;
    std::unique_ptr<OutputFile> m_file;
    std::unique_ptr<AVIOContext, IoDeleter> m_io;
    ffmpeg::OutputContextPtr m_format; // its pb is m_io, a custom one it does not free
    ffmpeg::FramePtr m_frame;
    ffmpeg::PacketPtr m_packet;
    AVStream* m_stream = nullptr;
    int m_frameSize = 0;
    int m_pending = 0; // frames collected in m_frame
    int64_t m_pts = 0;
    QString m_ioError; // what the output file reported inside FFmpeg's callbacks
};
