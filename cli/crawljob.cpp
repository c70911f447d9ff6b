#include "cli/crawljob.h"

#include "project/csvexport.h"
#include "project/htmlsitemap.h"
#include "project/reportfile.h"
#include "project/xmlsitemap.h"
#include "settings/listfile.h"

#include <QDate>
#include <QLocale>

#include <unistd.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <string>

namespace {

// The position in the connections list that a report stores: the largest entry not above n.
int connectionsIndexFor(int connections)
{
    int index = 0;
    for (size_t i = 0; i < ProjectSettings::kConnectionEntries.size(); ++i)
        if (ProjectSettings::kConnectionEntries[i] <= connections)
            index = static_cast<int>(i);
    return index;
}

} // namespace

CrawlJob::CrawlJob(const CrawlOptions& options, HttpClientFactory& factory, std::FILE* err)
    : m_options(options), m_err(err)
{
    m_settings.connectionsIndex = connectionsIndexFor(options.connections);
    m_settings.httpVersionIndex = options.httpVersion == "1.0" ? 0 : 1;
    m_settings.customUserAgentOn = true;
    m_settings.customUserAgent = options.userAgent;
    m_settings.maxRedirections = options.maxRedirects;
    m_settings.timeoutSeconds = options.timeoutSeconds;
    m_settings.maxLengthOn = options.maxLength.has_value();
    m_settings.maxLength = options.maxLength.value_or(ProjectSettings::kDefaultMaxLength);
    m_settings.exclusionsOn = !options.excludes.empty();
    m_settings.exclusions = options.excludes;

    m_tags.lastModifiedOn = options.lastmod.has_value();
    m_tags.lastModified = options.lastmod.value_or(std::string());
    m_tags.changeFrequencyOn = options.changefreq.has_value();
    m_tags.changeFrequency = options.changefreq.value_or(std::string());
    m_tags.priorityOn = options.priority.has_value();
    m_tags.priority = options.priority.value_or(std::string());

    m_screen.setStayInPath(options.stayInPath);
    m_controller = std::make_unique<CrawlController>(m_screen, factory, m_settings);
    // The command takes any connection count from 1 to 40, not only the dialog's list entries.
    m_controller->setWorkingSettings(WorkingSettings{options.connections, options.httpVersion, options.userAgent});
    m_controller->stampNewRowTags = [this](trow& row) { StampNewRowTags(m_tags, row); };
    connect(m_controller.get(), &CrawlController::scanFinished, this, &CrawlJob::finished);
    connect(m_controller.get(), &CrawlController::scanAborted, this, &CrawlJob::finished);

    m_showProgress = !options.quiet && isatty(fileno(err));
    m_progressTimer.setInterval(500);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] { printProgress(false); });
}

CrawlJob::~CrawlJob() = default;

bool CrawlJob::start()
{
    m_clock.start();
    const size_t messagesBefore = m_screen.messages().size();
    try {
        if (!m_options.listFile.empty()) {
            for (const std::string& line : LoadListFromFile(m_options.listFile))
                if (!line.empty())
                    m_controller->data().Queue.add(line);
            if (m_controller->data().Queue.empty()) {
                std::fprintf(m_err, "tarnwick-crawl: %s holds no URL\n", m_options.listFile.c_str());
                return false;
            }
            m_controller->Button4Click();
        } else {
            m_screen.setStartUrl(m_options.startUrl);
            m_controller->Button1Click();
        }
    } catch (const std::exception& e) {
        std::fprintf(m_err, "tarnwick-crawl: %s\n", e.what());
        return false;
    }
    if (!m_controller->scanning()) {
        // Refused start URL: the controller said why in a message.
        const auto& messages = m_screen.messages();
        for (size_t i = messagesBefore; i < messages.size(); ++i)
            std::fprintf(m_err, "tarnwick-crawl: %s\n", messages[i].c_str());
        return false;
    }
    if (m_showProgress)
        m_progressTimer.start();
    return true;
}

void CrawlJob::interrupt()
{
    if (!m_controller->scanning())
        return;
    m_interrupted = true;
    m_controller->data().Closing = true; // no abort message: the summary says it
    m_controller->Abort();
}

void CrawlJob::printProgress(bool final)
{
    const CrawlData& d = m_controller->data();
    const double seconds = std::max<qint64>(1, m_clock.elapsed()) / 1000.0;
    const auto finished = d.Finished.size();
    if (final) {
        m_progressTimer.stop();
        if (m_showProgress)
            std::fputs("\r\033[K", m_err);
        if (!m_options.quiet)
            std::fprintf(m_err, "%s: %zu URLs, %d pages in sitemap, %.1f s\n",
                         m_interrupted ? "Aborted" : "Completed", m_screen.lines().size(), d.PagesInSitemap,
                         seconds);
        return;
    }
    std::fprintf(m_err, "\r\033[KURLs in queue: %zu  finished: %zu  pages in sitemap: %d  streams running: %d  %.0f URLs/s",
                 d.Queue.size(), finished, d.PagesInSitemap, m_controller->activeSlotCount(),
                 static_cast<double>(finished) / seconds);
    std::fflush(m_err);
}

bool CrawlJob::writeOutputs()
{
    printProgress(true);
    const RowTable& rows = m_controller->data().Rows;
    const GridLines lines(m_screen.lines());
    const std::string date =
        QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();

    struct Output {
        const std::string& file;
        std::function<void(const std::string&)> write;
    };
    const Output outputs[] = {
        {m_options.reportFile,
         [&](const std::string& f) {
             ReportValues values{m_screen.startUrlText(), m_controller->data().PagesInSitemap};
             WriteReportFile(f, rows, lines, values, m_settings);
         }},
        {m_options.xmlFile, [&](const std::string& f) { WriteXmlSitemap(f, rows, lines); }},
        {m_options.htmlFile, [&](const std::string& f) { WriteHtmlSitemap(f, rows, lines, false, date); }},
        {m_options.htmlTitlesFile, [&](const std::string& f) { WriteHtmlSitemap(f, rows, lines, true, date); }},
        {m_options.txtFile, [&](const std::string& f) { WriteUrlList(f, rows, lines); }},
        {m_options.csvFile, [&](const std::string& f) { WriteCsvFile(f, rows, lines); }},
    };
    bool allWritten = true;
    for (const Output& output : outputs) {
        if (output.file.empty())
            continue;
        try {
            output.write(output.file);
        } catch (const std::exception& e) {
            std::fprintf(m_err, "tarnwick-crawl: %s\n", e.what());
            allWritten = false;
        }
    }
    return allWritten;
}
