#pragma once

#include "audio/AudioFile.h"
#include "jobs/JobArea.h"
#include "settings/Options.h"
#include "support/FakeSeams.h"
#include "support/Printers.h"

#include <QTemporaryDir>
#include <memory>
#include <ostream>

// A job list area with real reader and tag readers, scripted prompts and the
// neighbours' flags as plain values the tests set.
class JobAreaFixture {
public:
    JobAreaFixture()
    {
        reader.SetEnabled(true);
        JobArea::Links links;
        links.JobRunning = &jobRunning;
        links.PreviewActive = &previewActive;
        links.PreviewFileIndex = &previewFileIndex;
        links.StopPreview = [this] {
            ++previewStops;
            previewActive = false;
        };
        links.pump = [this] { ++pumps; };
        area = std::make_unique<JobArea>(prompts, reader, options, links);
    }

    // A row whose entry is filled directly, for the arithmetic that needs no file.
    int addEntry(int32_t duration, const QString& name = QStringLiteral("f.wav"))
    {
        JobList& list = area->list();
        const int row = list.append(name);
        listrecord& e = list.entry(row);
        e.path = "/nowhere/" + name;
        e.duration = duration;
        e.sliderMaximum = std::max(duration * 2, 1084);
        e.beginTimes = {0};
        e.endTimes = {duration};
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
    bool jobRunning = false;
    bool previewActive = false;
    int previewFileIndex = 0;
    int previewStops = 0;
    int pumps = 0;
    std::unique_ptr<JobArea> area;
};
