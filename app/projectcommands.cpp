#include "app/projectcommands.h"

#include "project/csvexport.h"
#include "project/htmlsitemap.h"
#include "project/reportfile.h"
#include "project/xmlsitemap.h"

#include <QDate>
#include <QLocale>

#include <chrono>

ProjectCommands::ProjectCommands(CrawlController& controller, CrawlScreen& screen, GridModel& grid,
                                 ProjectSettings& settings, UserPrompts& prompts, GridHooks hooks)
    : m_controller(controller)
    , m_screen(screen)
    , m_grid(grid)
    , m_settings(settings)
    , m_prompts(prompts)
    , m_hooks(std::move(hooks))
{
}

void ProjectCommands::ExportGooglexmlsitemap1Click()
{
    const auto name = m_prompts.saveFileName({"Google XML sitemap file|*.xml", "xml", ""});
    if (!name)
        return;
    WriteXmlSitemap(*name, m_controller.data().Rows, m_grid.displayRows());
}

void ProjectCommands::HTMLsitemapurlinlink1Click()
{
    WriteHtmlSitemap(false, {"Html files|*.html", "html", ""});
}

void ProjectCommands::ExportHTMLsitemap1Click()
{
    WriteHtmlSitemap(true, {"HTML files|*.html", "html", ""});
}

void ProjectCommands::WriteHtmlSitemap(bool titleInLink, const FileDialogRequest& request)
{
    const auto name = m_prompts.saveFileName(request);
    if (!name)
        return;
    const std::string date
        = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toLocal8Bit().toStdString();
    ::WriteHtmlSitemap(*name, m_controller.data().Rows, m_grid.displayRows(), titleInLink, date);
}

void ProjectCommands::ExportURLsintextfile1Click()
{
    const auto name = m_prompts.saveFileName({"Text files|*.txt", "txt", ""});
    if (!name)
        return;
    WriteUrlList(*name, m_controller.data().Rows, m_grid.displayRows());
}

bool ProjectCommands::confirmDiscardUnsaved()
{
    if (!m_controller.data().ProjectModified)
        return true;
    if (m_prompts.askYesNo(std::string(kUnsavedPrompt))) {
        SaveReport1Click();
        return false;
    }
    return true;
}

void ProjectCommands::SaveReport1Click()
{
    SaveReportAs({"Tarnwick file|*.sitemap", "sitemap", ""});
}

void ProjectCommands::SaveReportAs(const FileDialogRequest& request)
{
    const auto name = m_prompts.saveFileName(request);
    if (!name)
        return;
    CrawlData& data = m_controller.data();
    const ReportValues values{m_screen.startUrlText(), data.PagesInSitemap};
    WriteReportFile(*name, data.Rows, m_grid.displayRows(), values, m_settings);
    data.ProjectModified = false;
    m_screen.setWindowCaption(kApplicationTitle);
}

void ProjectCommands::OpenReport1Click()
{
    if (!confirmDiscardUnsaved())
        return;
    const auto name = m_prompts.openFileName({"Tarnwick file|*.sitemap", "sitemap", ""});
    if (!name)
        return;
    CrawlData& data = m_controller.data();
    data.ProjectModified = false;

    ReportValues values{m_screen.startUrlText(), data.PagesInSitemap};
    // Whatever the reader took before a failure stays in force, like values typed by hand.
    struct WriteBack {
        ProjectCommands& self;
        ReportValues& values;
        ~WriteBack()
        {
            self.m_screen.setStartUrlText(values.startUrl);
            self.m_controller.data().PagesInSitemap = values.pagesInSitemap;
        }
    } writeBack{*this, values};

    ReportLoadHooks hooks;
    hooks.beforeRows = [&] {
        // The restored connection count is the working value from now on.
        m_controller.setWorkingSettings(WorkingSettings{m_settings.connections(), data.HttpVersion, data.UserAgent});
        data.PagesInSitemap = values.pagesInSitemap;
        m_controller.RefreshStatus();
        data.VisibleRowCount = 0;
        m_screen.clearGridLines();
        if (m_hooks.beginUpdate)
            m_hooks.beginUpdate();
    };
    hooks.addLine = [&](int32_t row) { m_screen.addGridLine(row); };
    const int32_t loaded = ReadReportFile(*name, data.Rows, values, m_settings, hooks);
    data.VisibleRowCount = loaded;
    if (m_hooks.endUpdate)
        m_hooks.endUpdate();

    data.StatusText = std::string(kShowingReport);
    if (m_hooks.clearRawHeader)
        m_hooks.clearRawHeader();
    const ReportStatusPanels panels = reportStatusPanels(m_grid.lineCount(), values.pagesInSitemap, data.StatusText);
    m_screen.setStatusPanel(0, panels.urls);
    m_screen.setStatusPanel(1, panels.finished);
    m_screen.setStatusPanel(2, panels.status);
}

void ProjectCommands::Saveascsvfile1Click()
{
    const auto name = m_prompts.saveFileName({"CSV file|*.csv", "csv", m_lastCsvName});
    if (!name)
        return;
    m_lastCsvName = *name;
    // A window manager redraws the title on every change, which would make a large export
    // spend its time there: row counts are shown at most every 40 ms, the last one always.
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastShown = Clock::now() - std::chrono::seconds(1);
    std::string held;
    const auto progress = [&](const std::string& caption) {
        const bool rowCount = caption.rfind("Writing rows ", 0) == 0;
        const Clock::time_point now = Clock::now();
        if (rowCount && now - lastShown < std::chrono::milliseconds(40)) {
            held = caption;
            return;
        }
        if (!rowCount && !held.empty())
            m_screen.setWindowCaption(held);
        held.clear();
        m_screen.setWindowCaption(caption);
        lastShown = now;
    };
    WriteCsvFile(*name, m_controller.data().Rows, m_grid.displayRows(), progress);
    m_screen.setWindowCaption(kApplicationTitle);
}
