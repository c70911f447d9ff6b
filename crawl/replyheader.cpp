#include "crawl/replyheader.h"

#include "crawl/urllists.h"

#include <string_view>

std::string joinReceivedHeader(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 0)
            text += "\r\n";
        text += lines[i];
    }
    const auto nul = text.find('\0');
    if (nul != std::string::npos)
        text.erase(nul);
    return text;
}

AttachmentVerdict AttachmentTest(const std::string& headerText)
{
    AttachmentVerdict verdict;
    verdict.mentionsDisposition = containsNoCase(headerText, "Content-disposition");
    std::string_view rest(headerText);
    while (!rest.empty()) {
        const auto end = rest.find_first_of("\r\n");
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if ((containsNoCase(line, "Content-Description") && containsNoCase(line, "File Transfer"))
            || (containsNoCase(line, "Content-Disposition") && containsNoCase(line, "attachment"))) {
            verdict.attachment = true;
            break;
        }
    }
    return verdict;
}

StatusLine StatusFromHeader(const std::vector<std::string>& lines)
{
    StatusLine out;
    if (lines.empty())
        return out;
    const std::string& first = lines.front();
    const auto blank1 = first.find(' ');
    if (blank1 == std::string::npos)
        return out;
    const auto blank2 = first.find(' ', blank1 + 1);
    if (blank2 == std::string::npos)
        return out;
    const std::string code = first.substr(blank1 + 1, blank2 - blank1 - 1);
    out.reason = first.substr(blank2 + 1);
    // More than nine digits cannot be a status and would overflow; such a line has none.
    const bool numeric = !code.empty() && code.size() <= 9
                         && code.find_first_not_of("0123456789") == std::string::npos;
    out.status = numeric ? std::stoi(code) : 0;
    return out;
}
