// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/Tfm_about.h"

#include "base/Shell.h"
#include "base/Version.h"
#include "dialogs/HelpLinks.h"
#include "gui/SkinIcons.h"
#include "gui/dialogs/PlaceBesideMainWindow.h"
#include "ui_Tfm_about.h"

#include <QAccessibleWidget>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>

namespace {

const char* const kLinkProperty = "vessimoLinkTarget";

// A link label as assistive technology meets it: a link named by what it
// shows, with an action that follows it, as a click or Enter does.
class LinkLabelAccessible : public QAccessibleWidget {
public:
    explicit LinkLabelAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return label()->property(kLinkProperty).toString();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    QString localizedActionDescription(const QString& name) const override
    {
        return name == pressAction() ? QStringLiteral("Open the link")
                                     : QAccessibleWidget::localizedActionDescription(name);
    }
    void doAction(const QString& name) override
    {
        if (name != pressAction()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        // Queued: the caller never waits for the browser or the mail program.
        QPointer<QLabel> l = label();
        QTimer::singleShot(0, l, [l] {
            if (l)
                emit l->linkActivated(l->property(kLinkProperty).toString());
        });
    }

private:
    QLabel* label() const { return static_cast<QLabel*>(widget()); }
};

QAccessibleInterface* linkLabelAccessible(const QString& className, QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (className == QLatin1String("QLabel") && label && label->property(kLinkProperty).isValid())
        return new LinkLabelAccessible(label);
    return nullptr;
}

} // namespace

Tfm_about::Tfm_about(Shell& shell, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_shell(shell), m_mainWindow(mainWindow)
{
    Ui::Tfm_about form;
    form.setupUi(this);
    pn_about = form.pn_about;
    Image1 = form.Image1;
    Label45 = form.Label45;
    Label46 = form.Label46;
    Label47 = form.Label47;
    Label48 = form.Label48;
    Label49 = form.Label49;
    Label50 = form.Label50;
    Label2 = form.Label2;
    Label3 = form.Label3;
    Label4 = form.Label4;

    // Pixel sizes, which a form file cannot hold; the labels take the box's.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    pn_about->setFont(font);
    QFont title = font;
    title.setPixelSize(13);
    title.setBold(true);
    Label45->setFont(title);

    Image1->setPixmap(SkinIcon(QStringLiteral("logo"), QColor(0x3d, 0xa5, 0xff))
                          .pixmap(QSize(32, 32), devicePixelRatioF()));
    // The purpose in the accent of the program's palette (the desktop's caption
    // blue of old), which the skin's palette keeps readable on its background.
    QPalette captionInk = Label48->palette();
    captionInk.setColor(QPalette::WindowText, palette().color(QPalette::Link));
    Label48->setPalette(captionInk);

    // The box keeps its own number and names the build's version beside it,
    // the one the title bar and --version show.
    Label47->setText(Label47->text() + QStringLiteral(" (") + ProgramVersion() + QLatin1Char(')'));
    setLink(Label2, kHomePage);
    setLink(Label3, kSalesMail);
    setLink(Label4, kSupportMail);
    for (QLabel* l : {Label45, Label46, Label47, Label49, Label50, Label2, Label3, Label4})
        l->resize(l->sizeHint());
    // The version follows its caption, and the three links line up after the
    // longer caption.
    Label47->move(Label46->x() + Label46->width(), Label47->y());
    const int linkX = Label49->x() + std::max(Label49->width(), Label50->width());
    for (QLabel* l : {Label2, Label3, Label4})
        l->move(linkX, l->y());

    connect(Label2, &QLabel::linkActivated, this, [this] { Label2Click(); });
    connect(Label3, &QLabel::linkActivated, this, [this] { Label3Click(); });
    connect(Label4, &QLabel::linkActivated, this, [this] { Label4Click(); });
}

void Tfm_about::setLink(QLabel* label, const QString& target)
{
    static const bool factory = [] {
        QAccessible::installFactory(linkLabelAccessible);
        return true;
    }();
    Q_UNUSED(factory);
    // Marked first: a screen reader may ask for the label as its text is set.
    label->setProperty(kLinkProperty, target);
    // Blue and underlined: the palette's link colour, readable on the box.
    label->setText(QStringLiteral("<a href=\"%1\" style=\"color:%2;text-decoration:underline\">"
                                  "%1</a>")
                       .arg(target.toHtmlEscaped(), label->palette().color(QPalette::Link).name()));
    // Reached with Tab and followed with Enter, as well as clicked.
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
}

void Tfm_about::showOrRaise()
{
    if (isVisible()) {
        // Minimised, it has to come back before it can come forward.
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        return;
    }
    show();
}

void Tfm_about::showEvent(QShowEvent* event)
{
    // Placed when shown, not when the desktop shows it again after a restore.
    if (m_mainWindow && !event->spontaneous())
        PlaceBesideMainWindow(*this, *m_mainWindow);
    QDialog::showEvent(event);
}

void Tfm_about::Label2Click()
{
    OpenHomePage(m_shell);
}

void Tfm_about::Label3Click()
{
    m_shell.startMail(kSalesMail);
}

void Tfm_about::Label4Click()
{
    m_shell.startMail(kSupportMail);
}
