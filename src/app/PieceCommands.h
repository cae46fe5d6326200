// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/PiecePlan.h"
#include "jobs/SilenceSearch.h"

#include <QString>

class JobArea;
class JobPanel;
class JobPump;
class Preview;
class Prompts;
class SessionState;
struct Options;

// The window's commands that fill a file's segment list from elsewhere: a
// cue sheet, the file's chapters, or a search for its silences. The pieces
// become confirmed segments of their file, labelled with their titles, as
// if the user had marked each one; the list is then shown under the Custom
// choice, which cuts exactly those segments.
class PieceCommands {
public:
    // What the silence dialog asks; the dialog shows the values, and the
    // ones last confirmed are offered again.
    struct SilenceQuestion {
        SilenceOptions options;
        bool accepted = false;
    };

    struct Parts {
        JobArea& jobs;
        Options& options;
        SessionState& state;
        Prompts& prompts;
        Preview& preview;
        JobPanel& panel;
        JobPump& pump;
    };
    explicit PieceCommands(Parts parts) : m_parts(parts) {}

    // The open-files dialog for cue sheets; every sheet chosen is imported.
    static const QString kCueFilter;
    void ImportCueSheet();
    // Reads the sheet whole and checks it against its audio files before
    // anything changes; then adds the files it names that are not listed
    // and gives each its pieces. Throws the sheet's or the reader's error.
    void importCueSheet(const QString& sheetPath);

    // The selected file's chapters, from its tags.
    void UseChapters();

    // Asks for the search's values, then searches the selected file.
    void FindSilences();
    // Decodes the selected file once, on this thread, pumping after every
    // block as the jobs do: the run state says Running meanwhile, so the
    // commands a job refuses are refused, the panel shows the progress and
    // Stop ends the search with nothing changed. Reports what it found.
    void findSilences(const SilenceOptions& options);

    SilenceQuestion& silenceQuestion() { return m_question; }

    static bool isCueSheet(const QString& path);

private:
    void stopPreview();
    // The stored list is cut only under Custom: switches to it and returns
    // the sentence that says so, or nothing when it was chosen already.
    QString chooseCustom();
    void inform(const QString& text);

    Parts m_parts;
    SilenceQuestion m_question;
};
