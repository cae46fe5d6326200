// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class IniFile;
class Prompts;
struct Options;

// The output folder box on the main window: it always shows where the
// pieces go. A folder typed into it becomes the output folder when the user
// presses Enter or leaves the box, if it is usable: an absolute path ("~"
// standing for the home folder) of a folder that exists, or that the user
// lets the program create, and that can be written to. Otherwise the box
// says why and shows the output folder again.
class OutputFolderBox {
public:
    // What the window's box offers: its text, whether the user typed into it
    // since it was last set, and setting it (which ends the typing).
    struct Box {
        std::function<QString()> text;
        std::function<bool()> typed;
        std::function<void(const QString&)> show;
    };

    OutputFolderBox(Options& options, IniFile& ini, Prompts& prompts);

    void attach(Box box) { m_box = std::move(box); }

    // Applies what was typed, if anything; true when the output folder
    // changed. Runs once at a time: the boxes it shows take the focus away
    // from the box, which would apply it again.
    bool applyTyped();

    // The folder a typed text names, or an empty text with `why` set when it
    // cannot be the output folder. Asks before creating a missing folder.
    QString usableFolder(const QString& typed, QString& why);

private:
    Options& m_options;
    IniFile& m_ini;
    Prompts& m_prompts;
    Box m_box;
    bool m_applying = false;
};
