#include "gui/settings/Tfm_set.h"

#include "base/Guarded.h"
#include "gui/settings/OggQualitySpinBox.h"
#include "settings/SettingsDialogModel.h"
#include "ui_Tfm_set.h"

#include <QButtonGroup>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QSignalBlocker>

using settings::SettingsDialogModel;

namespace {

// Columns of the radio groups.
int columnsOf(const QString& group)
{
    if (group == QLatin1String("rg_prest"))
        return 4;
    if (group == QLatin1String("rg_alt"))
        return 2;
    return 1;
}

// The edit inside a spin box carries the name of the described edit beside
// its up-down.
void nameEdit(QSpinBox* spin, const char* name, bool readOnly)
{
    if (auto* edit = spin->findChild<QLineEdit*>()) {
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(readOnly);
    }
}

} // namespace

Tfm_set::Tfm_set(SettingsDialogModel& model, Prompts& prompts, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::Tfm_set>()), m_model(model), m_prompts(prompts),
      m_mainWindow(mainWindow)
{
    ui->setupUi(this);
    createLists();
    createPageTree();
    bindControls();
    refresh();
}

Tfm_set::~Tfm_set() = default;

void Tfm_set::createLists()
{
    ui->cb_fadeintime->addItems(SettingsDialogModel::FadeTimes());
    ui->cb_fadeouttime->addItems(SettingsDialogModel::FadeTimes());
    for (const settings::SettingsControl& control : settings::SettingsControls()) {
        QWidget* widget = findChild<QWidget*>(QLatin1String(control.name));
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->addItems(control.key->list->items);
        } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
            spin->setRange(control.minimum, control.maximum);
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            auto* group = new QButtonGroup(box);
            auto* grid = qobject_cast<QGridLayout*>(box->layout());
            const int columns = columnsOf(box->objectName());
            const QStringList& items = control.key->list->items;
            const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
            for (int i = 0; i < items.size(); ++i) {
                auto* radio = new QRadioButton(items.at(i), box);
                radio->setObjectName(QStringLiteral("%1_%2").arg(box->objectName()).arg(i));
                group->addButton(radio, i);
                // Filled column by column, as the items read down each column.
                grid->addWidget(radio, i % rows, i / rows);
            }
            m_radioGroups.insert(control.key, group);
        }
    }
    nameEdit(ui->ud_mp3_quality, "edt_mp3_quality", true);
    nameEdit(ui->ud_mp3_vbr, "edt_mp3_vbr", true);
    nameEdit(ui->ud_ogg_quality, "edt_ogg_quality", false);
}

void Tfm_set::createPageTree()
{
    const auto pages = settings::SettingsPages();
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
        const QStringList text{QString::fromLatin1(pages[i].node)};
        auto* item = pages[i].parent < 0
                         ? new QTreeWidgetItem(ui->TreeView1, text)
                         : new QTreeWidgetItem(m_pageItems.at(pages[i].parent), text);
        item->setData(0, Qt::UserRole, i);
        m_pageItems << item;
    }
    ui->TreeView1->expandAll();
    // Wide enough for every node at any font size, with room for the scroll bar.
    ui->TreeView1->resizeColumnToContents(0);
    ui->TreeView1->setFixedWidth(ui->TreeView1->columnWidth(0) + 2 * ui->TreeView1->frameWidth() +
                                 ui->TreeView1->fontMetrics().averageCharWidth() * 4);
}

void Tfm_set::bindControls()
{
    SettingsDialogModel& m = m_model;
    connect(ui->TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            handle([&] { m_model.TreeView1Click(item->data(0, Qt::UserRole).toInt()); });
    });

    const auto onChosen = [this](QRadioButton* radio, void (SettingsDialogModel::*click)()) {
        connect(radio, &QRadioButton::toggled, this, [this, click](bool on) {
            if (on)
                handle([&] { (m_model.*click)(); });
        });
    };
    onChosen(ui->rb_custom, &SettingsDialogModel::rb_customClick);
    onChosen(ui->rb_time, &SettingsDialogModel::rb_timeClick);
    onChosen(ui->rb_count, &SettingsDialogModel::rb_countClick);
    onChosen(ui->rb_unification, &SettingsDialogModel::rb_unificationClick);

    connect(ui->edt_time, &QLineEdit::textChanged, this,
            [this, &m](const QString& t) { handle([&] { m.setTimeText(t); }); });
    connect(ui->edt_count, &QLineEdit::textChanged, this,
            [this, &m](const QString& t) { handle([&] { m.setCountText(t); }); });
    ui->edt_time->installEventFilter(this);
    ui->edt_count->installEventFilter(this);

    connect(ui->cb_fadein, &QCheckBox::toggled, this,
            [this, &m](bool on) { handle([&] { m.setFadeIn(on); }); });
    connect(ui->cb_fadeout, &QCheckBox::toggled, this,
            [this, &m](bool on) { handle([&] { m.setFadeOut(on); }); });
    connect(ui->cb_fadeintime, &QComboBox::currentIndexChanged, this,
            [this, &m](int i) { handle([&] { m.setFadeInIndex(i); }); });
    connect(ui->cb_fadeouttime, &QComboBox::currentIndexChanged, this,
            [this, &m](int i) { handle([&] { m.setFadeOutIndex(i); }); });
    connect(ui->txtCommLine, &QPlainTextEdit::textChanged, this,
            [this, &m] { handle([&] { m.setCommandLineText(ui->txtCommLine->toPlainText()); }); });

    for (const settings::SettingsControl& control : settings::SettingsControls()) {
        const settings::Key* key = control.key;
        const auto set = [this, key](int v) { handle([&] { m_model.setValue(*key, v); }); };
        QWidget* widget = findChild<QWidget*>(QLatin1String(control.name));
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            connect(combo, &QComboBox::currentIndexChanged, this, set);
            if (combo->isEditable()) {
                // A typed text counts as the item it names, or as none.
                connect(combo, &QComboBox::editTextChanged, this, [set, key](const QString& t) {
                    set(static_cast<int>(key->list->items.indexOf(t)));
                });
            }
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            connect(check, &QCheckBox::toggled, this, [set](bool on) { set(on ? 1 : 0); });
        } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
            connect(spin, &QSpinBox::valueChanged, this, set);
        } else if (QButtonGroup* group = m_radioGroups.value(key)) {
            connect(group, &QButtonGroup::idToggled, this, [set](int id, bool on) {
                if (on)
                    set(id);
            });
        }
    }

    connect(ui->Ok, &QPushButton::clicked, this, &Tfm_set::OkClick);
    connect(ui->Button2, &QPushButton::clicked, this, &Tfm_set::Button2Click);
    connect(ui->Cancel, &QPushButton::clicked, this, &Tfm_set::reject);
}

template <typename Handler> void Tfm_set::handle(Handler&& handler)
{
    if (m_refreshing)
        return;
    RunGuarded(m_prompts, std::forward<Handler>(handler));
    refresh();
}

void Tfm_set::refresh()
{
    m_refreshing = true;
    const auto setChecked = [](QAbstractButton* button, bool on) {
        const QSignalBlocker block(button);
        button->setChecked(on);
    };
    const auto setIndex = [](QComboBox* combo, int i) {
        const QSignalBlocker block(combo);
        if (combo->currentIndex() != i && !(combo->isEditable() && i < 0))
            combo->setCurrentIndex(i);
    };
    const auto setText = [](QLineEdit* edit, const QString& text) {
        const QSignalBlocker block(edit);
        if (edit->text() != text)
            edit->setText(text);
    };

    QRadioButton* const choices[] = {ui->rb_custom, ui->rb_time, ui->rb_count, ui->rb_unification};
    setChecked(choices[m_model.functionChoice()], true);
    setText(ui->edt_time, m_model.timeText());
    setText(ui->edt_count, m_model.countText());
    setChecked(ui->cb_fadein, m_model.fadeIn());
    setChecked(ui->cb_fadeout, m_model.fadeOut());
    setIndex(ui->cb_fadeintime, m_model.fadeInIndex());
    setIndex(ui->cb_fadeouttime, m_model.fadeOutIndex());
    if (ui->txtCommLine->toPlainText() != m_model.commandLineText()) {
        const QSignalBlocker block(ui->txtCommLine);
        ui->txtCommLine->setPlainText(m_model.commandLineText());
    }

    for (const settings::SettingsControl& control : settings::SettingsControls()) {
        const int v = m_model.value(*control.key);
        QWidget* widget = findChild<QWidget*>(QLatin1String(control.name));
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            setIndex(combo, v);
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            setChecked(check, v != 0);
        } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
            const QSignalBlocker block(spin);
            if (spin->value() != v)
                spin->setValue(v);
        } else if (QButtonGroup* group = m_radioGroups.value(control.key)) {
            if (QAbstractButton* button = group->button(v))
                setChecked(button, true);
        }
    }
    for (const QString& name : m_model.ruledControls())
        if (QWidget* widget = findChild<QWidget*>(name))
            widget->setEnabled(m_model.isEnabled(name));

    if (m_model.page() >= 0) {
        ui->lab->setText(m_model.title());
        if (auto* page = ui->pages->findChild<QWidget*>(m_model.groupBox()))
            ui->pages->setCurrentWidget(page);
        const QSignalBlocker block(ui->TreeView1);
        ui->TreeView1->setCurrentItem(m_pageItems.at(m_model.page()));
    }
    m_refreshing = false;
}

void Tfm_set::showEvent(QShowEvent* event)
{
    if (m_mainWindow)
        move(m_mainWindow->pos() + QPoint(10, 10));
    FormShow();
    QDialog::showEvent(event);
}

void Tfm_set::FormShow()
{
    handle([this] { m_model.FormShow(); });
    ui->TreeView1->setFocus();
}

void Tfm_set::OkClick()
{
    handle([this] {
        if (m_model.OkClick())
            accept();
    });
}

void Tfm_set::Button2Click()
{
    handle([this] { m_model.Button2Click(); });
}

void Tfm_set::CancelClick()
{
    reject();
}

void Tfm_set::reject()
{
    handle([this] { m_model.CancelClick(); });
    QDialog::reject();
}

void Tfm_set::done(int result)
{
    m_closing = true;
    QDialog::done(result);
    m_closing = false;
}

bool Tfm_set::eventFilter(QObject* watched, QEvent* event)
{
    const bool time = watched == ui->edt_time;
    if (time || watched == ui->edt_count) {
        if (event->type() == QEvent::KeyPress) {
            // A character other than a digit is ignored where it is typed;
            // Enter and the editing keys keep their meaning.
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && text.at(0).isPrint() &&
                !SettingsDialogModel::acceptsTypedCharacter(text.at(0)))
                return true;
        } else if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // Another window coming to the front does not leave the edit.
            if (!m_closing && reason != Qt::ActiveWindowFocusReason &&
                reason != Qt::PopupFocusReason)
                handle([&] { time ? m_model.edt_timeExit() : m_model.edt_countExit(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}
