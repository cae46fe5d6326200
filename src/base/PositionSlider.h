// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The front panel's position slider "pb" as the job list and the preview use
// it: both set it up and move it, the segment editor and the preview read
// where the user left it. The session implements it over the skin's element;
// the command-line tool has none.
class PositionSlider {
public:
    virtual ~PositionSlider() = default;

    virtual int32_t GetPosition() const = 0;
    // Moves the thumb and redraws the slider.
    virtual void SetPosition(int32_t position) = 0;
    virtual int32_t GetMax() const = 0;
    virtual int32_t GetThumbSize() const = 0;
    // SetMax and SetThumbSize together, then a redraw; the position stays.
    virtual void setRange(int32_t maximum, int32_t thumbSize) = 0;
};
