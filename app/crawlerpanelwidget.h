// The "Crawler" group of the top band: start URL, "stay in path" and the Start/Abort button.
#pragma once

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QPushButton;

class CrawlerPanelWidget final : public QGroupBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CrawlerPanelWidget)
public:
    explicit CrawlerPanelWidget(QWidget* parent);

    QLineEdit* startUrl() const { return m_startUrl; }
    QCheckBox* stayInPath() const { return m_stayInPath; }
    QPushButton* startButton() const { return m_start; }

private:
    QLineEdit* m_startUrl = nullptr;
    QCheckBox* m_stayInPath = nullptr;
    QPushButton* m_start = nullptr;
};
