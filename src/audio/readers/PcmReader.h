// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/readers/DecodingReader.h"

#include "base/RegularFile.h"

#include <optional>

// Uncompressed PCM read straight from the file: headerless ".raw" files
// (16-bit signed little-endian, 44100 Hz, stereo) and WAV files holding
// integer or float PCM. Every frame sits at a known offset, so the count is
// the data size and a seek is a file seek.
class PcmReader : public DecodingReader {
public:
    struct Layout {
        int64_t dataStart = 0;
        int64_t frames = 0;
        int rate = 0;
        int channels = 0;
        int bytesPerSample = 0; // 1, 2, 3, 4 or 8
        bool isFloat = false;
    };

    // The layout a WAV file's header describes, or nullopt when the file is
    // no RIFF WAVE file with integer or float PCM in it (other WAV codecs go
    // to FFmpeg).
    static std::optional<Layout> wavLayout(const QString& path);
    static Layout rawLayout(const QString& path);

    // Throws AudioError naming the file and the cause.
    PcmReader(const QString& path, const Layout& layout, const QString& formatName);

    QString formatName() const override { return m_formatName; }

protected:
    bool decodeNext(AVFrame* frame, int64_t& start) override;
    int64_t rewindTo(int64_t frame) override { return seekFile(frame); }
    int64_t forwardDecodeLimit() const override { return 0; }

private:
    int64_t seekFile(int64_t frame);
    [[noreturn]] void fail(const QString& cause) const;

    Layout m_layout;
    QString m_formatName;
    RegularFile m_file;
    int64_t m_next = 0;            // frame the file position is at
    std::vector<uint8_t> m_packed; // 24-bit samples before widening
};
