// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzInput.h"
#include "tags/Id3Tags.h"

// The field reader and the chapter reader walk the same frames; both get
// every input.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    ReadId3v2(input.device());
    if (input.device().seek(0))
        ReadId3v2Chapters(input.device());
    return 0;
}
