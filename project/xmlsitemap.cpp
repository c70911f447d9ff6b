#include "project/xmlsitemap.h"

#include "project/textfile.h"

namespace {

constexpr std::string_view kHead =
    "<?xml version='1.0' encoding='UTF-8'?>\r\n"
    "<urlset xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n"
    "         xsi:schemaLocation=\"http://www.sitemaps.org/schemas/sitemap/0.9 "
    "http://www.sitemaps.org/schemas/sitemap/0.9/sitemap.xsd\"\r\n"
    "         xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\r\n";

// The entries take the marker's place; the line end that followed it stays as an empty line.
constexpr std::string_view kTail = "\r\n</urlset>\r\n";

void appendTag(std::string& out, std::string_view name, std::string_view value)
{
    if (value.empty())
        return;
    out.append("<").append(name).append(">");
    out.append(value);
    out.append("</").append(name).append(">\r\n");
}

} // namespace

namespace {

// One pass gives the same text as the five passes, since only the first brings in "&".
void appendEscapedUrl(std::string& out, std::string_view url)
{
    for (const char c : url) {
        switch (c) {
        case '&': out.append("&amp;"); break;
        case '\'': out.append("&apos;"); break;
        case '"': out.append("&quot;"); break;
        case '>': out.append("&gt;"); break;
        case '<': out.append("&lt;"); break;
        default: out.push_back(c); break;
        }
    }
}

} // namespace

std::string escapeSitemapUrl(std::string_view url)
{
    std::string out;
    appendEscapedUrl(out, url);
    return out;
}

std::string BuildXmlSitemap(const RowTable& rows, GridLines lines)
{
    std::string text;
    text.reserve(kHead.size() + kTail.size() + lines.size() * 160);
    text.append(kHead);
    for (const int32_t index : lines) {
        const trow& row = rows[index];
        if (!IsSitemapPage(row))
            continue;
        text.append("<url>\r\n<loc>");
        appendEscapedUrl(text, row.Url);
        text.append("</loc>\r\n");
        appendTag(text, "lastmod", row.LastModified);
        appendTag(text, "changefreq", row.ChangeFrequency);
        appendTag(text, "priority", row.Priority);
        text.append("</url>\r\n");
    }
    text.append(kTail);
    // A stray CR or LF inside a stored text becomes a line of its own, ending in CR LF.
    return normalizeLineEnds(text);
}

void WriteXmlSitemap(const std::string& fileName, const RowTable& rows, GridLines lines)
{
    writeFileAtomically(fileName, BuildXmlSitemap(rows, lines));
}
