// The handlers of one HTTP exchange: what the controller does on each event of a slot's client,
// and how a finished exchange becomes a result row.
#include "crawl/crawlcontroller.h"

#include "crawl/linkscope.h"
#include "crawl/replyheader.h"

namespace {

bool isText(const std::string& contentType)
{
    return containsNoCase(contentType, "text");
}

} // namespace

void CrawlController::httplge(HttpClient& client)
{
    if (m_screen.diagnosticsOn())
        RefreshStateHistogram();
    const int number = slotNumberOf(client);
    // The time-out counts from the end of the name lookup, so a slow resolver is not a dead server.
    if (number != 0 && client.state() == HttpState::httpDnsLookupDone)
        m_data.slot(number).StartTick = now();
}

void CrawlController::HttpCli1HeaderData(HttpClient& client, const std::string& line)
{
    const int number = slotNumberOf(client);
    if (number == 0 || !startsWithNoCase(line, "location:"))
        return;
    const std::string value = trimBlanks(line.substr(line.find(':') + 1));
    const std::optional<std::string> target = resolveLocation(client.url(), value);
    if (!target)
        return;
    m_data.slot(number).Location = *target;
    AdmitUrl(*target);
}

void CrawlController::HttpCli1HeaderEnd(HttpClient& client)
{
    const int number = slotNumberOf(client);
    if (number == 0)
        return;
    trequest& slot = m_data.slot(number);
    if (slot.Stopped)
        return; // already being aborted
    if (isText(client.contentType())) {
        const AttachmentVerdict verdict = AttachmentTest(joinReceivedHeader(client.receivedHeader()));
        if (verdict.mentionsDisposition)
            m_screen.setWindowCaption(std::string());
        if (verdict.attachment) {
            slot.Attachment = true;
            slot.Stopped = true;
            client.abort();
        }
        return;
    }
    // Images, archives and documents: the header is all the crawl needs.
    slot.NotText = true;
    slot.Stopped = true;
    client.abort();
}

void CrawlController::HttpCli1DocEnd(HttpClient& client)
{
    const int number = slotNumberOf(client);
    if (number == 0)
        return;
    const trequest& slot = m_data.slot(number);
    if (!slot.Stopped && isText(client.contentType()))
        ReadPage(number);
}

void CrawlController::AppendRowForClient(const HttpClient& client, trequest& slot)
{
    trow& row = m_data.Rows.beginAppend();
    row = trow{};
    row.ChainId = slot.ChainId;
    row.Url = client.url();
    row.Title = slot.Title;
    row.ContentType = client.contentType();
    const StatusLine fromHeader = StatusFromHeader(client.receivedHeader());
    row.Status = client.statusCode() != 0 ? client.statusCode() : fromHeader.status;
    if (!slot.Stopped)
        row.Reason = !client.reasonPhrase().empty() ? client.reasonPhrase() : fromHeader.reason;
    if (slot.TimedOut)
        row.Reason = "Connection TimeOut (set in Options)";
    if (slot.NotText)
        row.Reason = client.reasonPhrase();
    if (slot.Attachment) {
        row.Status = 999;
        row.Reason = "File Transfer";
    }
    if (!slot.IsHop && row.Status == 200 && isText(row.ContentType))
        ++m_data.PagesInSitemap;
    row.RedirectedTo = slot.Location.empty() ? std::string("Original URL") : slot.Location;
    row.Redirects.assign(1, '0'); // not = "0": g++ 12 warns wrongly (-Wrestrict) at -O3
    if (stampNewRowTags)
        stampNewRowTags(row);
    row.ReceivedHeader = joinReceivedHeader(client.receivedHeader());
    const int32_t index = m_data.Rows.commitAppend();
    m_data.ProjectModified = true;
    // The grid line is added once the row is complete, so a screen that paints at once never
    // shows a half-filled row.
    if (!slot.IsHop) {
        m_screen.addGridLine(index);
        ++m_data.VisibleRowCount;
    }
}

void CrawlController::AdmitUrl(const std::string& url)
{
    admitUrl(m_data, m_screen.stayInPath(), url);
}
