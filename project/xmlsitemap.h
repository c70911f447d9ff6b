// The XML sitemap (sitemaps.org 0.9) of the sitemap pages among the grid's lines.
#pragma once

#include "project/sitemappages.h"

#include <string>
#include <string_view>

// The location escaped in five passes: & first, then ', ", > and <.
std::string escapeSitemapUrl(std::string_view url);

// The whole file's bytes: the fixed template with one url element per sitemap page.
std::string BuildXmlSitemap(const RowTable& rows, GridLines lines);

// WriteXmlSitemap: builds the sitemap and replaces fileName with it; throws FileError.
void WriteXmlSitemap(const std::string& fileName, const RowTable& rows, GridLines lines);
