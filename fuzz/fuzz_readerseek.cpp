// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzFile.h"
#include "ReadThrough.h"
#include "audio/AudioError.h"
#include "audio/readers/PcmReader.h"
#include "audio/readers/VoxReader.h"

#include <memory>

// The readers that need no codec library's judgement: the first byte picks
// raw PCM, WAV or VOX, the next ones the seek targets, the rest is the file.
// The count must be what reading through delivers, and a seek must deliver
// exactly what reading through gave from there.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 9)
        return 0;
    static const FuzzFile file(".bin");
    const uint8_t kind = data[0] % 3;
    const uint8_t* positions = data + 1;
    const QString& path = file.write(data + 9, size - 9);
    try {
        std::unique_ptr<AudioReader> reader;
        if (kind == 0) {
            reader = std::make_unique<PcmReader>(path, PcmReader::rawLayout(path),
                                                 QStringLiteral("raw"));
        } else if (kind == 1) {
            const auto layout = PcmReader::wavLayout(path);
            if (!layout)
                return 0;
            reader = std::make_unique<PcmReader>(path, *layout, QStringLiteral("wav"));
        } else {
            reader = std::make_unique<VoxReader>(path);
        }
        readthrough::check(*reader, positions, 8);
    } catch (const AudioError&) {
    }
    return 0;
}
