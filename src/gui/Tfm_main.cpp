#include "gui/Tfm_main.h"

#include "base/Guarded.h"
#include "dialogs/HelpLinks.h"
#include "gui/JobListViews.h"
#include "gui/SkinIcons.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/skin/SkinView.h"
#include "ui_Tfm_main.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
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
    createControls();
    createHelpMenu();
    createListMenus();
    m_lists = new JobListViews(m_session, lv, lv_time, sm, p_lv);

    m_session.commands().add(QStringLiteral("Help"), [this] { popUp(p_help, 383, 32); });
    m_session.commands().add(QStringLiteral("file"), [this] {
        if (!m_session.runner().JobRunning)
            popUp(p_file, 179, 32);
    });
    m_session.commands().add(QStringLiteral("action"), [this] {
        if (!m_session.runner().JobRunning)
            popUp(p_action, 211, 32);
    });
}

void Tfm_main::addPaths(const QStringList& paths)
{
    m_lists->addPaths(paths);
}

void Tfm_main::createListMenus()
{
    struct Item {
        const char* caption;
        const char* icon;
        const char* command;
    };
    const auto menu = [this](const char* name, std::initializer_list<Item> items) {
        auto* m = new QMenu(this);
        m->setObjectName(QString::fromLatin1(name));
        for (const Item& item : items) {
            if (!item.caption) {
                m->addSeparator();
                continue;
            }
            const QString command = QString::fromLatin1(item.command);
            m->addAction(SkinIcon(QString::fromLatin1(item.icon)),
                         QString::fromLatin1(item.caption), this, [this, command] {
                             if (command == QLatin1String("exit"))
                                 close();
                             else
                                 RunGuarded(m_session.prompts(),
                                            [&] { m_session.menuCommands().run(command); });
                         });
        }
        return m;
    };
    const Item separator{nullptr, nullptr, nullptr};
    p_lv = menu("p_lv", {{"Add File", "add", "add files"},
                         {"Add Path", "folder", "add folder"},
                         separator,
                         {"Clear", "clear", "clear"},
                         {"Remove", "remove", "remove file"},
                         separator,
                         {"ID3 info", "info", "tag editor"},
                         separator,
                         {"UP", "up", "move up"},
                         {"Down", "down", "move down"},
                         separator,
                         {"Stop", "halt", "stop all"}});
    p_file = menu("p_file", {{"Add File", "add", "add files"},
                             {"Add Folder", "folder", "add folder"},
                             separator,
                             {"Remove", "remove", "remove file"},
                             separator,
                             {"Exit", "logo", "exit"}});
    p_action = menu("p_action", {{"File Up", "up", "move up"},
                                 {"File Down", "down", "move down"},
                                 separator,
                                 {"Remove", "remove", "remove file"},
                                 {"Clear", "clear", "clear"},
                                 separator,
                                 {"ID3 info", "info", "tag editor"},
                                 separator,
                                 {"Cutter", "cut", "cut"},
                                 {"Stop", "halt", "stop all"}});
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
    // A folder longer than the box shows its beginning, not its end, and the
    // whole path in the tooltip.
    connect(edt_dir, &QLineEdit::textChanged, this, [this](const QString& text) {
        edt_dir->setToolTip(text);
        if (!edt_dir->hasFocus())
            edt_dir->setCursorPosition(0);
    });
    edt_dir->setToolTip(edt_dir->text());
    setStyleSheet(controlStyle());
}

void Tfm_main::createHelpMenu()
{
    p_help = new QMenu(this);
    p_help->setObjectName(QStringLiteral("p_help"));
    p_help->addAction(SkinIcon(QStringLiteral("book")), QStringLiteral("Content"), this,
                      [this] { Content1Click(); });
    p_help->addSeparator();
    p_help->addAction(SkinIcon(QStringLiteral("globe")), QStringLiteral("HomePage"), this,
                      [this] { HomePage1Click(); });
    p_help->addSeparator();
    p_help->addAction(SkinIcon(QStringLiteral("info")), QStringLiteral("About"), this,
                      [this] { About1Click(); });
}

void Tfm_main::popUp(QMenu* menu, int x, int y)
{
    menu->popup(mapToGlobal(QPoint(x, y)));
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
    if (m_session.runner().JobRunning) {
        if (!m_waitingForJob) {
            m_waitingForJob = true;
            QTimer::singleShot(250, this, [this] {
                m_waitingForJob = false;
                addReceivedFiles();
            });
        }
        return;
    }
    m_lists->addPaths(std::exchange(m_receivedFiles, {}));
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
