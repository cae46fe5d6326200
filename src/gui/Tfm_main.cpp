// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/Tfm_main.h"

#include "base/Guarded.h"
#include "dialogs/HelpLinks.h"
#include "gui/FrontPanelMenus.h"
#include "gui/JobListViews.h"
#include "gui/SkinIcons.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/skin/SkinAccessible.h"
#include "gui/skin/SkinView.h"
#include "gui/skin/SliderWaveform.h"
#include "ui_Tfm_main.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>

#include <utility>

namespace {

// The controls on the panel follow the skin's colours, kept beside the form.
QString controlStyle()
{
    QFile file(QStringLiteral(":/gui/Tfm_main.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The main window is announced as a window, not as a plain client area.
QAccessibleInterface* mainWindowAccessible(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (className == QLatin1String("Tfm_main") && widget && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

Tfm_main::Tfm_main(Prompts& prompts, Shell& shell, const QString& iniPath, const QString& skinFile)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_session(prompts, shell, iniPath, skinFile)
{
    setWindowIcon(SkinIcon(QStringLiteral("logo"), QColor(0x3d, 0xa5, 0xff)));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    setFont(font);
    static const bool accessible = [] {
        InstallSkinAccessibility();
        QAccessible::installFactory(mainWindowAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    createControls();
    createMenus();
    m_lists = new JobListViews(m_session, lv, lv_time, sm, p_lv);
    m_waveform = new SliderWaveform(m_session, *Skin1);
    Skin1->sliderUnderlay = [this](QPainter& p, const SkinSlider& slider) {
        m_waveform->paint(p, slider);
    };
    createKeys();
    // The file list sits in the middle of the window and is where the work
    // starts: Tab visits the lists first, then the panel's elements, then
    // the two boxes at the top.
    setTabOrder(lv, lv_time);
    setTabOrder(lv_time, Skin1);
    setTabOrder(Skin1, edt_dir);
    setTabOrder(edt_dir, cb_format);
    // Drops are taken by the window as a whole; the controls that would take
    // them for text of their own leave them to it.
    setAcceptDrops(true);
    sm->setAcceptDrops(false);
    sm->viewport()->setAcceptDrops(false);
    edt_dir->setAcceptDrops(false);
}

void Tfm_main::addPaths(const QStringList& paths)
{
    m_lists->addPaths(paths);
}

Tfm_main::~Tfm_main() = default;

QString Tfm_main::helpText()
{
    const QString indent(7, QLatin1Char(' '));
    return QStringList{
        QString(),
        QString(),
        indent + QStringLiteral("1. Click \"Add\" to add files you want to convert"),
        indent + QStringLiteral("2. Set begin-time/end-time for every file.") + QString(12, ' '),
        indent + QStringLiteral("3. Click \"OK\" button to notarize."),
        indent + QStringLiteral("4. Set Output Format"),
        indent + QStringLiteral("5. To cut piece from one big audio file, Click \"Cutter\""),
        indent + QStringLiteral("6. To terminate the conversion, click \"Stop\" button. "),
        QStringLiteral(" "),
    }
        .join(QLatin1Char('\n'));
}

void Tfm_main::createControls()
{
    // The engine paints the whole client area; the ordinary controls lie on
    // top of the panel it draws.
    Ui::Tfm_main form;
    form.setupUi(this);
    Skin1 = form.Skin1;
    lv = form.lv;
    lv_time = form.lv_time;
    sm = form.sm;
    edt_dir = form.edt_dir;
    cb_format = form.cb_format;

    Skin1->setSkin(m_session.skin(), this);
    sm->setPlainText(helpText());

    // On Linux Qt names a combo box after its current item; assistive
    // technology then takes the box's name from the label it is the buddy
    // of. The skin paints the visible caption, so this label draws nothing.
    auto* formatLabel = new QLabel(QStringLiteral("Output format"), this);
    formatLabel->setObjectName(QStringLiteral("lbl_format"));
    formatLabel->setBuddy(cb_format);
    formatLabel->setGeometry(390, 37, 39, 22);
    formatLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette clear = formatLabel->palette();
    clear.setColor(QPalette::WindowText, Qt::transparent);
    formatLabel->setPalette(clear);
    // A folder longer than the box shows its beginning, not its end, and the
    // whole path in the tooltip.
    connect(edt_dir, &QLineEdit::textChanged, this, [this](const QString& text) {
        edt_dir->setToolTip(text);
        if (!edt_dir->hasFocus())
            edt_dir->setCursorPosition(0);
    });
    edt_dir->setToolTip(edt_dir->text());
    // A folder typed into the box is applied on Enter and when the box is
    // left; Escape puts the output folder back. While a job runs the box
    // shows the folder the job writes to and takes no typing.
    // Typed means: the box shows another folder than the output folder, also
    // when assistive technology set its text, which is no edit to Qt.
    m_session.folderBox().attach({[this] { return edt_dir->text(); },
                                  [this] { return folderTyped(); },
                                  [this](const QString& dir) { edt_dir->setText(dir); }});
    connect(edt_dir, &QLineEdit::editingFinished, this, [this] {
        RunGuarded(m_session.prompts(), [this] { m_session.folderBox().applyTyped(); });
    });
    edt_dir->installEventFilter(this);
    connect(&m_session.state(), &SessionState::modeChanged, edt_dir,
            [this](SessionState::Mode mode) {
                edt_dir->setReadOnly(mode == SessionState::Mode::Running);
            });
    // The jobs read the format box's item, and the join's save dialog sets it.
    FrontPanelJobs& jobs = m_session.jobPanel();
    jobs.setOutputFormat(cb_format->currentIndex());
    connect(cb_format, &QComboBox::currentIndexChanged, this,
            [&jobs](int index) { jobs.setOutputFormat(index); });
    jobs.onFormatChanged = [this](int format) {
        const QSignalBlocker block(cb_format);
        cb_format->setCurrentIndex(format);
    };
    // A cut reads the box before each piece: a format chosen half way would
    // mix formats and numbering, so the box waits for the job's end.
    connect(&m_session.state(), &SessionState::modeChanged, cb_format,
            [this](SessionState::Mode mode) {
                cb_format->setEnabled(mode != SessionState::Mode::Running);
            });
    setStyleSheet(controlStyle());
}

void Tfm_main::createMenus()
{
    p_lv = BuildPopupMenu(Menu::p_lv, m_session, this);
    p_file = BuildPopupMenu(Menu::p_file, m_session, this);
    p_action = BuildPopupMenu(Menu::p_action, m_session, this);
    p_help = BuildPopupMenu(Menu::p_help, m_session, this);
    SkinCommands& commands = m_session.commands();
    commands.provide(Operation::PopUpFileMenu, [this] { popUp(p_file, Menu::p_file); });
    commands.provide(Operation::PopUpActionMenu, [this] { popUp(p_action, Menu::p_action); });
    commands.provide(Operation::PopUpHelpMenu, [this] { popUp(p_help, Menu::p_help); });
    commands.provide(Operation::ShowAbout, [this] { About1Click(); });
    commands.provide(Operation::CloseMainWindow, [this] { close(); });
}

void Tfm_main::createKeys()
{
    const auto shortcut = [this](const QKeySequence& key, Command command) {
        auto* s = new QShortcut(key, this);
        connect(s, &QShortcut::activated, this, [this, command] { m_session.runCommand(command); });
    };
    shortcut(CommandShortcut(Command::AddFiles), Command::AddFiles);
    shortcut(CommandShortcut(Command::RemoveSelection), Command::RemoveSelection);
    shortcut(CommandShortcut(Command::HelpFile), Command::HelpFile);
    // Space plays, or stops what plays.
    auto* space = new QShortcut(CommandShortcut(Command::Play), this);
    connect(space, &QShortcut::activated, this, [this] {
        m_session.runCommand(m_session.state().PreviewActive() ? Command::StopPreview
                                                               : Command::Play);
    });
    lv_time->installEventFilter(this);
    // Space belongs to the boxes while they have the focus: it opens the
    // format list, and it is a character of a folder's name.
    cb_format->installEventFilter(this);
    Skin1->keyHandler = [this](SkinElement* focused, QKeyEvent* event) {
        return focused && focused->kind() == SkinKind::Slider && editorKey(event);
    };
}

bool Tfm_main::editorKey(QKeyEvent* event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier))
        return false;
    for (Command command :
         {Command::Begin, Command::End, Command::Ok, Command::StepBack, Command::StepForward}) {
        const QKeySequence key = CommandShortcut(command);
        const bool enter = command == Command::Ok && event->key() == Qt::Key_Enter;
        if (enter || (!key.isEmpty() && key[0].key() == event->key())) {
            m_session.runCommand(command);
            return true;
        }
    }
    return false;
}

bool Tfm_main::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == cb_format || watched == edt_dir) && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && !(key->modifiers() & ~Qt::KeypadModifier)) {
            event->accept();
            return true;
        }
    }
    if (watched == edt_dir && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && folderTyped()) {
        edt_dir->setText(m_session.options().outputDir);
        return true;
    }
    if (watched == lv_time && event->type() == QEvent::KeyPress &&
        editorKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

// popup(), never exec(): the click that opened the menu returns at once.
void Tfm_main::popUp(QMenu* menu, Menu id)
{
    menu->popup(mapToGlobal(PopupMenuOf(id).at));
}

void Tfm_main::Content1Click()
{
    RunGuarded(m_session.prompts(), [this] { OpenHelpFile(m_session.shell()); });
}

void Tfm_main::HomePage1Click()
{
    RunGuarded(m_session.prompts(), [this] { OpenHomePage(m_session.shell()); });
}

void Tfm_main::About1Click()
{
    if (m_about)
        m_about->showOrRaise();
}

void Tfm_main::receiveFiles(const QStringList& paths)
{
    m_receivedFiles += paths;
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    addReceivedFiles();
}

void Tfm_main::addReceivedFiles()
{
    if (m_receivedFiles.isEmpty())
        return;
    // A job walks the job list; the files wait until it has ended rather
    // than being dropped.
    if (m_session.state().busy()) {
        if (!m_waitingForJob) {
            m_waitingForJob = true;
            QTimer::singleShot(250, this, [this] {
                m_waitingForJob = false;
                addReceivedFiles();
            });
        }
        return;
    }
    // In the order given: runs of files as through the open-files dialog,
    // each folder as through the folder dialog.
    addPaths(std::exchange(m_receivedFiles, {}));
}

bool Tfm_main::folderTyped()
{
    return QDir::cleanPath(edt_dir->text().trimmed()) !=
           QDir::cleanPath(m_session.options().outputDir);
}

bool Tfm_main::takesDrop(const QDropEvent* event)
{
    return !m_session.state().busy() && !JobListViews::droppedPaths(event).isEmpty();
}

void Tfm_main::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void Tfm_main::dragMoveEvent(QDragMoveEvent* event)
{
    if (!takesDrop(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void Tfm_main::dropEvent(QDropEvent* event)
{
    if (!takesDrop(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Added from the event loop: the file manager that dragged them is let go
    // at once, and no message box runs inside its drop.
    m_receivedFiles += JobListViews::droppedPaths(event);
    QTimer::singleShot(0, this, [this] { addReceivedFiles(); });
}

void Tfm_main::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    RunGuarded(m_session.prompts(), [this] {
        m_session.FormShow(this, [this](const QString& dir) { edt_dir->setText(dir); });
    });
    Skin1->attach();
    // The keyboard starts where the work does, not on the panel's first
    // element, whose ring would read as a pressed state.
    lv->setFocus(Qt::OtherFocusReason);
}

void Tfm_main::closeEvent(QCloseEvent* event)
{
    m_session.FormCloseQuery();
    event->accept();
    emit closed();
}
