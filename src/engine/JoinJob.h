// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JoinPlan.h"
#include "engine/OutputFormat.h"
#include "jobs/SegmentPlan.h"

#include <QString>
#include <cstdint>

class JobRunner;

// The join job: the parts that the function choice selects, of every listed
// file in list order, written one after another into one output file at
// the first file's rate and channel count. The whole output is planned
// (planJoin) before its first block; the fade-in shapes the start of the
// output and the fade-out its end, never a joint.
class JoinJob {
public:
    // The save dialog's file types; filter index i (from 1) is the format
    // whose index is i - 1.
    static const QString kFilter;

    explicit JoinJob(JobRunner& runner) : m_runner(runner) {}

    // Asks for the target through the save dialog, opened at the output
    // folder with the file type of `cb_format`; the chosen type becomes
    // `cb_format`'s item. False when the list is empty, the dialog was
    // cancelled or the name cannot be used (the user is told why).
    bool ChooseJoinTarget();
    // The target given directly (the command line).
    void setTarget(const QString& path, OutputFormat format);

    // Runs the variant of a function choice: Custom JoinCustomSegments,
    // EverySeconds and EqualCount JoinWholeFiles, Unification
    // UnifiAudoJoiner.
    void run(segmentplan::Choice choice);
    void JoinCustomSegments() { run(segmentplan::Custom); }
    void JoinWholeFiles() { run(segmentplan::EverySeconds); }
    void UnifiAudoJoiner() { run(segmentplan::Unification); }

    const QString& target() const { return m_target; }
    OutputFormat format() const { return m_format; }
    // What the finished (or stopped) output holds: its frames and the parts
    // that went into it.
    int64_t framesWritten() const { return m_framesWritten; }
    int partsWritten() const { return m_partsWritten; }
    bool completed() const { return m_completed; }

    // The target with the format's extension, unless it already ends in it
    // (in any case): "mix" becomes "mix.mp3", "mix.mp3" stays.
    static QString withFormatExtension(const QString& name, OutputFormat format);

private:
    void join(JoinVariant variant);
    JoinPlan plan(JoinVariant variant);
    void write(JoinVariant variant, const JoinPlan& plan);
    void checkTarget() const;

    JobRunner& m_runner;
    QString m_target;
    OutputFormat m_format = OutputFormat::Mp3;
    int64_t m_framesWritten = 0;
    int m_partsWritten = 0;
    bool m_completed = false;
};
