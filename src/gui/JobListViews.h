// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class MainSession;
class QEvent;
class QMenu;
class QPlainTextEdit;
class QTreeView;
class QWidget;

// Puts the job list area on the window: the file list `lv` and the segment
// list `lv_time` show its two models, their clicks run its handlers, the help
// memo `sm` follows it.
class JobListViews : public QObject {
    Q_OBJECT
public:
    JobListViews(MainSession& session, QTreeView* lv, QTreeView* lv_time, QPlainTextEdit* sm,
                 QMenu* p_lv);

    // Files and folders as the file and folder dialogs add them, in the
    // given order; a path that is neither is tried as a file and refused.
    // Cue sheets are imported once the rest is listed.
    void addPaths(const QStringList& paths);
    // The local paths a drop carries, empty when it carries none.
    static QStringList droppedPaths(const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainSession& m_session;
    // The filtered viewports, kept rather than asked of their views: a
    // viewport sends its last events while its view is already being
    // destroyed and can no longer be asked for anything.
    QPointer<QObject> m_lvViewport;
    QPointer<QObject> m_lvTimeViewport;
    QPlainTextEdit* m_sm;
};
