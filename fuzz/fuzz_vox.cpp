// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzFile.h"
#include "ReadThrough.h"
#include "audio/AudioError.h"
#include "audio/readers/VoxReader.h"

// Any bytes are Dialogic ADPCM: two samples each, decoded and converted to
// the writers' usual block format.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzFile file(".vox");
    const QString& path = file.write(data, size);
    try {
        VoxReader reader(path);
        if (reader.sampleCount() != int64_t(size) * 2)
            std::abort();
        reader.setBlockFormat(44100, 2);
        readthrough::readAll(reader, 777, 2);
    } catch (const AudioError&) {
        if (size > 0)
            std::abort(); // every byte is audio
    }
    return 0;
}
