#pragma once

#include <QDialog>
#include <QHash>
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
class Tfm_set : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` places the dialog.
    Tfm_set(settings::SettingsDialogModel& model, Prompts& prompts, QWidget* mainWindow);
    ~Tfm_set() override;

    settings::SettingsDialogModel& model() { return m_model; }

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
    void createLists();
    void createPageTree();
    void bindControls();
    // Runs a handler behind the error guard, then shows the model's state.
    template <typename Handler> void handle(Handler&& handler);
    void refresh();

    std::unique_ptr<Ui::Tfm_set> ui;
    settings::SettingsDialogModel& m_model;
    Prompts& m_prompts;
    QWidget* m_mainWindow;
    QList<QTreeWidgetItem*> m_pageItems;
    QHash<const settings::Key*, QButtonGroup*> m_radioGroups;
    bool m_refreshing = false;
    // Closing is not leaving an edit: no rule runs on the way out.
    bool m_closing = false;
};
