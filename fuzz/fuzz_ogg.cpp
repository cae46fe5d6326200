// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzInput.h"
#include "tags/OggComments.h"
#include "tags/TagError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    try {
        ReadOggComments(input.device(), QStringLiteral("fuzz.ogg"));
        if (input.device().seek(0))
            ReadOggChapters(input.device(), QStringLiteral("fuzz.ogg"));
    } catch (const TagError&) {
        // Refusing a broken stream is the expected outcome.
    }
    return 0;
}
