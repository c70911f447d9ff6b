// The screen of a crawl without a window: grid lines are kept in arrival order, messages are
// remembered for the caller, questions are answered No.
#pragma once

#include "crawl/crawlscreen.h"

#include <cstdint>
#include <string>
#include <vector>

class HeadlessScreen : public CrawlScreen {
public:
    const std::vector<int32_t>& lines() const { return m_lines; }
    const std::vector<std::string>& messages() const { return m_messages; }
    const std::string& statusPanel(int panel) const { return m_panels[static_cast<size_t>(panel)]; }

    void setStartUrl(const std::string& text) { m_startUrl = text; }
    void setStayInPath(bool on) { m_stayInPath = on; }

    void showMessage(const std::string& text) override { m_messages.push_back(text); }
    bool askYesNo(const std::string&) override { return false; }
    void setStatusPanel(int panel, const std::string& text) override;
    void setWindowCaption(const std::string&) override {}
    void setStartButtonCaption(const std::string&) override {}
    std::string startUrlText() const override { return m_startUrl; }
    void setStartUrlText(const std::string& text) override { m_startUrl = text; }
    bool stayInPath() const override { return m_stayInPath; }
    void setStayInPathEnabled(bool) override {}
    void setIdleControlsEnabled(bool) override {}
    void clearGridLines() override { m_lines.clear(); }
    void addGridLine(int32_t row) override { m_lines.push_back(row); }
    void refreshGrid() override {}
    void clearRawHeader() override {}
    void saveReport() override {}

private:
    std::vector<int32_t> m_lines;
    std::vector<std::string> m_messages;
    std::string m_panels[4];
    std::string m_startUrl;
    bool m_stayInPath = false;
};
