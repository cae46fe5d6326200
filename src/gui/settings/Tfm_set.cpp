// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/Tfm_set.h"

#include "base/Guarded.h"
#include "gui/dialogs/PlaceBesideMainWindow.h"
#include "gui/settings/SettingsControlNames.h"
#include "gui/settings/SettingsPages.h"
#include "settings/SettingsDialogModel.h"
#include "ui_Tfm_set.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

using settings::ControlId;
using settings::SettingsDialogModel;

namespace {

// The edits beside the up-downs carry the names of the described edits.
struct SpinEdit {
    ControlId spin;
    ControlId edit;
    bool readOnly;
};
constexpr SpinEdit kSpinEdits[] = {
    {ControlId::ud_mp3_quality, ControlId::edt_mp3_quality, true},
    {ControlId::ud_mp3_vbr, ControlId::edt_mp3_vbr, true},
    {ControlId::ud_ogg_quality, ControlId::edt_ogg_quality, false},
};

} // namespace

Tfm_set::Tfm_set(SettingsDialogModel& model, Prompts& prompts, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::Tfm_set>()), m_model(model), m_prompts(prompts),
      m_mainWindow(mainWindow)
{
    ui->setupUi(this);
    for (QWidget* page : createSettingsPages())
        ui->pages->addWidget(page);
    findControls();
    createLists();
    createPageTree();
    orderTabs();
    bindControls();
    refresh();
}

Tfm_set::~Tfm_set() = default;

template <typename T> T* Tfm_set::control(ControlId id) const
{
    return qobject_cast<T*>(control(id));
}

void Tfm_set::findControls()
{
    for (const SpinEdit& s : kSpinEdits) {
        auto* spin = findChild<QSpinBox*>(settingsControlName(s.spin));
        if (auto* edit = spin ? spin->findChild<QLineEdit*>() : nullptr) {
            edit->setObjectName(settingsControlName(s.edit));
            edit->setReadOnly(s.readOnly);
        }
    }
    for (ControlId id : settings::AllControlIds()) {
        QWidget* widget = findChild<QWidget*>(settingsControlName(id));
        // Only a form edited without its name table gets here; every test
        // of the dialog stops at once and names the control.
        if (!widget)
            qFatal("The settings forms have no control named %s", settingsControlName(id).data());
        m_controls[settings::indexOf(id)] = widget;
    }
}

void Tfm_set::createLists()
{
    control<QComboBox>(ControlId::cb_fadeintime)->addItems(SettingsDialogModel::FadeTimes());
    control<QComboBox>(ControlId::cb_fadeouttime)->addItems(SettingsDialogModel::FadeTimes());
    for (const settings::SettingsControl& c : settings::SettingsControls()) {
        QWidget* widget = control(c.id);
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->addItems(c.key->list->items);
        } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
            spin->setRange(c.minimum, c.maximum);
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            auto* group = new QButtonGroup(box);
            auto* grid = qobject_cast<QGridLayout*>(box->layout());
            const int columns = std::max(1, box->property("columns").toInt());
            const QStringList& items = c.key->list->items;
            const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
            for (int i = 0; i < items.size(); ++i) {
                auto* radio = new QRadioButton(items.at(i), box);
                radio->setObjectName(QStringLiteral("%1_%2").arg(box->objectName()).arg(i));
                group->addButton(radio, i);
                // Filled column by column, as the items read down each column.
                grid->addWidget(radio, i % rows, i / rows);
            }
            m_radioGroups.insert(c.key, group);
        }
    }
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

void Tfm_set::orderTabs()
{
    // The pages are forms of their own, added after the buttons; the
    // controls' order (reading order, page by page) is the order of Tab.
    // Hidden pages drop out of the chain by themselves.
    QList<QWidget*> chain{ui->TreeView1};
    for (ControlId id : settings::AllControlIds()) {
        QWidget* widget = control(id);
        if (!widget || qobject_cast<QAbstractSpinBox*>(widget->parentWidget()))
            continue;
        if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            for (auto* radio : box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
                chain << radio;
        } else if (widget->focusPolicy() != Qt::NoFocus) {
            chain << widget;
        }
    }
    chain << ui->Ok << ui->Button2 << ui->Cancel;
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
}

void Tfm_set::bindControls()
{
    SettingsDialogModel& m = m_model;
    connect(ui->TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            handle([&] { m_model.TreeView1Click(item->data(0, Qt::UserRole).toInt()); });
    });

    const auto onChosen = [this](ControlId id, void (SettingsDialogModel::*click)()) {
        connect(control<QRadioButton>(id), &QRadioButton::toggled, this, [this, click](bool on) {
            if (on)
                handle([&] { (m_model.*click)(); });
        });
    };
    onChosen(ControlId::rb_custom, &SettingsDialogModel::rb_customClick);
    onChosen(ControlId::rb_time, &SettingsDialogModel::rb_timeClick);
    onChosen(ControlId::rb_count, &SettingsDialogModel::rb_countClick);
    onChosen(ControlId::rb_unification, &SettingsDialogModel::rb_unificationClick);

    auto* time = control<QLineEdit>(ControlId::edt_time);
    auto* count = control<QLineEdit>(ControlId::edt_count);
    connect(time, &QLineEdit::textChanged, this,
            [this, &m](const QString& t) { handle([&] { m.setTimeText(t); }); });
    connect(count, &QLineEdit::textChanged, this,
            [this, &m](const QString& t) { handle([&] { m.setCountText(t); }); });
    time->installEventFilter(this);
    count->installEventFilter(this);

    const auto onToggled = [this](ControlId id, void (SettingsDialogModel::*set)(bool)) {
        connect(control<QCheckBox>(id), &QCheckBox::toggled, this,
                [this, set](bool on) { handle([&] { (m_model.*set)(on); }); });
    };
    onToggled(ControlId::cb_fadein, &SettingsDialogModel::setFadeIn);
    onToggled(ControlId::cb_fadeout, &SettingsDialogModel::setFadeOut);
    onToggled(ControlId::ck_mp3_copy, &SettingsDialogModel::setLosslessCopy);
    connect(control<QComboBox>(ControlId::cb_fadeintime), &QComboBox::currentIndexChanged, this,
            [this, &m](int i) { handle([&] { m.setFadeInIndex(i); }); });
    connect(control<QComboBox>(ControlId::cb_fadeouttime), &QComboBox::currentIndexChanged, this,
            [this, &m](int i) { handle([&] { m.setFadeOutIndex(i); }); });
    auto* commandLine = control<QPlainTextEdit>(ControlId::txtCommLine);
    connect(commandLine, &QPlainTextEdit::textChanged, this, [this, &m, commandLine] {
        handle([&] { m.setCommandLineText(commandLine->toPlainText()); });
    });

    for (const settings::SettingsControl& c : settings::SettingsControls()) {
        const settings::Key* key = c.key;
        const auto set = [this, key](int v) { handle([&] { m_model.setValue(*key, v); }); };
        QWidget* widget = control(c.id);
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

    const ControlId choices[] = {ControlId::rb_custom, ControlId::rb_time, ControlId::rb_count,
                                 ControlId::rb_unification};
    setChecked(control<QRadioButton>(choices[m_model.functionChoice()]), true);
    setText(control<QLineEdit>(ControlId::edt_time), m_model.timeText());
    setText(control<QLineEdit>(ControlId::edt_count), m_model.countText());
    setChecked(control<QCheckBox>(ControlId::cb_fadein), m_model.fadeIn());
    setChecked(control<QCheckBox>(ControlId::cb_fadeout), m_model.fadeOut());
    setIndex(control<QComboBox>(ControlId::cb_fadeintime), m_model.fadeInIndex());
    setIndex(control<QComboBox>(ControlId::cb_fadeouttime), m_model.fadeOutIndex());
    setChecked(control<QCheckBox>(ControlId::ck_mp3_copy), m_model.losslessCopy());
    auto* commandLine = control<QPlainTextEdit>(ControlId::txtCommLine);
    if (commandLine->toPlainText() != m_model.commandLineText()) {
        const QSignalBlocker block(commandLine);
        commandLine->setPlainText(m_model.commandLineText());
    }

    for (const settings::SettingsControl& c : settings::SettingsControls()) {
        const int v = m_model.value(*c.key);
        QWidget* widget = control(c.id);
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            setIndex(combo, v);
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            setChecked(check, v != 0);
        } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
            const QSignalBlocker block(spin);
            if (spin->value() != v)
                spin->setValue(v);
        } else if (QButtonGroup* group = m_radioGroups.value(c.key)) {
            if (QAbstractButton* button = group->button(v))
                setChecked(button, true);
        }
    }
    for (ControlId id : settings::AllControlIds())
        control(id)->setEnabled(m_model.isEnabled(id));

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
        PlaceBesideMainWindow(*this, *m_mainWindow);
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
    const bool time = watched == control(ControlId::edt_time);
    if (time || watched == control(ControlId::edt_count)) {
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
