#include "app/crawlerpanelwidget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CrawlerPanelWidget::CrawlerPanelWidget(QWidget* parent)
    : QGroupBox(QStringLiteral("Crawler"), parent)
{
    m_startUrl = new QLineEdit(this);
    m_startUrl->setMinimumWidth(320);
    m_stayInPath = new QCheckBox(QStringLiteral("stay in path"), this);
    m_start = new QPushButton(QStringLiteral("Start"), this);
    m_start->setMinimumWidth(90);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Start URL:"), this), 0, 0);
    layout->addWidget(m_startUrl, 1, 0, 1, 2);
    layout->addWidget(m_stayInPath, 2, 0);
    layout->addWidget(m_start, 2, 1, Qt::AlignRight);
}
