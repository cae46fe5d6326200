#pragma once

#include "components/AudioEncoder.h"
#include "components/FfmpegPtr.h"
#include "components/WmaProfiles.h"

#include <QString>
#include <vector>

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
    // Closes and removes an output that cannot be completed.
    void abandon();
    void encodePending();
    void send(const AVFrame* frame);

    QString m_path;
    WmaProfile m_profile;
    ffmpeg::CodecContextPtr m_codec;
    ffmpeg::OutputContextPtr m_format;
    ffmpeg::FramePtr m_frame;
    ffmpeg::PacketPtr m_packet;
    AVStream* m_stream = nullptr;
    int m_frameSize = 0;
    int m_pending = 0; // frames collected in m_frame
    int64_t m_pts = 0;
    bool m_created = false; // the file exists and is not complete yet
};
