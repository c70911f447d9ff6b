// CombineUrl runs about thirty times per crawled page; the goal is a few microseconds per call
// at most. Prints the best of several runs, in microseconds per call, for each kind of link a
// page holds and for a realistic mix.

#include "crawl/combineurl.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    std::vector<std::string> references;
};

double microsPerCall(const std::string& base, const std::vector<std::string>& references, std::size_t& sink)
{
    constexpr int kRounds = 5;
    constexpr int kCalls = 200000;
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCalls; ++i) {
            const auto combined = CombineUrl(base, references[static_cast<std::size_t>(i) % references.size()]);
            sink += combined ? combined->size() : 1;
        }
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        best = std::min(best, spent.count() / kCalls);
    }
    return best;
}

} // namespace

int main()
{
    const std::string base = "https://www.example.com/catalog/items/page-12.html?sort=price";
    const std::vector<Case> cases = {
        {"relative", {"item-1.html", "sub/item-2.html", "item-3.php?id=7"}},
        {"dot segments", {"../news/", "./a.html", "../../x/y/../z.html"}},
        {"absolute path", {"/about/contact.html", "/search?q=a b"}},
        {"absolute same site", {"https://www.example.com/news/2024/05/item.html?id=3&amp;p=2"}},
        {"scheme-relative", {"//cdn.example.com/s.js"}},
        {"fragment / query only", {"#top", "?page=2"}},
        {"needs encoding", {"my page.html", "caf\xc3\xa9.html"}},
        {"unusual authority (libcurl)", {"https://user@other.example.com:8443/x", "ftp://files.example.com/a.zip"}},
        {"mailto / javascript", {"mailto:a@example.com", "javascript:void(0)"}},
    };
    std::vector<std::string> mix;
    for (const Case& c : cases) {
        for (const std::string& r : c.references)
            mix.push_back(r);
    }
    // A typical page is mostly relative and same-site links.
    for (int i = 0; i < 6; ++i) {
        mix.push_back(cases[0].references[static_cast<std::size_t>(i) % 3]);
        mix.push_back(cases[2].references[0]);
        mix.push_back(cases[3].references[0]);
    }

    std::size_t sink = 0;
    for (const Case& c : cases)
        std::printf("%-30s %6.3f us/call\n", c.name, microsPerCall(base, c.references, sink));
    std::printf("%-30s %6.3f us/call\n", "mix", microsPerCall(base, mix, sink));
    std::printf("(checksum %zu)\n", sink);
    return 0;
}
