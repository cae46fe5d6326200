// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"

#include <QString>

class Mp3EncoderSettings;

// The LAME command-line options the MP3 writer can apply. They are applied
// over the settings object's values, as LAME applies options given after a
// preset:
//   -b N  -B N  -V N  -v  --vbr-old  --vbr-new  --cbr  -q N  -h  -f
//   -m s|j|f|d|m  -a  --resample F  --lowpass F  --highpass F
//   --lowpass-width F  --highpass-width F  -p  -e n|5|c  --strictly-enforce-ISO
//   --nores  -t  -F  --short  --noshort  --allow-diff-short  --athonly  --noath
//   --athshort  --preset phone|sw|am|fm|voice|radio|tape|hifi|cd|studio|r3mix|
//   [fast] standard|[fast] extreme|insane
// Frequencies below 50 are kHz, as in LAME. Anything else is refused.
namespace mp3commandline {

class Error : public ::Error {
public:
    using ::Error::Error;
};

// Throws Error naming the option that cannot be applied.
void apply(const QString& text, Mp3EncoderSettings& settings);

} // namespace mp3commandline
