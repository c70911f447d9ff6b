#include "cli/crawloptions.h"

#include <QCommandLineParser>
#include <QDate>

#include <algorithm>
#include <array>

namespace {

const std::array<const char*, 7> kFrequencies{"always", "hourly", "daily", "weekly", "monthly", "yearly", "never"};
const std::array<const char*, 11> kPriorities{"1", "0.9", "0.8", "0.7", "0.6", "0.5", "0.4", "0.3", "0.2", "0.1", "0.0"};

QString usageText()
{
    return QStringLiteral(
        "Usage: tarnwick-crawl [OPTIONS] START_URL\n"
        "       tarnwick-crawl [OPTIONS] --list FILE\n"
        "Crawls START_URL's site, or with --list checks exactly the URLs in FILE (one per line).\n"
        "Settings start from the desktop program's first-run defaults; no settings files are read or written.\n"
        "\n"
        "  --stay-in-path            only URLs under the start URL's directory\n"
        "  --connections N           concurrent connections, 1..40 (default 20)\n"
        "  --http-version 1.0|1.1    (default 1.1)\n"
        "  --user-agent TEXT         (default \"Tarnwick v1.3\")\n"
        "  --max-redirects N         1..100 (default 10)\n"
        "  --timeout SECONDS         1..180 (default 30)\n"
        "  --max-length N            skip links longer than N characters (10..2000; off by default)\n"
        "  --exclude TEXT            skip links containing TEXT, ignoring case (repeatable)\n"
        "  --lastmod YYYY-MM-DD|off  (default: today)\n"
        "  --changefreq VALUE|off    always, hourly, daily, weekly, monthly, yearly, never (default daily)\n"
        "  --priority VALUE|off      1, 0.9 ... 0.1, 0.0 (default 0.5)\n"
        "  --report FILE             the project as a report file\n"
        "  --xml FILE                XML sitemap\n"
        "  --html FILE               HTML sitemap, URL as link text\n"
        "  --html-titles FILE        HTML sitemap, title as link text\n"
        "  --txt FILE                text list of the sitemap's URLs\n"
        "  --csv FILE                every row as CSV\n"
        "                            (outputs are written after the scan, rows in crawl order)\n"
        "  --list FILE               check the URLs of FILE instead of crawling a site\n"
        "  --quiet                   no progress output\n"
        "  --help, --version\n");
}

// A whole decimal number within [low, high], or nothing.
std::optional<int> rangedInt(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

template <size_t N>
bool isListed(const QString& value, const std::array<const char*, N>& list)
{
    return std::any_of(list.begin(), list.end(), [&](const char* entry) { return value == QLatin1String(entry); });
}

} // namespace

ParsedCommandLine parseCrawlCommandLine(const QStringList& arguments, const std::string& today)
{
    ParsedCommandLine result;
    CrawlOptions& o = result.options;
    o.lastmod = today;
    o.changefreq = "daily";
    o.priority = "0.5";

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption stay(QStringLiteral("stay-in-path"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    auto valued = [](const char* name) { return QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")); };
    const QCommandLineOption list = valued("list"), connections = valued("connections"),
                             httpVersion = valued("http-version"), userAgent = valued("user-agent"),
                             maxRedirects = valued("max-redirects"), timeout = valued("timeout"),
                             maxLength = valued("max-length"), exclude = valued("exclude"),
                             lastmod = valued("lastmod"), changefreq = valued("changefreq"),
                             priority = valued("priority"), report = valued("report"), xml = valued("xml"),
                             html = valued("html"), htmlTitles = valued("html-titles"), txt = valued("txt"),
                             csv = valued("csv");
    parser.addOptions({help, version, stay, quiet, list, connections, httpVersion, userAgent, maxRedirects,
                       timeout, maxLength, exclude, lastmod, changefreq, priority, report, xml, html,
                       htmlTitles, txt, csv});
    parser.addPositionalArgument(QStringLiteral("START_URL"), QString());

    auto fail = [&](const QString& why) {
        result.outcome = ParsedCommandLine::Outcome::UsageError;
        result.message = (QStringLiteral("tarnwick-crawl: ") + why + QStringLiteral("\n\n") + usageText()).toStdString();
        return result;
    };

    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        result.outcome = ParsedCommandLine::Outcome::ExitOk;
        result.message = usageText().toStdString();
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = ParsedCommandLine::Outcome::ExitOk;
        result.message = "tarnwick-crawl 1.3\n";
        return result;
    }

    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(list)) {
        if (!positional.isEmpty())
            return fail(QStringLiteral("give either START_URL or --list FILE, not both"));
        o.listFile = parser.value(list).toStdString();
    } else {
        if (positional.size() != 1)
            return fail(positional.isEmpty() ? QStringLiteral("missing START_URL") : QStringLiteral("more than one START_URL"));
        o.startUrl = positional.front().toStdString();
    }

    struct Ranged { const QCommandLineOption& option; int* target; int low; int high; };
    int maxLengthValue = 0;
    const Ranged ranged[] = {
        {connections, &o.connections, 1, 40},
        {maxRedirects, &o.maxRedirects, 1, 100},
        {timeout, &o.timeoutSeconds, 1, 180},
        {maxLength, &maxLengthValue, 10, 2000},
    };
    for (const Ranged& r : ranged) {
        if (!parser.isSet(r.option))
            continue;
        const auto value = rangedInt(parser.value(r.option), r.low, r.high);
        if (!value)
            return fail(QStringLiteral("--%1 takes a whole number from %2 to %3")
                            .arg(r.option.names().front()).arg(r.low).arg(r.high));
        *r.target = *value;
    }
    if (parser.isSet(maxLength))
        o.maxLength = maxLengthValue;

    if (parser.isSet(httpVersion)) {
        const QString v = parser.value(httpVersion);
        if (v != QLatin1String("1.0") && v != QLatin1String("1.1"))
            return fail(QStringLiteral("--http-version takes 1.0 or 1.1"));
        o.httpVersion = v.toStdString();
    }
    if (parser.isSet(userAgent))
        o.userAgent = parser.value(userAgent).toStdString();
    for (const QString& e : parser.values(exclude))
        o.excludes.push_back(e.toStdString());

    const QString off = QStringLiteral("off");
    if (parser.isSet(lastmod)) {
        const QString v = parser.value(lastmod);
        if (v == off) {
            o.lastmod.reset();
        } else {
            if (!QDate::fromString(v, QStringLiteral("yyyy-MM-dd")).isValid())
                return fail(QStringLiteral("--lastmod takes a date YYYY-MM-DD or off"));
            o.lastmod = v.toStdString();
        }
    }
    if (parser.isSet(changefreq)) {
        const QString v = parser.value(changefreq);
        if (v == off)
            o.changefreq.reset();
        else if (isListed(v, kFrequencies))
            o.changefreq = v.toStdString();
        else
            return fail(QStringLiteral("--changefreq takes always, hourly, daily, weekly, monthly, yearly, never or off"));
    }
    if (parser.isSet(priority)) {
        const QString v = parser.value(priority);
        if (v == off)
            o.priority.reset();
        else if (isListed(v, kPriorities))
            o.priority = v.toStdString();
        else
            return fail(QStringLiteral("--priority takes 1, 0.9, 0.8 ... 0.1, 0.0 or off"));
    }

    o.stayInPath = parser.isSet(stay);
    o.quiet = parser.isSet(quiet);
    o.reportFile = parser.value(report).toStdString();
    o.xmlFile = parser.value(xml).toStdString();
    o.htmlFile = parser.value(html).toStdString();
    o.htmlTitlesFile = parser.value(htmlTitles).toStdString();
    o.txtFile = parser.value(txt).toStdString();
    o.csvFile = parser.value(csv).toStdString();
    return result;
}
