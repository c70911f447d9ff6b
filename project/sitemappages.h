// Which rows the sitemap writers take, and how they receive the grid's lines.
//
// Every writer reads the rows through the grid's lines in display order, passed as the row
// index of each line top to bottom (GridModel::displayRows()), so the writers need no widget
// and the headless command can pass a plain list.
#pragma once

#include "crawl/rowtable.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

using GridLines = std::span<const int32_t>;

// A sitemap page: status exactly 200 and a content type holding "text" in any letter case.
bool IsSitemapPage(const trow& row);

enum class SitemapField { Url, Title };

// The Url (or Title) of every line whose row is a sitemap page, in display order.
std::vector<std::string> CollectSitemapRows(const RowTable& rows, GridLines lines, SitemapField field);

// The number of sitemap pages among the lines.
int32_t countSitemapPages(const RowTable& rows, GridLines lines);
