// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jobs/JobList.h"
#include "jobs/PiecePlan.h"
#include "jobs/SegmentList.h"

#include <QObject>
#include <QStringList>

class AudioFile;
class Prompts;
class SessionState;
class PositionSlider;
struct Options;

// The job list area: the file list `lv`, the segment list `lv_time` of the
// selected file, the selection state, and the operations that add, move and
// remove files, build the segment plans and edit the stored segments. No
// widgets: the window shows the two models and the front panel's elements.
class JobArea : public QObject {
    Q_OBJECT
public:
    // The open-files dialog's filter.
    static const QString kFileFilter;

    JobArea(Prompts& prompts, AudioFile& reader, const Options& options, SessionState& state,
            QObject* parent = nullptr);

    // The front panel's position slider, once the window has one (the
    // command-line tool has none). The texts the panel shows go out as
    // signals.
    void attachSlider(PositionSlider& slider) { m_slider = &slider; }

    JobList& list() { return m_list; }
    const JobList& list() const { return m_list; }
    SegmentList& segments() { return m_segments; }
    const SegmentList& segments() const { return m_segments; }
    SessionState& state() { return m_state; }
    const SessionState& state() const { return m_state; }

    // Adding. AddFiles and AddFolder ask first; addFilePaths and addFolderPath add
    // what they are given, as the dialogs would (files from the command line,
    // dropped files, the command-line tool). Each returns the rows added.
    void AddFiles();
    void AddFolder();
    int addFilePaths(const QStringList& paths);
    int addFolderPath(const QString& folder);
    // Probes the row's file into its entry; throws the reader's error.
    void ProbeFile(int row, int32_t sliderLowerBound);

    void MoveFileUp();
    void MoveFileDown();
    void RemoveFile();
    void ClearJobList();
    void ClearSegments();

    // The row of the listed file that `path` names (compared by what the
    // paths really are), -1 when none is.
    int rowOfFile(const QString& path) const;
    // Pieces from a cue sheet, a file's chapters or a silence search become
    // the stored list of `row`'s file, confirmed and labelled, which is then
    // selected and shown. False, and nothing changed, for a plan without
    // pieces.
    bool placePlan(int row, const PiecePlan& plan);

    // Selection and plans.
    void lvClick();
    void ShowSegmentPlan();
    void ShowCustomSegments();
    void ShowTimedPieces();
    void ShowEqualPieces();
    void ShowUnifiedSegments();
    void SetupPositionSlider();
    void ShowTotalLength();
    // Seconds a run would produce, as ShowTotalLength shows them.
    int64_t totalLength() const;
    QString totalLengthText() const { return m_totalText; }
    QString positionTimeText() const { return m_positionText; }
    bool helpMemoVisible() const { return m_helpMemoVisible; }

    // Segment editor.
    void lv_timeClick();
    void lv_timeDblClick() { lv_timeClick(); }
    void SetSegmentBegin();
    void SetSegmentEnd();
    void ConfirmSegment();
    void RemoveSegment();

    // The usable travel of the position slider, as Scale divides by it.
    int32_t sliderRange() const;
    // The seconds the slider position stands for in a file of that length.
    int32_t sliderSeconds(int32_t duration) const;

signals:
    // Adding many files lets the window breathe before each one.
    void pumpRequested();
    // The preview must give up the reader (adding probes with it) or its
    // file left the list.
    void stopPreviewRequested();
    void helpMemoVisibleChanged(bool visible);
    // The file list should get the input focus.
    void fileListFocusRequested();
    // The texts of the front panel's "timecaption" and "tataltime".
    void positionTimeChanged(const QString& text);
    void totalLengthChanged(const QString& text);
    // While files are added: `done` of `total` paths handled so far.
    void addingProgress(int done, int total);
    // A file (or a folder that cannot be read) was left out: `message` is the
    // described text of the box shown for it, `cause` says why, as the
    // reader or the file system gave it; the box shows both, on two lines.
    void fileRefused(const QString& path, const QString& message, const QString& cause);

private:
    enum class Source { FileDialog, Folder };
    void stopPreviewForReader();
    bool addOne(const QString& path, const QString& name, Source source);
    void removeRow(int row);
    void refuse(const QString& path, const QString& message, const QString& cause);
    void setHelpMemoVisible(bool visible);
    void showPositionTime(int32_t duration);
    // Shows the pieces `plan` computes from the selected file's duration.
    void showComputed(QVector<Segment> (*plan)(int32_t duration, int number), int number);
    // The list the editor works on, or -1 when it does not edit (no file,
    // a computed choice); `complain` shows the message for computed choices.
    int editedEntry(bool complain);
    // Shows that list unless the rows show it already (with its open segment
    // when `withOpenSegment`); true when shown anew.
    bool showEditedList(int e, bool withOpenSegment);
    void setOpenSegmentBound(bool begin);
    void readSliderPosition();

    Prompts& m_prompts;
    AudioFile& m_reader;
    const Options& m_options;
    SessionState& m_state;
    PositionSlider* m_slider = nullptr;
    JobList m_list;
    SegmentList m_segments{m_list};
    int32_t m_sliderMaximum = 0;
    int32_t m_thumbSize = 0;
    QString m_totalText = QStringLiteral("00:00:00");
    QString m_positionText;
    bool m_helpMemoVisible = true;
};
