// Page reading: a complete text body goes through the slot's own tokenizer, whose link and
// title events feed the queue and the slot's title.
#include "crawl/pagereader.h"

#include "crawl/combineurl.h"
#include "crawl/crawlcontroller.h"
#include "html/charsets.h"
#include "html/textconv.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kKeepPageTextBytes = 1u << 20;

// Every occurrence of `from` (ignoring case) replaced by `to`, left to right, never rescanning
// replaced text.
std::string replaceNoCase(const std::string& text, std::string_view from, std::string_view to)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (startsWithNoCase(std::string_view(text).substr(i), from)) {
            out += to;
            i += from.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string replaceExact(const std::string& text, std::string_view from, std::string_view to)
{
    std::string out;
    std::size_t i = 0;
    while (true) {
        const auto hit = text.find(from, i);
        if (hit == std::string::npos)
            break;
        out.append(text, i, hit - i);
        out += to;
        i = hit + from.size();
    }
    out.append(text, i, std::string::npos);
    return out;
}

} // namespace

std::string pageText(std::string_view body)
{
    std::string text;
    pageText(body, text);
    return text;
}

void pageText(std::string_view body, std::string& text)
{
    const auto nul = body.find('\0');
    if (nul != std::string_view::npos)
        body = body.substr(0, nul);
    text.clear();
    text.reserve(body.size() + body.size() / 16 + 2);
    // Two memchr cursors, one per line-end byte, so the page is scanned in long runs rather
    // than byte by byte.
    const char* p = body.data();
    const char* const end = p + body.size();
    auto next = [end](const char* from, char c) {
        const void* hit = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return hit ? static_cast<const char*>(hit) : end;
    };
    const char* cr = next(p, '\r');
    const char* lf = next(p, '\n');
    while (p < end) {
        const char* stop = std::min(cr, lf);
        text.append(p, stop);
        text += "\r\n";
        if (stop == end)
            break;
        p = stop + 1;
        if (*stop == '\r' && p < end && *p == '\n')
            ++p;
        if (cr < p)
            cr = next(p, '\r');
        if (lf < p)
            lf = next(p, '\n');
    }
}

void CrawlController::ReadPage(int slotNumber)
{
    trequest& slot = m_data.slot(slotNumber);
    {
        slot.Parsing = true;
        struct ParsingGuard {
            trequest& slot;
            ~ParsingGuard() { slot.Parsing = false; }
        } guard{slot};
        slot.ParseScan = m_scanGeneration;
        // The slot's own buffer: a page read here may pump the event loop, and another slot's
        // page may be read meanwhile, never this slot's.
        pageText(slot.Body, slot.PageText);
        slot.Parser->ParseDocument(slot.PageText);
    }
    if (slot.PageText.capacity() > kKeepPageTextBytes)
        std::string().swap(slot.PageText); // one giant page must not pin its memory in the slot
    if (slot.DonePending)
        finishDeferredDone(slotNumber);
}

void CrawlController::finishDeferredDone(int slotNumber)
{
    trequest& slot = m_data.slot(slotNumber);
    slot.DonePending = false;
    const HttpClient* client = slot.Client.get();
    // Posted, not called: this runs inside the client's body-ended event.
    QMetaObject::invokeMethod(
        this,
        [this, slotNumber, client] {
            trequest& current = m_data.slot(slotNumber);
            if (current.Client && current.Client.get() == client)
                RequestDone(*current.Client);
        },
        Qt::QueuedConnection);
}

void CrawlController::HtmlParser1ParseLink(HtmlParser& sender, const HtmlLink& link)
{
    // Keep the screen and the other clients alive on pages with thousands of links.
    if (++m_linkCounter > 10) {
        QCoreApplication::processEvents();
        m_linkCounter = 0;
    }
    const int number = sender.Tag;
    if (number < 1 || number > kSlotCount)
        return;
    const trequest& slot = m_data.slot(number);
    // An abort or a new scan while this page was being read: its links belong to no scan.
    if (m_data.AbortRequested || slot.ParseScan != m_scanGeneration)
        return;

    std::optional<std::string> combined = CombineUrl(slot.Url, link.Href());
    if (!combined)
        return;
    std::string url = std::move(*combined);
    const auto hash = url.find('#');
    if (hash != std::string::npos)
        url.erase(hash);
    if (url.find("&amp;") != std::string::npos)
        url = replaceExact(url, "&amp;", "&");
    if (m_settings.maxLengthOn && url.size() > static_cast<std::size_t>(m_settings.maxLength))
        return;
    if (m_settings.exclusionsOn) {
        for (const std::string& excluded : m_settings.exclusions) {
            if (!excluded.empty() && containsNoCase(url, excluded))
                return;
        }
    }
    AdmitUrl(url);
}

void CrawlController::HtmlParser1ParseTag(HtmlParser& sender, const HtmlTag& tag)
{
    const HtmlTag* enclosing = tag.Enclosing();
    if (enclosing == nullptr || enclosing->TagName() != "title")
        return;
    const int number = sender.Tag;
    if (number < 1 || number > kSlotCount)
        return;
    trequest& slot = m_data.slot(number);

    int codePage = 0;
    if (slot.Client) {
        const std::string& contentType = slot.Client->contentType();
        const auto charset = contentType.find("charset=");
        if (charset != std::string::npos)
            codePage = LookupCodePage(std::string_view(contentType).substr(charset + 8));
    }
    std::string title = HtmlParser::InnerTextOf(tag);
    if (codePage != 0)
        title = CodePageToUtf8(title, codePage);
    title = DecodeReferences8(title);
    title = replaceNoCase(title, "&amp;", "&");
    title = replaceNoCase(title, "&apos;", "'");
    title = replaceNoCase(title, "&quot;", "\"");
    title = replaceNoCase(title, "&gt;", ">");
    title = replaceNoCase(title, "&lt;", "<");
    slot.Title = std::move(title);
}
