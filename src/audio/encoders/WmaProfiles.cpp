// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoders/WmaProfiles.h"

#include <array>
#include <cstddef>

namespace {

// wmav2 cannot encode below 24 kbit/s, so the smaller profiles encode at 24
// with their rate and channels kept. The VBR-quality profiles and the
// lossless one have no bitrate of their own; they get the fixed bitrate that
// files of that quality typically average (the lossless one the highest of
// the list), so that their size and sound keep the order of the list.
// clang-format off
constexpr std::array<WmaProfile, 47> kProfiles{{
    {48000, 2, 192, 192}, //  1 WMA9 48KHz, 192Kbps, Stereo, CBR
    {48000, 2, 160, 160}, //  2 WMA9 48KHz, 160Kbps, Stereo, CBR
    {48000, 2, 128, 128}, //  3 WMA9 48KHz, 128Kbps, Stereo, CBR
    {48000, 2, 96, 96},   //  4 WMA9 48KHz, 96Kbps, Stereo, CBR
    {48000, 2, 64, 64},   //  5 WMA9 48KHz, 64Kbps, Stereo, CBR
    {44100, 2, 320, 320}, //  6 WMA9 44KHz, 320Kbps, Stereo, CBR
    {44100, 2, 256, 256}, //  7 WMA9 44KHz, 256Kbps, Stereo, CBR
    {44100, 2, 192, 192}, //  8 WMA9 44KHz, 192Kbps, Stereo, CBR
    {44100, 2, 160, 160}, //  9 WMA9 44KHz, 160Kbps, Stereo, CBR
    {44100, 2, 128, 128}, // 10 WMA9 44KHz, 128Kbps, Stereo, CBR
    {44100, 2, 96, 96},   // 11 WMA9 44KHz, 96Kbps, Stereo, CBR
    {44100, 2, 80, 80},   // 12 WMA9 44KHz, 80Kbps, Stereo, CBR
    {44100, 2, 64, 64},   // 13 WMA9 44KHz, 64Kbps, Stereo, CBR
    {44100, 2, 48, 48},   // 14 WMA9 44KHz, 48Kbps, Stereo, CBR
    {44100, 2, 32, 32},   // 15 WMA9 44KHz, 32Kbps, Stereo, CBR
    {44100, 1, 48, 48},   // 16 WMA9 44KHz, 48Kbps, Mono, CBR
    {44100, 1, 32, 32},   // 17 WMA9 44KHz, 32Kbps, Mono, CBR
    {44100, 1, 24, 20},   // 18 WMA9 44KHz, 20Kbps, Mono, CBR
    {32000, 2, 48, 48},   // 19 WMA9 32KHz, 48Kbps, Stereo, CBR
    {32000, 2, 40, 40},   // 20 WMA9 32KHz, 40Kbps, Stereo, CBR
    {32000, 2, 32, 32},   // 21 WMA9 32KHz, 32Kbps, Stereo, CBR
    {32000, 1, 24, 20},   // 22 WMA9 32KHz, 20Kbps, Mono, CBR
    {32000, 2, 32, 32},   // 23 WMA9 32KHz, 32Kbps, Stereo, CBR
    {32000, 2, 24, 22},   // 24 WMA9 32KHz, 22Kbps, Stereo, CBR
    {22050, 2, 24, 20},   // 25 WMA9 22KHz, 20Kbps, Stereo, CBR
    {22050, 1, 24, 20},   // 26 WMA9 22KHz, 20Kbps, Mono, CBR
    {22050, 1, 24, 16},   // 27 WMA9 22KHz, 16Kbps, Mono, CBR
    {16000, 2, 24, 20},   // 28 WMA9 16KHz, 20Kbps, Stereo, CBR
    {16000, 2, 24, 16},   // 29 WMA9 16KHz, 16Kbps, Stereo, CBR
    {16000, 1, 24, 16},   // 30 WMA9 16KHz, 16Kbps, Mono, CBR
    {16000, 1, 24, 12},   // 31 WMA9 16KHz, 12Kbps, Mono, CBR
    {16000, 1, 24, 10},   // 32 WMA9 16KHz, 10Kbps, Mono, CBR
    {11025, 1, 24, 10},   // 33 WMA9 11KHz, 10Kbps, Mono, CBR
    {11025, 1, 24, 8},    // 34 WMA9 11KHz, 8Kbps, Mono, CBR
    {8000, 2, 24, 12},    // 35 WMA9 8KHz,  12Kbps, Stereo, CBR
    {8000, 1, 24, 8},     // 36 WMA9 8KHz,  8Kbps, Mono, CBR
    {8000, 1, 24, 6},     // 37 WMA9 8KHz,  6Kbps, Mono, CBR
    {8000, 1, 24, 5},     // 38 WMA9 8KHz,  5Kbps, Mono, CBR
    {48000, 2, 256, 0},   // 39 WMA9 48KHz, Stereo, VBR Quality 98
    {48000, 2, 192, 0},   // 40 WMA9 48KHz, Stereo, VBR Quality 90
    {44100, 2, 256, 0},   // 41 WMA9 44KHz, Stereo, VBR Quality 98
    {44100, 2, 192, 0},   // 42 WMA9 44KHz, Stereo, VBR Quality 90
    {44100, 2, 128, 0},   // 43 WMA9 44KHz, Stereo, VBR Quality 75
    {44100, 2, 96, 0},    // 44 WMA9 44KHz, Stereo, VBR Quality 50
    {44100, 2, 64, 0},    // 45 WMA9 44KHz, Stereo, VBR Quality 25
    {44100, 2, 48, 0},    // 46 WMA9 44KHz, Stereo, VBR Quality 10
    {44100, 2, 320, 0},   // 47 WMA9 44KHz, Stereo, Lossless
}};
// clang-format on

} // namespace

const WmaProfile* wmaProfile(int number)
{
    if (number < 1 || number > static_cast<int>(kProfiles.size()))
        return nullptr;
    return &kProfiles[static_cast<size_t>(number - 1)];
}

int wmaProfileCount()
{
    return static_cast<int>(kProfiles.size());
}
