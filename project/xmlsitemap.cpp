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

// One pass gives the same text as replacing &, ', ", > and < in turn, since only the first
// brings in "&". A stray CR or LF in a stored text is written as a line end, CR LF.
template <typename Out>
void appendEscapedUrl(Out& out, std::string_view url)
{
    for (size_t i = 0; i < url.size(); ++i) {
        const char c = url[i];
        switch (c) {
        case '\r':
            if (i + 1 < url.size() && url[i + 1] == '\n')
                ++i;
            [[fallthrough]];
        case '\n': out.append("\r\n"); break;
        case '&': out.append("&amp;"); break;
        case '\'': out.append("&apos;"); break;
        case '"': out.append("&quot;"); break;
        case '>': out.append("&gt;"); break;
        case '<': out.append("&lt;"); break;
        default: out.push_back(c); break;
        }
    }
}

template <typename Out>
void appendTag(Out& out, std::string_view open, std::string_view value, std::string_view close)
{
    if (value.empty())
        return;
    out.append(open);
    appendWithCrLf(out, value);
    out.append(close);
}

template <typename Out>
void emitXmlSitemap(Out& out, const RowTable& rows, GridLines lines)
{
    out.append(kHead);
    for (const int32_t index : lines) {
        const trow& row = rows[index];
        if (!IsSitemapPage(row))
            continue;
        out.append("<url>\r\n<loc>");
        appendEscapedUrl(out, row.Url);
        out.append("</loc>\r\n");
        appendTag(out, "<lastmod>", row.LastModified, "</lastmod>\r\n");
        appendTag(out, "<changefreq>", row.ChangeFrequency, "</changefreq>\r\n");
        appendTag(out, "<priority>", row.Priority, "</priority>\r\n");
        out.append("</url>\r\n");
    }
    out.append(kTail);
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
    emitXmlSitemap(text, rows, lines);
    return text;
}

void WriteXmlSitemap(const std::string& fileName, const RowTable& rows, GridLines lines)
{
    AtomicFile file(fileName);
    emitXmlSitemap(file, rows, lines);
    file.commit();
}
