// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/SettingsDialogRules.h"
#include "settings/SettingsStore.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <span>

class AudioFile;
class IniFile;
class Prompts;
struct Options;

namespace settings {

// What the settings dialog decides, without any widget: the values its
// controls hold, which of them are enabled, the page shown, and what showing,
// Default, Ok and Cancel do with the options, the settings file and the
// main window. The dialog shows this state and reports every change of a
// control to it, however the change was made.
class SettingsDialogModel {
public:
    SettingsDialogModel(Options& options, IniFile& ini, const AudioFile& writer, Prompts& prompts);

    // The main window's output folder box and its file list's click.
    void setOutputDirBox(std::function<QString()> text, std::function<void(const QString&)> show);
    void setLvClick(std::function<void()> lvClick);

    // Showing: reloads every control from the options and the settings file
    // and returns to the page shown last.
    void FormShow();

    // Pages.
    int page() const { return m_page; }
    QString title() const;
    QString groupBox() const;
    void TreeView1Click(int index);

    // Encoder controls: values as stored (list indexes, numbers, 0/1).
    int value(const Key& key) const;
    // A change the user made; runs the control's enable rule.
    void setValue(const Key& key, int value);
    bool isEnabled(ControlId control) const { return m_enabled[indexOf(control)]; }

    // The General page.
    int functionChoice() const { return m_choice; }
    void rb_customClick() { m_choice = 0; }
    void rb_timeClick() { m_choice = 1; }
    void rb_countClick() { m_choice = 2; }
    void rb_unificationClick() { m_choice = 3; }
    QString timeText() const { return m_timeText; }
    QString countText() const { return m_countText; }
    void setTimeText(const QString& text) { m_timeText = text; }
    void setCountText(const QString& text) { m_countText = text; }
    // Leaving the split edits: empty or below one gives the default piece;
    // text that is no whole number is reported and left for the user.
    void edt_timeExit();
    void edt_countExit();
    bool fadeIn() const { return m_fadeIn; }
    bool fadeOut() const { return m_fadeOut; }
    int fadeInIndex() const { return m_fadeInIndex; }
    int fadeOutIndex() const { return m_fadeOutIndex; }
    void setFadeIn(bool on) { m_fadeIn = on; }
    void setFadeOut(bool on) { m_fadeOut = on; }
    void setFadeInIndex(int index);
    void setFadeOutIndex(int index);
    static QStringList FadeTimes(); // "1s" to "20s"

    // The MP3 copy option of the MP3 General page.
    bool losslessCopy() const { return m_losslessCopy; }
    void setLosslessCopy(bool on) { m_losslessCopy = on; }

    // The command line page's text, which every MP3 configuration reads as
    // it stands. Cancel and showing put back the text of the last Ok.
    QString commandLineText() const { return m_commandLineText; }
    void setCommandLineText(const QString& text) { m_commandLineText = text; }

    // Default: every encoder control to its Default button value.
    void Button2Click();
    // Ok: checks, then stores; true when the dialog may close.
    bool OkClick();
    // Cancel or the close box: nothing is stored.
    void CancelClick();

    // Typing in the numeric edits admits the digits only.
    static bool acceptsTypedCharacter(QChar c);
    // A whole number in the 32-bit range, blanks around it allowed.
    static std::optional<int> parseInteger(const QString& text);

    static QString Mp3Message();
    static QString OggMessage();
    static QString NotAnIntegerMessage(const QString& text);
    static QString EmptyFolderMessage();

private:
    enum class Change { User, Program };
    // The option's choice as the radio buttons can show it.
    int shownChoice() const;
    void change(const Key& key, int value, Change how);
    // Runs the rules of `key` that run on a change made `how`.
    void runRules(const Key& key, Change how);
    void apply(const EnableRule& rule);
    bool checksPass();
    // The text of a split edit after leaving it; nullopt when not a number.
    std::optional<QString> leftSplitText(const QString& text, int fallback);

    Options& m_options;
    IniFile& m_ini;
    const AudioFile& m_writer;
    Prompts& m_prompts;
    std::function<QString()> m_outputDirText;
    std::function<void(const QString&)> m_showOutputDir;
    std::function<void()> m_lvClick;

    int m_page = -1;
    QHash<const Key*, int> m_values;
    std::array<bool, kControlIdCount> m_enabled{};
    int m_choice = 0;
    QString m_timeText = QStringLiteral("60");
    QString m_countText = QStringLiteral("6");
    bool m_fadeIn = false;
    bool m_fadeOut = false;
    int m_fadeInIndex = 4;
    int m_fadeOutIndex = 4;
    bool m_losslessCopy = false;
    QString m_commandLineText;
    QString m_confirmedCommandLine;
};

} // namespace settings
