// Test doubles for driving the crawl controller: a screen that records what it is told and a
// client factory whose clients replay scripted replies through the event loop.
#pragma once

#include "crawl/crawlscreen.h"
#include "crawl/httpclient.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FakeScreen : public CrawlScreen {
public:
    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (onMessage)
            onMessage(text);
    }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        return answerYes;
    }
    void setStatusPanel(int panel, const std::string& text) override { panels.at(static_cast<size_t>(panel)) = text; }
    void setWindowCaption(const std::string& text) override { caption = text; }
    void setStartButtonCaption(const std::string& text) override { startCaption = text; }
    std::string startUrlText() const override { return startUrl; }
    void setStartUrlText(const std::string& text) override { startUrl = text; }
    bool stayInPath() const override { return stayInPathOn; }
    void setStayInPathEnabled(bool enabled) override { stayInPathEnabled = enabled; }
    void setIdleControlsEnabled(bool enabled) override { idleEnabled = enabled; }
    void clearGridLines() override { gridLines.clear(); }
    void addGridLine(int32_t row) override { gridLines.push_back(row); }
    void refreshGrid() override { ++gridRefreshes; }
    void clearRawHeader() override {}
    void saveReport() override { ++saves; }
    bool diagnosticsOn() const override { return diagnostics; }
    void setStateHistogram(const std::vector<std::string>& lines) override { histogram = lines; }
    void showActiveUrls(const std::vector<std::string>& lines) override { activeUrls = lines; }

    std::vector<std::string> messages;
    std::function<void(const std::string&)> onMessage;
    std::vector<std::string> questions;
    bool answerYes = false;
    std::array<std::string, 4> panels;
    std::string caption = "Tarnwick";
    std::string startCaption = "Start";
    std::string startUrl;
    bool stayInPathOn = false;
    bool stayInPathEnabled = true;
    bool idleEnabled = true;
    std::vector<int32_t> gridLines;
    int gridRefreshes = 0;
    int saves = 0;
    bool diagnostics = false;
    std::vector<std::string> histogram;
    std::vector<std::string> activeUrls;
};

// What one request receives.
struct FakeReply {
    std::vector<std::string> header; // status line first; empty: nothing arrives
    std::string body;
    enum class Stall { None, BeforeHeader, AfterHeader } stall = Stall::None;
    int status = 0;                  // as the client reads it from the status line
    std::string reason;
    std::string contentType;         // lower-cased, as the client reports it

    static FakeReply page(const std::string& body = "<html></html>", int status = 200, const std::string& reason = "OK");
    static FakeReply typed(const std::string& contentType, int status = 200, const std::string& reason = "OK");
    static FakeReply redirect(const std::string& location, int status = 301);
    static FakeReply silent();       // connects, never answers
    static FakeReply stalledBody();  // sends its header, then nothing
};

class FakeClient : public QObject, public HttpClient {
public:
    FakeClient(const HttpRequestSettings& settings, int tag, std::string& body, HttpClientListener& listener,
               FakeReply reply);

    void getAsync() override;
    void abort() override;
    int tag() const override { return m_tag; }
    const std::string& url() const override { return m_settings.url; }
    std::string protocol() const override;
    std::string hostName() const override;
    HttpState state() const override { return m_state; }
    int statusCode() const override { return m_status; }
    const std::string& reasonPhrase() const override { return m_reason; }
    const std::string& contentType() const override { return m_contentType; }
    int64_t contentLength() const override { return -1; }
    const std::vector<std::string>& receivedHeader() const override { return m_header; }

    const HttpRequestSettings& settings() const { return m_settings; }
    // Counts abort() calls into a counter that outlives the client.
    std::shared_ptr<int> aborts = std::make_shared<int>(0);

private:
    void setState(HttpState state);
    void deliverHeader();
    void deliverBody();
    void reportDone();

    HttpRequestSettings m_settings;
    int m_tag;
    std::string& m_body;
    HttpClientListener& m_listener;
    FakeReply m_reply;
    HttpState m_state = HttpState::httpReady;
    int m_status = 0;
    std::string m_reason;
    std::string m_contentType;
    std::vector<std::string> m_header;
    bool m_aborted = false;
    bool m_donePosted = false;
};

// Replies by URL (a list per URL is consumed in order, its last entry repeating); URLs without
// a script get an empty HTML page.
class FakeFactory : public HttpClientFactory {
public:
    std::unique_ptr<HttpClient> create(const HttpRequestSettings& settings, int tag, std::string& body,
                                       HttpClientListener& listener) override;

    void script(const std::string& url, std::vector<FakeReply> replies) { m_scripts[url] = std::move(replies); }

    struct Made {
        std::string url;
        int tag;
        QPointer<QObject> client; // null once the controller has destroyed it
        std::shared_ptr<int> aborts;
    };
    std::vector<Made> made;
    std::vector<std::string> urls() const;

private:
    std::map<std::string, std::vector<FakeReply>> m_scripts;
    std::map<std::string, size_t> m_used;
};

// Runs the event loop until `done` holds or `timeoutMs` passes; true when it held.
bool spinUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// Runs the events already posted, and those they post, for a short while.
void drainEvents();
