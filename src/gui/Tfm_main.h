#pragma once

#include "app/MainSession.h"

#include <QWidget>

class QComboBox;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTreeView;
class SkinView;
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
    QMenu* p_lv;
    QMenu* p_file;
    QMenu* p_action;
    QMenu* p_help;

    // The help memo's nine lines.
    static QString helpText();

signals:
    // The window has closed; the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createKeys();
    // The keys of the segment list and the slider; true when used.
    bool editorKey(QKeyEvent* event);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void popUp(QMenu* menu, Menu id);

    MainSession m_session;
    Tfm_about* m_about = nullptr;
    bool m_shown = false;
};
