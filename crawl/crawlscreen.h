// The screen as the crawl controller sees it. The main window implements it; the headless
// command and the tests implement it without widgets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CrawlScreen {
public:
    virtual ~CrawlScreen() = default;

    // Modal notices and questions; a question is answered Yes (true) or No (false).
    virtual void showMessage(const std::string& text) = 0;
    virtual bool askYesNo(const std::string& text) = 0;

    // Status bar panels 0 to 3, the window caption and the Start/Abort button's caption.
    virtual void setStatusPanel(int panel, const std::string& text) = 0;
    virtual void setWindowCaption(const std::string& text) = 0;
    virtual void setStartButtonCaption(const std::string& text) = 0;

    // The "Start URL:" field and the "stay in path" check box.
    virtual std::string startUrlText() const = 0;
    virtual void setStartUrlText(const std::string& text) = 0;
    virtual bool stayInPath() const = 0;
    virtual void setStayInPathEnabled(bool enabled) = 0;

    // Menus and start controls that must not be used during a scan.
    virtual void setIdleControlsEnabled(bool enabled) = 0;

    // Grid lines: removing them all also ends the blank start-up state.
    virtual void clearGridLines() = 0;
    virtual void addGridLine(int32_t row) = 0;
    virtual void refreshGrid() = 0;

    virtual void clearRawHeader() = 0;

    // Runs the "Save Report" command (the Yes answer of the unsaved-changes prompt).
    virtual void saveReport() = 0;

    // Diagnostics: the state histogram and the "Active URLs" list.
    virtual bool diagnosticsOn() const { return false; }
    virtual void setStateHistogram(const std::vector<std::string>& lines) {}
    virtual void showActiveUrls(const std::vector<std::string>& lines) {}
    // Empties the "Active URLs" list without showing it (a new scan starts).
    virtual void clearActiveUrls() {}
};
