// The crawl controller: validates the start URL, runs a scan over the queue, hands queue
// entries to free connection slots, turns every completed request into a row (or a re-queue,
// or a redirect hop), notices the end of the scan and keeps it moving with two timers.
//
// It touches no widget: the screen is reached through CrawlScreen, clients are made by an
// injected HttpClientFactory, and the tuning is read live from ProjectSettings.
#pragma once

#include "crawl/crawldata.h"
#include "crawl/crawlscreen.h"
#include "crawl/httpclient.h"
#include "settings/projectsettings.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class HtmlParser;
class HtmlTag;
class HtmlLink;

class CrawlController : public QObject, private HttpClientListener {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CrawlController)

public:
    static constexpr int kWatchdogIntervalMs = 1000;
    static constexpr int kAbortAndContinueIntervalMs = 180000;

    CrawlController(CrawlScreen& screen, HttpClientFactory& factory, ProjectSettings& settings,
                    QObject* parent = nullptr);
    ~CrawlController() override;

    CrawlData& data() { return m_data; }
    const CrawlData& data() const { return m_data; }
    bool scanning() const { return m_scanning; }

    // Writes the sitemap tags of a row as it is appended; rows keep empty tags without it.
    std::function<void(trow&)> stampNewRowTags;

    // Copies the three working values (the settings dialog calls this when it loads or is
    // confirmed); the connection count takes effect at the next dispatch pass.
    void setWorkingSettings(const WorkingSettings& working);
    // For tests: timer intervals and the millisecond clock.
    void setTimerIntervals(int watchdogMs, int abortAndContinueMs);
    void setTickSource(std::function<int64_t()> ticks);

    void Button1Click();  // Start/Abort button: starts a scan when idle, aborts it otherwise
    void Button12Click(); // validates the start URL, seeds the queue, runs the scan
    void Button4Click();  // Run Scan: starts a scan over whatever the queue holds
    void Button10Click(); // one dispatch pass over the free slots
    void Button6Click();  // abort and continue: stops every request in flight and re-queues it
    void Button8Click();  // shows the "Active URLs" list
    void Timer2Timer();   // watchdog: aborts requests that got no header within the time-out
    void Timer4Timer();   // runs abort and continue every 180 seconds
    void FormShow();      // first showing of the window: starts a pending hand-off list scan
    void Dispatch(int slotNumber);
    void Abort();
    void RefreshStatus();

    // The one door into the queue for discovered URLs (links and redirect targets).
    void AdmitUrl(const std::string& url);

    int activeSlotCount() const;
    int64_t now() const { return m_ticks(); }

Q_SIGNALS:
    // After the finish message of a scan, and after an abort.
    void scanFinished();
    void scanAborted();

private:
    // Client events, bound to every request's client.
    void httpStateChanged(HttpClient& client) override { httplge(client); }
    void httpHeaderLine(HttpClient& client, const std::string& line) override { HttpCli1HeaderData(client, line); }
    void httpHeaderEnd(HttpClient& client) override { HttpCli1HeaderEnd(client); }
    void httpBodyEnd(HttpClient& client) override { HttpCli1DocEnd(client); }
    void httpRequestDone(HttpClient& client) override { RequestDone(client); }

    void httplge(HttpClient& client);            // state changed: histogram, watchdog clock
    void HttpCli1HeaderData(HttpClient& client, const std::string& line); // "location:" lines
    void HttpCli1HeaderEnd(HttpClient& client);  // cuts off non-text replies and attachments
    void HttpCli1DocEnd(HttpClient& client);     // reads a complete text body as a page
    void RequestDone(HttpClient& client);

    // The slot whose current client is `client`; null for a client the slot has replaced.
    int slotNumberOf(const HttpClient& client) const;
    void StartRequest(int slotNumber, const std::string& url);
    void AppendRowForClient(const HttpClient& client, trequest& slot);
    void ChainUpdate(const HttpClient& client, trequest& slot);
    void EndOfScan();
    void RefreshStateHistogram();
    void retireClient(std::unique_ptr<HttpClient> client);

    // Page reading and the parser's events.
    void ReadPage(int slotNumber);
    void HtmlParser1ParseLink(HtmlParser& sender, const HtmlLink& link); // queues a link found in a page
    void HtmlParser1ParseTag(HtmlParser& sender, const HtmlTag& tag);   // captures the page title
    void finishDeferredDone(int slotNumber);

    CrawlScreen& m_screen;
    HttpClientFactory& m_factory;
    ProjectSettings& m_settings;
    CrawlData m_data;
    std::function<int64_t()> m_ticks;
    QTimer m_timer2;
    QTimer m_timer4;
    bool m_scanning = false;
    uint64_t m_scanGeneration = 0;
    int m_linkCounter = 0;
    // Replaced clients die on the next turn of the event loop, never inside their own event.
    std::vector<std::unique_ptr<HttpClient>> m_retired;
    bool m_retireScheduled = false;
};
