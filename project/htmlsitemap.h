// The HTML sitemap page (URL or title as link text) and the plain URL list.
#pragma once

#include "project/sitemappages.h"

#include <string>
#include <string_view>

inline constexpr std::string_view kFooterAddress = "https://tarnwick.example/";

// Link text and href: <, > and " as &lt;, &gt; and &quot; so that no stored text can break
// the markup; & stays as it is.
std::string escapeHtmlLinkText(std::string_view text);

// One link line: <a href="url">caption</a><br>
std::string buildLinkLine(std::string_view url, std::string_view caption);

// The whole page. date is today's date in the user's short format, supplied by the caller.
std::string BuildHtmlSitemap(const RowTable& rows, GridLines lines, bool titleInLink, std::string_view date);

// WriteHtmlSitemap: builds the page and replaces fileName with it; throws FileError.
void WriteHtmlSitemap(const std::string& fileName, const RowTable& rows, GridLines lines, bool titleInLink,
                      std::string_view date);

// The URLs of the sitemap pages, each followed by CR LF (no rows: no bytes at all).
std::string BuildUrlList(const RowTable& rows, GridLines lines);

// Writes the URL list to fileName; throws FileError.
void WriteUrlList(const std::string& fileName, const RowTable& rows, GridLines lines);
