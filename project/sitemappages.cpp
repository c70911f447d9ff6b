#include "project/sitemappages.h"

#include "view/gridcolumns.h"

bool IsSitemapPage(const trow& row)
{
    return row.Status == 200 && containsTextCi(row.ContentType);
}

std::vector<std::string> CollectSitemapRows(const RowTable& rows, GridLines lines, SitemapField field)
{
    std::vector<std::string> out;
    for (const int32_t index : lines) {
        const trow& row = rows[index];
        if (IsSitemapPage(row))
            out.push_back(field == SitemapField::Url ? row.Url : row.Title);
    }
    return out;
}

int32_t countSitemapPages(const RowTable& rows, GridLines lines)
{
    int32_t count = 0;
    for (const int32_t index : lines)
        count += IsSitemapPage(rows[index]) ? 1 : 0;
    return count;
}
