#include "gui/Tfm_main.h"

#include "base/Guarded.h"
#include "dialogs/HelpLinks.h"
#include "gui/FrontPanelMenus.h"
#include "gui/SkinIcons.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/skin/SkinView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

// The controls on the panel follow the skin's midnight colours.
const char* const kControlStyle = R"(
QTreeView#lv, QTreeView#lv_time {
    background: #121925; alternate-background-color: #151d2b; color: #dfe6f0;
    border: 1px solid #2d3950; selection-background-color: #2f6db3;
    selection-color: #ffffff; outline: 0;
}
QTreeView#lv QHeaderView, QTreeView#lv_time QHeaderView { background: #222c3d; }
QTreeView#lv QHeaderView::section, QTreeView#lv_time QHeaderView::section {
    background: #222c3d; color: #a9b6ca; border: 0; border-right: 1px solid #2d3950;
    border-bottom: 1px solid #2d3950; padding: 0 4px; height: 15px;
}
QTreeView#lv QScrollBar, QTreeView#lv_time QScrollBar { background: #121925; margin: 0; }
QTreeView#lv QScrollBar:vertical, QTreeView#lv_time QScrollBar:vertical { width: 10px; }
QTreeView#lv QScrollBar:horizontal, QTreeView#lv_time QScrollBar:horizontal { height: 10px; }
QTreeView#lv QScrollBar::handle, QTreeView#lv_time QScrollBar::handle {
    background: #34425a; border-radius: 4px; min-height: 20px; min-width: 20px; margin: 1px;
}
QTreeView#lv QScrollBar::add-line, QTreeView#lv QScrollBar::sub-line,
QTreeView#lv_time QScrollBar::add-line, QTreeView#lv_time QScrollBar::sub-line {
    height: 0; width: 0;
}
QPlainTextEdit#sm {
    background: #151c29; border: 1px solid rgb(104, 104, 104);
}
QPlainTextEdit#sm:disabled { color: #9fb0c8; }
QLineEdit#edt_dir {
    background: #0d121b; color: #e6ecf5; border: 1px solid #000000; padding: 0 3px;
    selection-background-color: #2f6db3;
}
QComboBox#cb_format {
    background: #222c3d; color: #e6ecf5; border: 1px solid #3a4963; border-radius: 3px;
    padding: 0 4px;
}
QComboBox#cb_format:hover { border-color: #3da5ff; }
QComboBox#cb_format::drop-down { width: 14px; border: 0; }
QComboBox#cb_format QAbstractItemView {
    background: #1b2331; color: #e6ecf5; selection-background-color: #2f6db3;
    border: 1px solid #3a4963;
}
)";

QTreeView* reportView(QWidget* parent, const QString& name, const QStringList& captions,
                      const QList<int>& widths, const QRect& geometry)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(name);
    auto* model = new QStandardItemModel(0, static_cast<int>(captions.size()), view);
    model->setHorizontalHeaderLabels(captions);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->header()->setSectionsClickable(false);
    view->header()->setSectionsMovable(false);
    view->header()->setStretchLastSection(false);
    for (int i = 0; i < widths.size(); ++i)
        view->setColumnWidth(i, widths[i]);
    view->setGeometry(geometry);
    return view;
}

} // namespace

Tfm_main::Tfm_main(Prompts& prompts, Shell& shell, const QString& iniPath, const QString& skinFile)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_session(prompts, shell, iniPath, skinFile)
{
    setObjectName(QStringLiteral("fm_main"));
    setWindowTitle(QStringLiteral("Vessimo"));
    setWindowIcon(SkinIcon(QStringLiteral("logo"), QColor(0x3d, 0xa5, 0xff)));
    setFixedSize(521, 380);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    setFont(font);
    createControls();
    createMenus();
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
    Skin1 = new SkinView(m_session.skin(), this, this);
    Skin1->setObjectName(QStringLiteral("Skin1"));
    Skin1->setGeometry(rect());

    lv = reportView(this, QStringLiteral("lv"),
                    {QStringLiteral("File name"), QStringLiteral("Time")}, {143, 61},
                    QRect(37, 103, 205, 182));
    lv_time = reportView(this, QStringLiteral("lv_time"),
                         {QStringLiteral("Begin Time - End Time"), QStringLiteral("Length"),
                          QStringLiteral("Status")},
                         {133, 52, 56}, QRect(242, 103, 245, 182));

    sm = new QPlainTextEdit(this);
    sm->setObjectName(QStringLiteral("sm"));
    sm->setGeometry(36, 119, 453, 167);
    sm->setPlainText(helpText());
    sm->setReadOnly(true);
    sm->setEnabled(false);
    sm->setLineWrapMode(QPlainTextEdit::NoWrap);
    sm->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sm->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    edt_dir = new QLineEdit(QStringLiteral("C:\\My Music"), this);
    edt_dir->setObjectName(QStringLiteral("edt_dir"));
    edt_dir->setGeometry(232, 39, 131, 18);

    cb_format = new QComboBox(this);
    cb_format->setObjectName(QStringLiteral("cb_format"));
    cb_format->addItems({QStringLiteral("MP3"), QStringLiteral("WAV"), QStringLiteral("WMA"),
                         QStringLiteral("OGG")});
    cb_format->setCurrentIndex(0);
    cb_format->setGeometry(432, 37, 59, 21);

    setStyleSheet(QString::fromLatin1(kControlStyle));
}

void Tfm_main::createMenus()
{
    p_lv = BuildPopupMenu(Menu::p_lv, m_session, this);
    p_file = BuildPopupMenu(Menu::p_file, m_session, this);
    p_action = BuildPopupMenu(Menu::p_action, m_session, this);
    p_help = BuildPopupMenu(Menu::p_help, m_session, this);
    // The list menu opens where the lists were right-clicked.
    for (QTreeView* list : {lv, lv_time})
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint& at) { p_lv->popup(list->viewport()->mapToGlobal(at)); });

    SkinCommands& commands = m_session.commands();
    commands.provide(Operation::PopUpFileMenu, [this] { popUp(p_file, Menu::p_file); });
    commands.provide(Operation::PopUpActionMenu, [this] { popUp(p_action, Menu::p_action); });
    commands.provide(Operation::PopUpHelpMenu, [this] { popUp(p_help, Menu::p_help); });
    commands.provide(Operation::ShowAbout, [this] { About1Click(); });
    commands.provide(Operation::CloseMainWindow, [this] { close(); });
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
}

void Tfm_main::closeEvent(QCloseEvent* event)
{
    m_session.FormCloseQuery();
    event->accept();
    emit closed();
}
