#include "app/aboutwindow.h"

#include "app/errordialog.h"
#include "app/weblinks.h"

#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(327, 175);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    icon->setGeometry(16, 16, 32, 32);

    auto* name = new QLabel(QStringLiteral("Tarnwick v1.3"), this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    name->setGeometry(64, 16, 250, 20);

    auto* more = new QLabel(QStringLiteral("More software, contact, tech support:"), this);
    more->setGeometry(64, 48, 250, 20);

    m_link = new QLabel(QString::fromLatin1(kProductPageUrl), this);
    m_link->setGeometry(64, 72, 250, 20);
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->installEventFilter(this);
    setLinkColour(QColor(0, 0, 255));

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 120, 311, 4);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(236, 136, 75, 25);
    ok->setDefault(true);
    ok->installEventFilter(this); // the window sees every key before its button does
    // Button1Click: closes the window.
    connect(ok, &QPushButton::clicked, this, [this] { guarded([this] { accept(); }); });
}

void AboutWindow::setLinkColour(const QColor& colour)
{
    QPalette palette = m_link->palette();
    palette.setColor(QPalette::WindowText, colour);
    m_link->setPalette(palette);
}

void AboutWindow::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    accept();
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        accept();
        return true;
    }
    if (watched == m_link) {
        switch (event->type()) {
        case QEvent::Enter:
            setLinkColour(QColor(255, 0, 0));
            break;
        case QEvent::Leave:
            setLinkColour(QColor(0, 0, 255));
            break;
        case QEvent::MouseButtonRelease:
            QDesktopServices::openUrl(QUrl(QString::fromLatin1(kProductPageUrl)));
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
