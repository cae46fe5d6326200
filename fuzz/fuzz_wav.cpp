// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzFile.h"
#include "ReadThrough.h"
#include "audio/AudioError.h"
#include "audio/readers/PcmReader.h"

// A WAV file's header and chunks as the PCM reader takes them, then the whole
// file read through: a header is refused with AudioError or gives a source
// whose count is what reading delivers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzFile file(".wav");
    const QString& path = file.write(data, size);
    const std::optional<PcmReader::Layout> layout = PcmReader::wavLayout(path);
    if (!layout)
        return 0;
    try {
        PcmReader reader(path, *layout, QStringLiteral("wav"));
        if (reader.sampleRate() != layout->rate || reader.channels() != layout->channels)
            std::abort();
        reader.setBlockFormat(44100, 2);
        const std::vector<float> all = readthrough::readAll(reader, 1024, 2);
        if (all.size() % 2 != 0)
            std::abort();
    } catch (const AudioError&) {
    }
    return 0;
}
