// The About window: program name and version, and a link to the maker's product page.
#pragma once

#include <QDialog>

class QLabel;

class AboutWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)
public:
    explicit AboutWindow(QWidget* parent);

    QLabel* linkLabel() const { return m_link; }

protected:
    // FormKeyPress: any key closes the window.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setLinkColour(const QColor& colour);

    QLabel* m_link = nullptr;
};
