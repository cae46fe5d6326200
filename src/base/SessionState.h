// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// What the main window's parts know of each other while the program runs:
// what it is busy with, and what the user last selected on the file list, the
// segment list and the position slider. The session owns the one instance;
// the job list, the preview, the jobs and the command table take it by
// reference, so no part keeps a copy of another part's flag.
//
// The mode says who may use the shared reader and change the job list:
// nobody else while files are added or a job runs, and a preview only while
// nothing else does. The described flags are read through their own names.
class SessionState : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        Idle,
        Previewing, // the preview has a file open and plays
        Running,    // a cut or join runs
        Adding,     // files are being probed into the job list
    };

    explicit SessionState(QObject* parent = nullptr) : QObject(parent) {}

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    // Back to Idle, but only from `mode`: the end of a piece of work never
    // ends another one that began meanwhile.
    void leave(Mode mode);

    bool JobRunning() const { return m_mode == Mode::Running; }
    bool PreviewActive() const { return m_mode == Mode::Previewing; }
    bool addingFiles() const { return m_mode == Mode::Adding; }
    // A job or an add is under way: the commands a job refuses wait for it.
    bool busy() const { return m_mode == Mode::Running || m_mode == Mode::Adding; }

    // The file list row and the segment list row last selected, and whether
    // the last click went to the segment list rather than the file list.
    int SelectedFileIndex() const { return m_selectedFileIndex; }
    void setSelectedFileIndex(int row) { m_selectedFileIndex = row; }
    int SelectedSegmentIndex() const { return m_selectedSegmentIndex; }
    void setSelectedSegmentIndex(int row) { m_selectedSegmentIndex = row; }
    bool SegmentSelected() const { return m_segmentSelected; }
    void setSegmentSelected(bool selected) { m_segmentSelected = selected; }

    // The position slider: its last position read or set, and whether the
    // mouse button is held down on it.
    int SliderPosition() const { return m_sliderPosition; }
    void setSliderPosition(int position) { m_sliderPosition = position; }
    bool SliderDragging() const { return m_sliderDragging; }
    void setSliderDragging(bool dragging) { m_sliderDragging = dragging; }

    // What the preview plays: the file list row, the segment list row, and
    // the sample it started at (an offset into the segment in segment mode).
    int PreviewFileIndex() const { return m_previewFileIndex; }
    void setPreviewFileIndex(int row) { m_previewFileIndex = row; }
    int PreviewSegmentIndex() const { return m_previewSegmentIndex; }
    void setPreviewSegmentIndex(int row) { m_previewSegmentIndex = row; }
    int PreviewStartSample() const { return m_previewStartSample; }
    void setPreviewStartSample(int sample) { m_previewStartSample = sample; }

    // The values the main window's first showing starts from.
    void reset();

signals:
    void modeChanged(SessionState::Mode mode);

private:
    Mode m_mode = Mode::Idle;
    int m_selectedFileIndex = 0;
    int m_selectedSegmentIndex = 0;
    bool m_segmentSelected = false;
    int m_sliderPosition = 0;
    bool m_sliderDragging = false;
    int m_previewFileIndex = 0;
    int m_previewSegmentIndex = 0;
    int m_previewStartSample = 0;
};
