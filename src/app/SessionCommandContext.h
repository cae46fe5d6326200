// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/SkinCommands.h"
#include "base/SessionState.h"
#include "jobs/JobList.h"

// The command table's questions, answered from the session's state and the
// job list.
class SessionCommandContext : public CommandContext {
public:
    SessionCommandContext(const SessionState& state, const JobList& list)
        : m_state(state), m_list(list)
    {
    }

    SessionState::Mode mode() const override { return m_state.mode(); }
    bool previewActive() const override { return m_state.PreviewActive(); }
    bool segmentSelected() const override { return m_state.SegmentSelected(); }
    bool hasFiles() const override { return !m_list.isEmpty(); }

private:
    const SessionState& m_state;
    const JobList& m_list;
};
