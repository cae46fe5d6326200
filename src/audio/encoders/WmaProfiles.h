// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The 47 WMA profiles of the settings dialog, numbered from 1, as the wmav2
// encoder writes them.
struct WmaProfile {
    int rate;
    int channels;
    int kbps;        // what wmav2 encodes at
    int nominalKbps; // what the profile's name says; 0 for VBR and lossless
};

// nullptr for a number outside 1 .. 47.
const WmaProfile* wmaProfile(int number);
int wmaProfileCount();
