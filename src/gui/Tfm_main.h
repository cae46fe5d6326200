// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainSession.h"

#include <QWidget>

class QComboBox;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTreeView;
class JobListViews;
class SkinView;
class SliderWaveform;
class Tfm_about;

// The main window: the skinned front panel with the file and segment lists,
// the help memo over them, the output folder box and the format box.
class Tfm_main : public QWidget {
    Q_OBJECT
public:
    Tfm_main(Prompts& prompts, Shell& shell, const QString& iniPath = IniFile::defaultPath(),
             const QString& skinFile = {});
    ~Tfm_main() override;

    MainSession& session() { return m_session; }
    SliderWaveform& waveform() { return *m_waveform; }
    void setAboutBox(Tfm_about* about) { m_about = about; }

    // Help menu.
    void Content1Click();
    void HomePage1Click();
    void About1Click();

    QTreeView* lv;
    QTreeView* lv_time;
    QPlainTextEdit* sm;
    QLineEdit* edt_dir;
    QComboBox* cb_format;
    SkinView* Skin1;
    QMenu* p_lv;     // right click on either list
    QMenu* p_file;   // the panel's "file"
    QMenu* p_action; // the panel's "action"
    QMenu* p_help;

    // Files and folders given on the command line or dropped on the window,
    // added as the file and folder dialogs add them.
    void addPaths(const QStringList& paths);

    // The help memo's nine lines.
    static QString helpText();

    // Files and folders named on the command line, of this start or of a
    // later one: added as addPaths adds them once no job runs, and the window
    // comes forward.
    void receiveFiles(const QStringList& paths);

signals:
    // The window has closed; the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Files dropped anywhere on the window are added, the help memo and the
    // panel included.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createKeys();
    // The keys of the segment list and the slider; true when used.
    bool editorKey(QKeyEvent* event);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void popUp(QMenu* menu, Menu id);
    void addReceivedFiles();
    // Whether a drag carries files the window takes now.
    bool takesDrop(const QDropEvent* event);
    // Whether the output folder box shows another folder than the output folder.
    bool folderTyped();

    MainSession m_session;
    Tfm_about* m_about = nullptr;
    JobListViews* m_lists = nullptr;
    SliderWaveform* m_waveform = nullptr;
    bool m_shown = false;
    QStringList m_receivedFiles; // waiting for a running job to end
    bool m_waitingForJob = false;
};
