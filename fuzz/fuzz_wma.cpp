// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzInput.h"
#include "tags/WmaTags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    ReadWmaTags(input.device());
    return 0;
}
