// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Prompts.h"
#include "base/Shell.h"

#include <QList>
#include <QStringList>
#include <functional>

// Prompts that record what the program asked and answer from a script: the
// dialog driver of the tests without a window.
class RecordingPrompts : public Prompts {
public:
    QStringList informations;
    QStringList errors;
    QStringList folderCaptions;
    QString folderAnswer;
    std::function<QString(const QString&)> onChooseFolder;
    QStringList fileFilters; // the filters the open-files dialog was shown with
    QStringList filesAnswer; // what the open-files dialog returns

    void information(const QString& text) override { informations << text; }
    // The first line of every information box: its described text, where a
    // second line gives the cause.
    QStringList boxTexts() const
    {
        QStringList r;
        for (const QString& text : informations)
            r << text.section(QLatin1Char('\n'), 0, 0);
        return r;
    }
    void error(const QString& text) override { errors << text; }
    QStringList questions;
    bool questionAnswer = false;
    bool question(const QString& text) override
    {
        questions << text;
        return questionAnswer;
    }
    QStringList openFiles(const QString& filter) override
    {
        fileFilters << filter;
        return filesAnswer;
    }
    // The join target dialog: what it was shown with, and its scripted answer.
    QStringList joinFilters;
    int joinFilterIndexShown = 0;
    QString joinFolderShown;
    SaveChoice joinAnswer;
    SaveChoice joinTarget(const QString& filter, int filterIndex, const QString& folder) override
    {
        joinFilters << filter;
        joinFilterIndexShown = filterIndex;
        joinFolderShown = folder;
        return joinAnswer;
    }
    QString chooseFolder(const QString& caption) override
    {
        folderCaptions << caption;
        return onChooseFolder ? onChooseFolder(caption) : folderAnswer;
    }
    // The program's own dialogs shown, in order; `onShowModal` stands for
    // the user of each, and the dialog returns when it ends.
    QList<Dialog> shown;
    std::function<void(Dialog)> onShowModal;
    void showModal(Dialog dialog) override
    {
        shown << dialog;
        if (onShowModal)
            onShowModal(dialog);
    }
};

// A shell that records what it was asked to open, as "kind:target".
class RecordingShell : public Shell {
public:
    QStringList calls;

    void openFolder(const QString& folder) override { calls << "folder:" + folder; }
    void openHelpFile(const QString& path) override { calls << "help:" + path; }
    void openWebAddress(const QString& address) override { calls << "web:" + address; }
    void startMail(const QString& address) override { calls << "mail:" + address; }
};
