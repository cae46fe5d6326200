// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Everything that asks the user something or shows a message. The window
// implements it with dialogs; tests script it.
class Prompts {
public:
    enum class Dialog { Settings, TagEditor, FindSilences };

    virtual ~Prompts() = default;

    // A message box with one OK button.
    virtual void information(const QString& text) = 0;
    // The application's default error box.
    virtual void error(const QString& text) = 0;
    // A question with Yes and No; true for Yes. A seam that cannot ask
    // answers No, so that nothing is done unasked.
    virtual bool question(const QString& text)
    {
        (void)text;
        return false;
    }
    // The open-files dialog; an empty list when cancelled.
    virtual QStringList openFiles(const QString& filter) = 0;
    // What the save dialog returns: the file name (empty when cancelled) and
    // the file type chosen, counted from 1 in the order of the filter.
    struct SaveChoice {
        QString fileName;
        int filterIndex = 1;
    };
    // The save dialog for the join target, showing `folder` with the file
    // type `filterIndex` chosen; it asks before an existing file is replaced.
    virtual SaveChoice joinTarget(const QString& filter, int filterIndex,
                                  const QString& folder) = 0;
    // The folder chooser with this caption; its chosen folder, empty when cancelled.
    virtual QString chooseFolder(const QString& caption) = 0;
    // Shows one of the program's modal dialogs and returns when it closes.
    virtual void showModal(Dialog dialog) = 0;
};
