// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OutputFormat.h"

#include <QString>
#include <functional>

class AudioFile;
class EncoderSetup;

// The output a job is writing until it is complete. A failure drops it, so
// that nothing that looks like a finished output is left under its name (a
// file that was there before stays as it was).
class UnfinishedOutput {
public:
    explicit UnfinishedOutput(AudioFile& writer) : m_writer(writer) {}

    void begin(const QString& path) { m_path = path; }
    // The output is complete (closed); a later failure no longer touches it.
    void end()
    {
        if (!m_path.isEmpty())
            m_lastEnded = m_path;
        m_path.clear();
    }
    // Drops the output being written, if any. Never throws: it runs on the
    // way out of a failure.
    void abandon() noexcept;

    const QString& path() const { return m_path; }
    // The output that was completed last, kept until forgotten.
    const QString& lastEnded() const { return m_lastEnded; }
    void forgetEnded() { m_lastEnded.clear(); }

private:
    AudioFile& m_writer;
    QString m_path;
    QString m_lastEnded;
};

// What a new output is: its format, the block format the writer receives
// (the reader's rate and channels for a cut, the first file's for a join)
// and the name chosen for it.
struct OutputRequest {
    OutputFormat format = OutputFormat::Mp3;
    int rate = 0;
    int channels = 0;
    QString path;
    // The name to use instead when the chosen one cannot be created; none
    // for a join, whose target the user named.
    std::function<QString()> fallback;
};

// Opens the writer on a new output, the one way every job does it:
//  1. a writer still open on an earlier output is closed (completing it);
//  2. the encoder is configured for the format from the settings file as it
//     is now, so that a change in the settings dialog applies from this
//     output on;
//  3. the block format is set, before the open, which takes the encoder's
//     input from it, and once more after it, as the component expects;
//  4. a name the file system refuses (too long, say) gives way to the
//     fallback name, without a message; a refused fallback is the job's
//     failure;
//  5. the opened output is noted as unfinished, so that a failure from here
//     on removes it.
// Returns the path opened. Throws the component's error when no name can be
// opened.
QString openOutput(AudioFile& writer, const EncoderSetup& encoder, const OutputRequest& request,
                   UnfinishedOutput& unfinished);
