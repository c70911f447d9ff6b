#include "crawl/crawlcontroller.h"

#include "crawl/urisplit.h"

#include <QMetaObject>

#include <algorithm>
#include <array>
#include <set>
#include <chrono>
#include <stdexcept>

namespace {

const std::string kStartCaption = "Start";
const std::string kAbortCaption = "Abort";

int64_t steadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string replaceBlanks(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

} // namespace

CrawlController::CrawlController(CrawlScreen& screen, HttpClientFactory& factory, ProjectSettings& settings,
                                 QObject* parent)
    : QObject(parent)
    , m_screen(screen)
    , m_factory(factory)
    , m_settings(settings)
    , m_ticks(steadyMilliseconds)
{
    setWorkingSettings(settings.working());
    m_timer2.setInterval(kWatchdogIntervalMs);
    m_timer4.setInterval(kAbortAndContinueIntervalMs);
    for (int i = 1; i <= kSlotCount; ++i) {
        auto parser = std::make_unique<HtmlParser>();
        parser->ParseMethod = HtmlParseMethod::pmAll;
        parser->Tag = i;
        parser->OnParseLink = [this](HtmlParser& sender, const HtmlLink& link) { HtmlParser1ParseLink(sender, link); };
        parser->OnParseTag = [this](HtmlParser& sender, const HtmlTag& tag) { HtmlParser1ParseTag(sender, tag); };
        m_data.slot(i).Parser = std::move(parser);
    }
    connect(&m_timer2, &QTimer::timeout, this, &CrawlController::Timer2Timer);
    connect(&m_timer4, &QTimer::timeout, this, &CrawlController::Timer4Timer);
}

CrawlController::~CrawlController()
{
    // Clients still running must not report into a controller that is going away.
    for (trequest& slot : m_data.Slots)
        slot.Client.reset();
    m_retired.clear();
}

void CrawlController::setWorkingSettings(const WorkingSettings& working)
{
    m_data.Connections = std::clamp(working.Connections, 1, kSlotCount);
    m_data.UserAgent = working.UserAgent;
    m_data.HttpVersion = working.HttpVersion;
}

void CrawlController::setTimerIntervals(int watchdogMs, int abortAndContinueMs)
{
    m_timer2.setInterval(watchdogMs);
    m_timer4.setInterval(abortAndContinueMs);
}

void CrawlController::setTickSource(std::function<int64_t()> ticks)
{
    m_ticks = std::move(ticks);
}

void CrawlController::Button1Click()
{
    if (m_scanning) {
        Abort();
        return;
    }
    if (m_data.ProjectModified && m_screen.askYesNo("Current project has not been saved. Save now?")) {
        m_screen.saveReport();
        return;
    }
    m_data.ProjectModified = false;
    Button12Click();
}

void CrawlController::Button12Click()
{
    const std::string trimmed = trimBlanks(m_screen.startUrlText());
    m_screen.setStartUrlText(trimmed);
    const std::string url = replaceBlanks(trimmed);

    const UriParts parts = SplitUri(url);
    if (parts.scheme != "http" && parts.scheme != "https") {
        m_screen.showMessage("Url is not valid! It must begin with http or https");
        return;
    }
    m_data.StartHost = parts.host;
    m_data.StartPrefix = UriPrefix(parts);
    m_data.Queue.clear();
    if (parts.host.empty())
        throw std::runtime_error("Host field is empty");
    const std::string rebuilt = RebuildUri(parts);
    if (startsWithNoCase(rebuilt, "http://") || startsWithNoCase(rebuilt, "https://"))
        m_data.Queue.add(rebuilt);
    if (m_data.Queue.empty())
        m_screen.showMessage(
            "No Valid URL found. Text should contain lines of valid URLs starting with \"http\" or \"https\"");
    else
        Button4Click();
    RefreshStatus();
}

void CrawlController::Button4Click()
{
    m_data.Queue.shuffle();
    m_data.AbortRequested = false;
    m_data.FinishAnnounced = false;
    m_scanning = true;
    ++m_scanGeneration;
    m_screen.setIdleControlsEnabled(false);
    m_screen.clearGridLines();
    m_data.StatusText = "Working...";
    m_screen.setStartButtonCaption(kAbortCaption);
    m_screen.clearRawHeader();

    m_data.Rows.reset();
    m_data.RequestSerial = 0;
    m_data.VisibleRowCount = 0;
    m_data.PagesInSitemap = 0;
    m_data.Finished.clear();
    m_data.Seen.clear();
    m_screen.clearActiveUrls();
    RefreshStatus();

    for (int i = 1; i <= m_data.Connections; ++i) {
        trequest& slot = m_data.slot(i);
        slot.IsHop = false;
        slot.Location.clear();
        if (static_cast<std::size_t>(i) > m_data.Queue.size())
            break;
        Dispatch(i);
    }
    m_timer2.start();
    m_timer4.start();
}

void CrawlController::Dispatch(int slotNumber)
{
    trequest& slot = m_data.slot(slotNumber);
    if (slot.Parsing || m_data.Queue.empty())
        return;
    const std::string entry = m_data.Queue.take();
    m_data.Seen.add(entry);
    ++m_data.RequestSerial;
    slot.ChainId = m_data.RequestSerial;
    slot.Location.clear();
    slot.IsHop = false;
    slot.Requeue = false;
    slot.Body.clear();
    const QueueEntry split = splitQueueEntry(entry);
    if (split.isHop) {
        slot.ChainId = split.chainId;
        slot.IsHop = true;
    }
    StartRequest(slotNumber, split.url);
}

void CrawlController::Button10Click()
{
    // The pass ends when the slot number passes the remaining queue length, not the number of
    // free slots: a full queue is spread over several passes, one per completion.
    for (int i = 1; i <= m_data.Connections; ++i) {
        trequest& slot = m_data.slot(i);
        if (slot.Active)
            continue;
        slot.IsHop = false;
        slot.Location.clear();
        if (static_cast<std::size_t>(i) > m_data.Queue.size())
            break;
        Dispatch(i);
    }
}

void CrawlController::StartRequest(int slotNumber, const std::string& url)
{
    trequest& slot = m_data.slot(slotNumber);
    retireClient(std::move(slot.Client));
    HttpRequestSettings settings;
    settings.url = url;
    settings.userAgent = m_data.UserAgent;
    settings.httpVersion = m_data.HttpVersion;
    slot.Client = m_factory.create(settings, slotNumber, slot.Body, *this);
    slot.Title.clear();
    slot.Stopped = false;
    slot.NotText = false;
    slot.Attachment = false;
    slot.TimedOut = false;
    slot.DonePending = false;
    slot.Active = true;
    slot.Url = url;
    slot.StartTick = now();
    slot.Client->getAsync();
}

void CrawlController::retireClient(std::unique_ptr<HttpClient> client)
{
    if (!client)
        return;
    // The replaced client may be the one whose event is running right now (a completion that
    // dispatches onto its own slot), so it is destroyed only after the event has returned.
    m_retired.push_back(std::move(client));
    if (m_retireScheduled)
        return;
    m_retireScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_retireScheduled = false;
            std::vector<std::unique_ptr<HttpClient>> dying;
            dying.swap(m_retired);
        },
        Qt::QueuedConnection);
}

int CrawlController::slotNumberOf(const HttpClient& client) const
{
    const int tag = client.tag();
    if (tag < 1 || tag > kSlotCount)
        return 0;
    return m_data.slot(tag).Client.get() == &client ? tag : 0;
}

void CrawlController::RequestDone(HttpClient& client)
{
    const int number = slotNumberOf(client);
    if (number == 0 || m_data.AbortRequested)
        return;
    trequest& slot = m_data.slot(number);
    // Abort wrote this request off already; its late report leaves no trace.
    if (!slot.Active)
        return;
    if (slot.Parsing) {
        slot.DonePending = true;
        return;
    }

    if (!slot.Requeue) {
        if (!slot.IsHop) {
            AppendRowForClient(client, slot);
            m_data.Finished.add(client.url());
        } else {
            AppendRowForClient(client, slot);
            ChainUpdate(client, slot);
            slot.IsHop = false;
        }
        if (!slot.Location.empty()) {
            if (m_data.Rows.chainCount(slot.ChainId) < m_settings.maxRedirections)
                m_data.Queue.add(makeHopEntry(slot.Location, slot.ChainId));
            slot.Location.clear();
        }
    } else {
        m_data.Queue.add(slot.Url);
    }
    RefreshStatus();
    slot.Active = false;
    if (!m_data.Queue.empty())
        Button10Click();
    if (!m_data.Queue.empty() || activeSlotCount() > 0)
        return;
    EndOfScan();
}

void CrawlController::ChainUpdate(const HttpClient& client, trequest& slot)
{
    const int32_t head = m_data.Rows.chainHead(slot.ChainId);
    std::string oldRemainder;
    if (head >= 0) {
        trow& headRow = m_data.Rows[head];
        headRow.RedirectedTo = client.url();
        const std::string old = headRow.Redirects;
        headRow.Redirects = incrementRedirects(old);
        const auto blank = old.find(' ');
        if (blank != std::string::npos)
            oldRemainder = old.substr(blank + 1);
        m_screen.refreshGrid();
    }
    if (!oldRemainder.empty())
        return; // already marked as a loop

    m_data.ChainUrls.clear();
    std::set<std::string, CaseLess> distinct;
    for (const int32_t index : m_data.Rows.chainRows(slot.ChainId)) {
        m_data.ChainUrls.push_back(m_data.Rows[index].Url);
        distinct.insert(m_data.Rows[index].Url);
    }
    if (head >= 0 && distinct.size() != m_data.ChainUrls.size())
        m_data.Rows[head].Redirects += " Loop";
    m_screen.refreshGrid();
}

void CrawlController::EndOfScan()
{
    m_screen.setIdleControlsEnabled(true);
    m_timer2.stop();
    m_timer4.stop();
    m_scanning = false;
    m_screen.setStartButtonCaption(kStartCaption);
    m_screen.setStayInPathEnabled(true);
    m_data.StatusText = "Completed";
    RefreshStatus();
    // The message box runs the event loop; a completion arriving meanwhile must not show it again.
    if (m_data.FinishAnnounced)
        return;
    m_data.FinishAnnounced = true;
    m_screen.showMessage(std::string(kApplicationTitle) + " has finished!");
    Q_EMIT scanFinished();
}

void CrawlController::Abort()
{
    m_data.AbortRequested = true;
    m_timer2.stop();
    m_timer4.stop();
    for (trequest& slot : m_data.Slots) {
        const bool wasActive = slot.Active;
        slot.Active = false;
        slot.Stopped = true;
        // Only a request in flight is aborted: an idle client would report a completion that
        // a scan started right after this could mistake for one of its own.
        if (wasActive && slot.Client)
            slot.Client->abort();
    }
    m_scanning = false;
    m_data.StatusText = "Aborted by user";
    RefreshStatus();
    m_screen.setIdleControlsEnabled(true);
    m_screen.setStartButtonCaption(kStartCaption);
    if (!m_data.Closing)
        m_screen.showMessage(std::string(kApplicationTitle) + " has aborted scan!");
    Q_EMIT scanAborted();
}

void CrawlController::Button6Click()
{
    // A stopped slot stays busy until its completion arrives, so that the completion still
    // finds it and re-queues the URL; a slot whose body is being parsed is already done.
    for (int i = 1; i <= m_data.Connections; ++i) {
        trequest& slot = m_data.slot(i);
        if (!slot.Client || !slot.Active || slot.Stopped || slot.Parsing)
            continue;
        if (slot.Client->state() == HttpState::httpReady)
            continue;
        slot.Stopped = true;
        slot.Location.clear();
        if (!slot.IsHop)
            slot.Requeue = true;
        slot.Client->abort();
    }
}

void CrawlController::Timer4Timer()
{
    Button6Click();
}

void CrawlController::Timer2Timer()
{
    const int64_t limit = static_cast<int64_t>(m_settings.timeoutSeconds) * 1000;
    const int64_t current = now();
    for (int i = 1; i <= m_data.Connections; ++i) {
        trequest& slot = m_data.slot(i);
        if (!slot.Client || !slot.Active || slot.Stopped)
            continue;
        if (current - slot.StartTick < limit || slot.Client->state() == HttpState::httpReady
            || !slot.Client->receivedHeader().empty())
            continue;
        // The slot stays busy until the completion has made its time-out row.
        slot.TimedOut = true;
        slot.Stopped = true;
        slot.Location.clear();
        slot.Client->abort();
    }
}

void CrawlController::FormShow()
{
    if (!m_data.HandOffPending)
        return;
    m_data.HandOffPending = false;
    if (!m_data.Queue.empty())
        Button4Click();
}
