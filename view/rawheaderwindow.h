// The raw-header window: an always-on-top tool window showing the response header received
// for the grid's focused line, with a "Copy" button for the whole text.
#pragma once

#include "settings/settingsfiles.h"

#include <QWidget>

#include <string>

class QPlainTextEdit;
class QPushButton;


class RawHeaderWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RawHeaderWindow)
public:
    explicit RawHeaderWindow(QWidget* parent);

    // Shows what was received for one row; an empty header reads "No header received".
    void showHeader(const std::string& url, const std::string& receivedHeader);
    // Empties the text; the caption keeps the last URL.
    void clearText();
    QString text() const;

    // Button7Click: hides the window when shown, shows it otherwise.
    void Button7Click();

    RawHeaderGeometry currentGeometry() const;
    // Start-up restore from the saved geometry; a saved "shown" runs the toggle.
    void restore(const RawHeaderGeometry& geometry);

    QPlainTextEdit* displayMemo() const { return m_memo; }
    QPushButton* copyButton() const { return m_copy; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Copies the whole shown header, whatever part of it is selected.
    void copyClick();

    QPlainTextEdit* m_memo = nullptr;
    QPushButton* m_copy = nullptr;
};
