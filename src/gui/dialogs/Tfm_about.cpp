#include "gui/dialogs/Tfm_about.h"

#include "base/Shell.h"
#include "gui/SkinIcons.h"
#include "dialogs/HelpLinks.h"

#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>

#include <algorithm>

Tfm_about::Tfm_about(Shell& shell, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_shell(shell), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("fm_about"));
    setWindowTitle(QStringLiteral("fm_about"));
    setModal(false);
    setFixedSize(262, 272);

    pn_about = new QGroupBox(this);
    pn_about->setObjectName(QStringLiteral("pn_about"));
    pn_about->setGeometry(8, 6, 246, 258);

    Image1 = new QLabel(pn_about);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 20, 32, 32);
    Image1->setPixmap(SkinIcon(QStringLiteral("logo"), QColor(0x3d, 0xa5, 0xff))
                          .pixmap(QSize(32, 32), devicePixelRatioF()));

    Label45 = label(QStringLiteral("Vessimo"), 60, 20, 13);
    QFont bold = Label45->font();
    bold.setBold(true);
    Label45->setFont(bold);
    Label45->resize(Label45->sizeHint());
    Label46 = label(QStringLiteral("Version: "), 60, 40);
    Label47 = label(QStringLiteral("3.00"), 60 + Label46->sizeHint().width(), 40);

    Label48 = label(QStringLiteral("Cut a new small file from a large audio file. "), 16, 72);
    Label48->setWordWrap(true);
    Label48->setGeometry(16, 72, 214, 32);
    QPalette captionInk = Label48->palette();
    captionInk.setColor(QPalette::WindowText, QColor(0x00, 0x54, 0xe3));
    Label48->setPalette(captionInk);

    Label49 = label(QStringLiteral("Website:  "), 16, 128);
    Label50 = label(QStringLiteral("E-mail:  "), 16, 156);
    // The three links line up after the longer caption.
    const int linkX = 16 + std::max(Label49->width(), Label50->width());
    Label2 = link(kHomePage, linkX, 128);
    Label3 = link(kSalesMail, linkX, 156);
    Label4 = link(kSupportMail, linkX, 176);

    connect(Label2, &QLabel::linkActivated, this, [this] { Label2Click(); });
    connect(Label3, &QLabel::linkActivated, this, [this] { Label3Click(); });
    connect(Label4, &QLabel::linkActivated, this, [this] { Label4Click(); });
}

QLabel* Tfm_about::label(const QString& text, int x, int y, int pixelSize)
{
    auto* l = new QLabel(text, pn_about);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    l->setFont(f);
    l->setTextFormat(Qt::PlainText);
    l->move(x, y);
    l->resize(l->sizeHint());
    return l;
}

QLabel* Tfm_about::link(const QString& text, int x, int y)
{
    QLabel* l = label(text, x, y);
    l->setTextFormat(Qt::RichText);
    l->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff;text-decoration:underline\">"
                              "%1</a>")
                   .arg(text.toHtmlEscaped()));
    l->setOpenExternalLinks(false);
    l->setCursor(Qt::PointingHandCursor);
    l->resize(l->sizeHint());
    return l;
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
        move(m_mainWindow->pos() + QPoint(10, 10));
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
