// The status bar texts and the diagnostics views of the crawl.
#include "crawl/crawlcontroller.h"

#include <algorithm>
#include <array>

int CrawlController::activeSlotCount() const
{
    return static_cast<int>(std::count_if(m_data.Slots.begin(), m_data.Slots.end(),
                                          [](const trequest& slot) { return slot.Active; }));
}

void CrawlController::RefreshStatus()
{
    const int active = activeSlotCount();
    if (active > 0)
        m_data.StatusText = std::to_string(active) + " streams running";
    m_screen.setStatusPanel(0, "URLs in queue: " + std::to_string(m_data.Queue.size()));
    m_screen.setStatusPanel(1, "Finished URLs: " + std::to_string(m_data.Finished.size())
                                   + "  Pages in sitemap:" + std::to_string(m_data.PagesInSitemap));
    m_screen.setStatusPanel(2, "Status: " + m_data.StatusText);
    m_screen.setStatusPanel(3, SettingsSummary(m_data.Connections, m_data.HttpVersion, m_settings.timeoutSeconds,
                                               m_data.UserAgent));
}

void CrawlController::Button8Click()
{
    std::vector<std::string> lines;
    for (int i = 1; i <= m_data.Connections; ++i) {
        const trequest& slot = m_data.slot(i);
        if (slot.Client)
            lines.push_back(std::string(httpStateName(slot.Client->state())) + "   " + slot.Client->url());
    }
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return CaseLess()(std::string_view(a).substr(0, a.find(' ')), std::string_view(b).substr(0, b.find(' ')));
    });
    m_screen.showActiveUrls(lines);
}

void CrawlController::RefreshStateHistogram()
{
    std::array<int, kHttpStateCount> counts{};
    for (const trequest& slot : m_data.Slots) {
        // A slot that never ran a request counts as a client at rest.
        const HttpState state = slot.Client ? slot.Client->state() : HttpState::httpReady;
        ++counts[static_cast<std::size_t>(state)];
    }
    std::vector<std::string> lines;
    for (int i = 0; i < kHttpStateCount; ++i)
        lines.push_back(std::string(httpStateName(static_cast<HttpState>(i))) + "  "
                        + std::to_string(counts[static_cast<std::size_t>(i)]));
    m_screen.setStateHistogram(lines);
}
