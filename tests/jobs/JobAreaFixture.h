// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/AudioFile.h"
#include "base/SessionState.h"
#include "jobs/JobArea.h"
#include "settings/Options.h"
#include "support/FakeSeams.h"
#include "support/Printers.h"

#include <QTemporaryDir>
#include <memory>
#include <ostream>

// A job list area with real reader and tag readers, scripted prompts and a
// run state the tests set as the neighbours would.
class JobAreaFixture {
public:
    JobAreaFixture()
    {
        reader.SetEnabled(true);
        area = std::make_unique<JobArea>(prompts, reader, options, state);
        QObject::connect(area.get(), &JobArea::stopPreviewRequested, [this] {
            ++previewStops;
            state.leave(SessionState::Mode::Previewing);
        });
        QObject::connect(area.get(), &JobArea::pumpRequested, [this] { ++pumps; });
    }
    void setMode(SessionState::Mode mode) { state.setMode(mode); }

    // A row whose entry is filled directly, for the arithmetic that needs no file.
    int addEntry(int32_t duration, const QString& name = QStringLiteral("f.wav"))
    {
        JobList& list = area->list();
        const int row = list.append(name);
        listrecord& e = list.entry(row);
        e.path = "/nowhere/" + name;
        e.duration = duration;
        e.sliderMaximum = std::max(duration * 2, 1084);
        e.beginTimes = {SegmentPoint()};
        e.endTimes = {SegmentPoint::seconds(duration)};
        e.segmentCount = 1;
        return row;
    }

    QStringList ranges() const
    {
        QStringList r;
        for (int i = 0; i < area->segments().count(); ++i)
            r << area->segments().range(i);
        return r;
    }
    QStringList lengths() const
    {
        QStringList r;
        for (int i = 0; i < area->segments().count(); ++i)
            r << area->segments().length(i);
        return r;
    }
    QStringList statuses() const
    {
        QStringList r;
        for (int i = 0; i < area->segments().count(); ++i)
            r << area->segments().status(i);
        return r;
    }
    QStringList captions() const
    {
        QStringList r;
        for (int i = 0; i < area->list().count(); ++i)
            r << area->list().caption(i);
        return r;
    }

    RecordingPrompts prompts;
    AudioFile reader;
    Options options;
    SessionState state;
    int previewStops = 0;
    int pumps = 0;
    std::unique_ptr<JobArea> area;
};
