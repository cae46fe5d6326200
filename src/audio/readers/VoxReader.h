// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/readers/DecodingReader.h"

#include "base/RegularFile.h"

// ".vox" files: Dialogic (OKI) ADPCM at 8000 Hz mono, two samples to a byte,
// decoded by FFmpeg's OKI decoder from the file's bytes.
class VoxReader : public DecodingReader {
public:
    // Throws AudioError naming the file and the cause.
    explicit VoxReader(const QString& path);

    QString formatName() const override { return QStringLiteral("vox"); }

protected:
    bool decodeNext(AVFrame* frame, int64_t& start) override;
    int64_t rewindTo(int64_t frame) override;
    int64_t forwardDecodeLimit() const override { return INT64_MAX; }

private:
    void openDecoder();
    [[noreturn]] void fail(const QString& cause) const;

    RegularFile m_file;
    ffmpeg::CodecContextPtr m_codec;
    ffmpeg::PacketPtr m_packet{av_packet_alloc()};
    bool m_draining = false;
};
