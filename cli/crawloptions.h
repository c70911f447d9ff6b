// Command-line options of tarnwick-crawl, parsed and range-checked.
#pragma once

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

struct CrawlOptions {
    std::string startUrl;  // crawl this site ...
    std::string listFile;  // ... or check exactly the URLs of this file
    bool stayInPath = false;
    int connections = 20;
    std::string httpVersion = "1.1";
    std::string userAgent = "Tarnwick v1.3";
    int maxRedirects = 10;
    int timeoutSeconds = 30;
    std::optional<int> maxLength;
    std::vector<std::string> excludes;
    std::optional<std::string> lastmod;    // empty optional: tag off
    std::optional<std::string> changefreq;
    std::optional<std::string> priority;
    std::string reportFile, xmlFile, htmlFile, htmlTitlesFile, txtFile, csvFile;
    bool quiet = false;
};

struct ParsedCommandLine {
    enum class Outcome { Run, ExitOk, UsageError };
    Outcome outcome = Outcome::Run;
    CrawlOptions options;
    std::string message; // help or version text for ExitOk, the error for UsageError
};

// `today` is the default last-modified date (yyyy-MM-dd).
ParsedCommandLine parseCrawlCommandLine(const QStringList& arguments, const std::string& today);
