#include "view/rawheaderwindow.h"

#include "view/displaytext.h"
#include "view/uifontwidget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

namespace {

QString wide(const std::string& bytes)
{
    const std::u16string text = widenSystemCodePage(bytes);
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

} // namespace

RawHeaderWindow::RawHeaderWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Raw Header"));
    setMinimumSize(200, 200);

    m_memo = new QPlainTextEdit(this);
    m_memo->setReadOnly(true);
    m_memo->setFont(uiFont(9));
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = m_memo->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    m_memo->setPalette(palette);

    m_copy = new QPushButton(QStringLiteral("Copy"), this);
    m_copy->resize(75, 25);
    m_copy->raise();
    connect(m_copy, &QPushButton::clicked, this, &RawHeaderWindow::copyClick);

    setGeometry(RawHeaderGeometry{}.left, RawHeaderGeometry{}.top, RawHeaderGeometry{}.width,
                RawHeaderGeometry{}.height);
}

void RawHeaderWindow::resizeEvent(QResizeEvent* event)
{
    m_memo->setGeometry(rect());
    m_copy->move(width() - m_copy->width() - 20, 2); // clear of the vertical scroll bar
    QWidget::resizeEvent(event);
}

void RawHeaderWindow::showHeader(const std::string& url, const std::string& receivedHeader)
{
    setWindowTitle(QStringLiteral("Received Header from:  ") + wide(url));
    // Header bytes are 8-bit text; the system code page widens them one byte per character.
    QString text = wide(receivedHeader);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_memo->setPlainText(text.isEmpty() ? QStringLiteral("No header received") : text);
}

void RawHeaderWindow::clearText() { m_memo->clear(); }

QString RawHeaderWindow::text() const { return m_memo->toPlainText(); }

void RawHeaderWindow::Button7Click() { setVisible(!isVisible()); }

RawHeaderGeometry RawHeaderWindow::currentGeometry() const
{
    // Position of the frame, size of the client area: what move() and resize() take back.
    return {x(), y(), width(), height(), isVisible()};
}

void RawHeaderWindow::restore(const RawHeaderGeometry& g)
{
    move(g.left, g.top);
    resize(std::max(g.width, 200), std::max(g.height, 200));
    if (g.shown)
        Button7Click();
}

void RawHeaderWindow::copyClick()
{
    m_memo->copy();
    const QString all = m_memo->toPlainText();
    if (!all.isEmpty())
        QGuiApplication::clipboard()->setText(all);
}
