// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/tags/Tfm_id3.h"

#include "base/Guarded.h"
#include "tags/TagEditorModel.h"
#include "ui_Tfm_id3.h"

#include <QFocusEvent>
#include <QSignalBlocker>

Tfm_id3::Tfm_id3(tags::TagEditorModel& model, tags::TagRecordList& list, Prompts& prompts,
                 QWidget* mainWindow)
    : QDialog(mainWindow), ui(std::make_unique<Ui::Tfm_id3>()), m_model(model), m_list(list),
      m_prompts(prompts), m_mainWindow(mainWindow)
{
    ui->setupUi(this);
    bindControls();
    refresh();
}

Tfm_id3::~Tfm_id3() = default;

void Tfm_id3::bindControls()
{
    const auto onText = [this](QLineEdit* edit, TagField field) {
        connect(edit, &QLineEdit::textChanged, this,
                [this, field](const QString& t) { handle([&] { m_model.setField(field, t); }); });
        edit->installEventFilter(this);
    };
    onText(ui->edt_tatal, TagField::Title);
    onText(ui->edt_art, TagField::Artist);
    onText(ui->edt_alb, TagField::Album);
    onText(ui->edt_year, TagField::Year);
    connect(ui->edt_genre, &QComboBox::editTextChanged, this,
            [this](const QString& t) { handle([&] { m_model.setField(TagField::Genre, t); }); });
    connect(ui->edt_com, &QPlainTextEdit::textChanged, this, [this] {
        handle([&] { m_model.setField(TagField::Comment, ui->edt_com->toPlainText()); });
    });

    const std::pair<QPushButton*, TagField> allButtons[] = {
        {ui->Button1, TagField::Title}, {ui->Button2, TagField::Artist},
        {ui->Button3, TagField::Album}, {ui->Button4, TagField::Year},
        {ui->Button5, TagField::Genre}, {ui->Button6, TagField::Comment}};
    for (const auto& [button, field] : allButtons)
        connect(button, &QPushButton::clicked, this,
                [this, field = field] { handle([&] { m_model.AllClick(field); }); });

    connect(ui->lv_id3, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = ui->lv_id3->selectedItems();
        const int row = selected.isEmpty() ? -1 : ui->lv_id3->indexOfTopLevelItem(selected.first());
        handle([&] { m_model.lv_id3Click(row); });
    });
    connect(ui->Button7, &QPushButton::clicked, this, &Tfm_id3::Button7Click);
    connect(ui->btn_ok, &QPushButton::clicked, this, &Tfm_id3::btn_okClick);
    connect(ui->btn_cancel, &QPushButton::clicked, this, &Tfm_id3::btn_cancelClick);
}

template <typename Handler> void Tfm_id3::handle(Handler&& handler)
{
    if (m_refreshing)
        return;
    RunGuarded(m_prompts, std::forward<Handler>(handler));
    refresh();
}

void Tfm_id3::refresh()
{
    m_refreshing = true;
    if (ui->edt_genre->count() == 0 && !m_model.genreItems().isEmpty()) {
        const QSignalBlocker block(ui->edt_genre);
        ui->edt_genre->addItems(m_model.genreItems());
    }

    QTreeWidget* list = ui->lv_id3;
    {
        const QSignalBlocker block(list);
        const QStringList& rows = m_model.rows();
        while (list->topLevelItemCount() > rows.size())
            delete list->takeTopLevelItem(list->topLevelItemCount() - 1);
        for (int i = 0; i < rows.size(); ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            if (!item)
                item = new QTreeWidgetItem(list);
            if (item->text(0) != rows.at(i))
                item->setText(0, rows.at(i));
        }
        list->setColumnWidth(0, m_model.columnWidth());
        const int selected = m_model.selectedRow();
        if (selected >= 0)
            list->setCurrentItem(list->topLevelItem(selected));
        else
            list->clearSelection();
    }

    const auto setText = [](QLineEdit* edit, const QString& text) {
        const QSignalBlocker block(edit);
        if (edit->text() != text)
            edit->setText(text);
    };
    setText(ui->edt_tatal, m_model.fieldText(TagField::Title));
    setText(ui->edt_art, m_model.fieldText(TagField::Artist));
    setText(ui->edt_alb, m_model.fieldText(TagField::Album));
    setText(ui->edt_year, m_model.fieldText(TagField::Year));
    if (ui->edt_genre->currentText() != m_model.fieldText(TagField::Genre)) {
        const QSignalBlocker block(ui->edt_genre);
        ui->edt_genre->setEditText(m_model.fieldText(TagField::Genre));
    }
    if (ui->edt_com->toPlainText() != m_model.fieldText(TagField::Comment)) {
        const QSignalBlocker block(ui->edt_com);
        ui->edt_com->setPlainText(m_model.fieldText(TagField::Comment));
    }
    m_refreshing = false;
}

void Tfm_id3::showEvent(QShowEvent* event)
{
    FormShow();
    if (m_mainWindow)
        move(pos() + m_mainWindow->frameGeometry().center() - frameGeometry().center());
    QDialog::showEvent(event);
}

void Tfm_id3::FormShow()
{
    handle([this] { m_model.FormShow(m_list); });
    ui->lv_id3->setFocus();
}

void Tfm_id3::btn_okClick()
{
    handle([this] { m_model.btn_okClick(m_list); });
    accept();
}

void Tfm_id3::btn_cancelClick()
{
    reject();
}

void Tfm_id3::Button7Click()
{
    handle([this] { m_model.Button7Click(m_list); });
}

void Tfm_id3::done(int result)
{
    handle([this] { m_model.FormCloseQuery(); });
    QDialog::done(result);
}

bool Tfm_id3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const std::pair<QObject*, TagField> fields[] = {{ui->edt_tatal, TagField::Title},
                                                        {ui->edt_art, TagField::Artist},
                                                        {ui->edt_alb, TagField::Album},
                                                        {ui->edt_year, TagField::Year}};
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            for (const auto& [edit, field] : fields)
                if (edit == watched)
                    handle([&, field = field] { m_model.fieldExit(field); });
    }
    return QDialog::eventFilter(watched, event);
}
