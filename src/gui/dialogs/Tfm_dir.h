// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QSet>

class IniFile;
class Prompts;
struct Options;
class QFileSystemModel;
class QSortFilterProxyModel;
class QLineEdit;
class QPushButton;
class QTreeView;

// The folder chooser: a tree of the file system's folders. Ok makes the
// selected folder the output folder and hands it back as ChosenFolder.
class Tfm_dir : public QDialog {
    Q_OBJECT
public:
    // Ok changes the output folder in `options` and the options file and
    // shows it in `edtDir`; `mainWindow` places the dialog.
    Tfm_dir(Prompts& prompts, Options& options, IniFile& ini, QLineEdit& edtDir,
            QWidget* mainWindow);

    QString ChosenFolder() const { return m_chosenFolder; }
    // The path of the folder selected in the tree (empty when none is).
    QString selectedFolder() const;
    void selectFolder(const QString& path);

    void btn_okClick();
    void btn_cancelClick();
    void Button1Click();

    QTreeView* ShellTreeView1;
    QPushButton* Button1;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

    // Any ending but Ok leaves ChosenFolder empty, also after an Ok whose
    // write to the options file failed.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void folderLoaded(const QString& folder);
    void revealSelection();

    Prompts& m_prompts;
    Options& m_options;
    IniFile& m_ini;
    QLineEdit& m_edtDir;
    QWidget* m_mainWindow;
    QFileSystemModel* m_model;
    QSortFilterProxyModel* m_folders; // the folders the tree shows
    QString m_chosenFolder;
    bool m_shownBefore = false;
    QString m_openedFor; // the output folder when the tree last opened on it
    // Folders on the way to the first selection that the tree still reads.
    QSet<QString> m_unrevealed;
    bool m_revealing = false;
};
