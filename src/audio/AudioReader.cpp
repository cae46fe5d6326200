// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioReader.h"

#include "audio/AudioError.h"
#include "audio/readers/FfmpegReader.h"
#include "audio/readers/PcmReader.h"
#include "audio/readers/VoxReader.h"

#include <QFileInfo>

extern "C" {
#include <libavutil/log.h>
}

std::unique_ptr<AudioReader> AudioReader::open(const QString& path)
{
    // Failures reach the user as AudioError; FFmpeg's console chatter about
    // estimated durations and damaged frames would only be noise.
    static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
    (void)quiet;
    const QFileInfo info(path);
    if (!info.exists())
        throw AudioError(QStringLiteral("Cannot read \"%1\": the file does not exist.").arg(path));
    if (!info.isFile())
        throw AudioError(QStringLiteral("Cannot read \"%1\": it is not a file.").arg(path));
    if (info.size() == 0)
        throw AudioError(QStringLiteral("Cannot read \"%1\": the file is empty.").arg(path));
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("raw"))
        return std::make_unique<PcmReader>(path, PcmReader::rawLayout(path), QStringLiteral("raw"));
    if (suffix == QLatin1String("vox"))
        return std::make_unique<VoxReader>(path);
    // PCM in WAV is read directly: FFmpeg's WAV demuxer first looks for
    // S/PDIF data in it, which costs more than all the rest of opening.
    if (const auto wav = PcmReader::wavLayout(path))
        return std::make_unique<PcmReader>(path, *wav, QStringLiteral("wav"));
    return std::make_unique<FfmpegReader>(path);
}

int64_t AudioReader::durationMs() const
{
    const int rate = sampleRate();
    return rate > 0 ? sampleCount() * 1000 / rate : 0;
}
