#pragma once

#include <QString>
#include <QVector>

class JobRunner;

// The cut job: every piece of every listed file becomes an output file of
// its own in the output folder, in the format of `cb_format`.
class CutJob {
public:
    explicit CutJob(JobRunner& runner) : m_runner(runner) {}

    // Runs the variant of a function choice; any other value runs nothing.
    void run(int choice);

    void CutCustomSegments() { run(0); }
    void CutTimedPieces() { run(1); }
    void CutEqualPieces() { run(2); }
    void CutUnifiedSegments() { run(3); }

    // The outputs written, in order (partial ones of a stop included).
    const QStringList& outputs() const { return m_outputs; }

private:
    void cutFiles(int choice);

    JobRunner& m_runner;
    QStringList m_outputs;
};
