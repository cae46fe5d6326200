#pragma once

#include "components/DecodingReader.h"

#include <QFile>

// Headerless files recognised by their extension: ".raw" holds 16-bit signed
// little-endian PCM at 44100 Hz stereo, ".vox" Dialogic (OKI) ADPCM at
// 8000 Hz mono, two samples to a byte.
class RawReader : public DecodingReader {
public:
    enum class Kind { Pcm, Vox };
    // Throws AudioError naming the file and the cause.
    RawReader(const QString& path, Kind kind);

    QString formatName() const override;

protected:
    bool decodeNext(AVFrame* frame, int64_t& start) override;
    int64_t rewindTo(int64_t frame) override;
    int64_t forwardDecodeLimit() const override;

private:
    bool readPcm(AVFrame* frame);
    bool decodeVox(AVFrame* frame);
    void openVoxDecoder();
    [[noreturn]] void fail(const QString& cause) const;

    Kind m_kind;
    QFile m_file;
    ffmpeg::CodecContextPtr m_vox;
    ffmpeg::PacketPtr m_packet;
    bool m_draining = false;
};
