// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CutTask.h"
#include "engine/NameTemplate.h"
#include "engine/OutputNaming.h"
#include "jobs/SegmentPlan.h"

#include <QVector>
#include <optional>

class JobView;
struct Options;

// The tasks of a cut, in the job's order: file by file, piece by piece.
// Each is produced when it is asked for, from the job list and the options
// as they are at that moment, as the window's job reads them (a file's
// entry and fade-out when its turn comes, Choice/time and Choice/Count when
// its pieces are planned, the format box and the fade-in at each piece,
// whose name is chosen just before it is cut, and the copy option that
// decides whether it is copied or encoded). A run that cuts several
// pieces at once takes them all up front: the same tasks with the same
// names, whatever runs them.
// What the command line may ask of a cut's pieces beyond the window's rules.
struct PieceRules {
    std::optional<NameTemplate> names; // names from a template instead of the usual ones
    bool tags = true;                  // false: the pieces carry no tags at all
    bool namesFromPlan = false;        // see OutputNaming::ignoreExistingFiles
};

class CutTasks {
public:
    // Names outputs in the options' output folder, never a source of `view`.
    // The Unification list is the first file's as it is now.
    //
    // A piece is named by the template if there is one, else "NN Title" when
    // its segment has a title, else by the usual rule; a name that is taken
    // is numbered on. Its tags are its segment's label over the source's
    // record, and its track is the label's, else its place among its file's
    // pieces, as "n/total".
    CutTasks(const JobView& view, segmentplan::Choice choice, const Options& options,
             PieceRules rules = {});

    // Whether a file is left, and moving on to it, planning its pieces
    // (false after the last file).
    bool hasFile() const;
    bool nextFile();
    int fileIndex() const { return m_file; }
    // Whether the current file has a piece left.
    bool hasPiece() const { return m_next < m_pieces.size(); }
    // The current file's next piece, named now with the format's extension.
    CutTask takePiece(OutputFormat format);

    // Whether a file's first piece is named with "_1" already; by default
    // as the choice names them (cutplan::numberedFirst). The command line
    // plans its exact pieces under the Custom choice and numbers them as
    // the window numbers computed pieces.
    void setNumberedFirst(bool numbered) { m_numberedFirst = numbered; }

    // Every task of the cut, in order.
    QVector<CutTask> all(OutputFormat format);

    // The name a task is written under when its own cannot be created: its
    // own is given back, and the source's name taken in its place.
    QString fallbackFor(const CutTask& task);

private:
    QString nameFor(const CutTask& task, int number, const QString& extension);

    const JobView& m_view;
    segmentplan::Choice m_choice;
    const Options& m_options;
    PieceRules m_rules;
    OutputNaming m_naming;
    JobFile m_shared;
    int m_file = -1;
    JobFile m_entry;
    QVector<cutplan::Piece> m_pieces;
    int m_next = 0;
    int64_t m_fadeOutFrames = 0;
    bool m_numberedFirst;
};
