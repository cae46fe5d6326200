// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <memory>

class Prompts;

namespace Ui {
class Tfm_id3;
}
namespace tags {
class TagEditorModel;
class TagRecordList;
} // namespace tags

// The tag editor: shows the state of its model over the job list's tag
// records and reports every change of a field to it, however it was made.
class Tfm_id3 : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` is the window the dialog is centred over.
    Tfm_id3(tags::TagEditorModel& model, tags::TagRecordList& list, Prompts& prompts,
            QWidget* mainWindow);
    ~Tfm_id3() override;

    void FormShow();
    void btn_okClick();
    void btn_cancelClick();
    void Button7Click();

    // Every ending empties the file list (FormCloseQuery); closing is always allowed.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindControls();
    template <typename Handler> void handle(Handler&& handler);
    void refresh();

    std::unique_ptr<Ui::Tfm_id3> ui;
    tags::TagEditorModel& m_model;
    tags::TagRecordList& m_list;
    Prompts& m_prompts;
    QWidget* m_mainWindow;
    bool m_refreshing = false;
};
