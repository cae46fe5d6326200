// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OutputFormat.h"

#include <QString>
#include <optional>

namespace settings {
struct EncoderConfiguration;
}

// Encoder values given for one run (the command line's), put over what the
// settings file configures. A rate or channel count of 0 means the source's.
struct EncoderOverrides {
    std::optional<int> bitrate;    // kbit/s: MP3 constant bitrate, Ogg nominal, WMA profile
    std::optional<int> vbrQuality; // MP3 variable bitrate, 0 best .. 9
    std::optional<int> quality;    // Ogg quality mode, -1 .. 10
    std::optional<int> rate;       // Hz, or 0 for the source's
    std::optional<int> channels;   // 1, 2, or 0 for the source's
    std::optional<int> bits;       // WAV: 8, 16, 24 or 32

    bool isEmpty() const
    {
        return !bitrate && !vbrQuality && !quality && !rate && !channels && !bits;
    }

    // Why these values cannot make `format` (empty when they can): the
    // message names what is accepted.
    QString refusalFor(OutputFormat format) const;

    // Puts the values over a configuration read from the settings file, for
    // a source of `sourceRate` Hz and `sourceChannels` channels. A preset of
    // the settings file gives way to the plain configuration when a value
    // of its own is given.
    void applyTo(settings::EncoderConfiguration& config, int sourceRate, int sourceChannels) const;
};
