// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/OpenOutput.h"

#include "audio/AudioFile.h"
#include "engine/EncoderSetup.h"

void UnfinishedOutput::abandon() noexcept
{
    if (m_path.isEmpty())
        return;
    m_writer.Abandon();
    m_path.clear();
}

QString openOutput(AudioFile& writer, const EncoderSetup& encoder, const OutputRequest& request,
                   UnfinishedOutput& unfinished)
{
    if (writer.IsOpen())
        writer.Close();
    encoder.configure(writer, request.format, request.rate, request.channels);
    writer.SetBlockFormat(request.rate, request.channels);
    if (writer.IsOpen())
        writer.Close();
    QString path = request.path;
    try {
        writer.OpenWrite(path, 0);
    } catch (const std::exception&) {
        if (!request.fallback)
            throw;
        if (writer.IsOpen())
            writer.Close();
        path = request.fallback();
        writer.OpenWrite(path, 0);
    }
    unfinished.begin(path);
    writer.SetBlockFormat(request.rate, request.channels);
    return path;
}
