// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/SettingsDialogRules.h"

#include <QDialog>
#include <QHash>
#include <array>
#include <memory>

class Prompts;
class QButtonGroup;
class QTreeWidgetItem;

namespace Ui {
class Tfm_set;
}
namespace settings {
class SettingsDialogModel;
struct Key;
} // namespace settings

// The settings dialog: shows the state of its model and reports every change
// of a control to it, whether by mouse, keyboard or assistive technology.
// Its pages are forms of their own; the dialog finds their controls by
// ControlId.
class Tfm_set : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` places the dialog.
    Tfm_set(settings::SettingsDialogModel& model, Prompts& prompts, QWidget* mainWindow);
    ~Tfm_set() override;

    settings::SettingsDialogModel& model() { return m_model; }
    // The widget of a control; every id has one.
    QWidget* control(settings::ControlId id) const { return m_controls[settings::indexOf(id)]; }

    void FormShow();
    void OkClick();
    void Button2Click();
    void CancelClick();

    // Escape and the close box end like Cancel.
    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T> T* control(settings::ControlId id) const;
    void findControls();
    void createLists();
    void createPageTree();
    // Tab goes from the page tree through the shown page in reading order,
    // then to the buttons.
    void orderTabs();
    void bindControls();
    // Runs a handler behind the error guard, then shows the model's state.
    template <typename Handler> void handle(Handler&& handler);
    void refresh();

    std::unique_ptr<Ui::Tfm_set> ui;
    settings::SettingsDialogModel& m_model;
    Prompts& m_prompts;
    QWidget* m_mainWindow;
    std::array<QWidget*, settings::kControlIdCount> m_controls{};
    QList<QTreeWidgetItem*> m_pageItems;
    QHash<const settings::Key*, QButtonGroup*> m_radioGroups;
    bool m_refreshing = false;
    // Closing is not leaving an edit: no rule runs on the way out.
    bool m_closing = false;
};
