// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SessionState.h"

void SessionState::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    emit modeChanged(mode);
}

void SessionState::leave(Mode mode)
{
    if (m_mode == mode)
        setMode(Mode::Idle);
}

void SessionState::reset()
{
    m_selectedSegmentIndex = 0;
    setMode(Mode::Idle);
    m_sliderDragging = false;
    m_segmentSelected = false;
}
