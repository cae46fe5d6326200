// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleArray.h"

#include <QString>
#include <cstdint>
#include <memory>

class AudioReader;
class AudioWriter;
class Mp3EncoderSettings;

// The audio file component: one object serves either as the reader of a
// source file (OpenRead) or as the writer of an output file (OpenWrite).
// Every failure throws AudioError with a message that names the file.
class AudioFile {
public:
    AudioFile();
    ~AudioFile();
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    // A disabled component refuses to open; switching it off closes what is open.
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }

    // `mode` and `option` are the described component's further arguments;
    // every reader here opens its file one way, so they select nothing.
    // Throws AudioError for an unreadable or unsupported file and for one of
    // more than 2^31 - 1 frames (about 13.5 hours at 44100 Hz).
    void OpenRead(const QString& fileName, int mode = 0, int option = 1);
    bool IsOpen() const;
    void Close();

    int32_t GetSampleCount() const;
    int32_t GetDurationMs() const;
    int GetChannels() const;
    int GetSampleRate() const;
    QString GetFormatName() const;

    // Seeks are always from the start of the file, whatever `origin` says.
    void Seek(int32_t frame, int origin = 3);
    SampleArray ReadBlock(int frames);

    // On an open reader: the format ReadBlock delivers. Otherwise: the format
    // of the blocks WriteBlock receives.
    void SetBlockFormat(int rate, int channels);

    void SetWavFormat(int rate, int channels, int bitsPerSample);
    void SetWmaProfile(int profile);
    void SetOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps, int quality);
    void SetMp3Encoder(const Mp3EncoderSettings& settings);
    bool CheckMp3Format(int rate, int kbps, int channelMode) const;
    bool CheckOggFormat(int rate, int channels, int kbps, int minKbps, int maxKbps) const;

    // `mode` is the described component's; outputs are always created anew.
    void OpenWrite(const QString& fileName, int mode = 0);
    void WriteBlock(const SampleArray& block);
    // Drops the output being written without completing it: nothing is left
    // under its name and a file that was there stays as it was. An open
    // reader stays open. Never throws: it runs on the way out of a failure.
    void Abandon() noexcept;

private:
    const AudioReader& reader() const;
    AudioReader& reader();
    void requireEnabled() const;

    bool m_enabled = false;
    std::unique_ptr<AudioReader> m_reader;
    std::unique_ptr<AudioWriter> m_writer;
};
