// The menu commands that write or read project files: the four sitemap exports, the report
// (open and save, with the unsaved-changes prompt) and the CSV table. Toolkit-free: dialogs
// come through UserPrompts, the screen through CrawlScreen and two grid-update hooks.
#pragma once

#include "app/userprompts.h"
#include "crawl/crawlcontroller.h"
#include "view/gridmodel.h"

#include <functional>
#include <string>

class ProjectCommands {
public:
    struct GridHooks {
        std::function<void()> beginUpdate;
        std::function<void()> endUpdate;
        std::function<void()> clearRawHeader;
    };

    ProjectCommands(CrawlController& controller, CrawlScreen& screen, GridModel& grid, ProjectSettings& settings,
                    UserPrompts& prompts, GridHooks hooks);

    void ExportGooglexmlsitemap1Click();  // "Google XML sitemap"
    void HTMLsitemapurlinlink1Click();    // "HTML sitemap (url  in link)"
    void ExportHTMLsitemap1Click();       // "HTML sitemap (title in link)"
    void ExportURLsintextfile1Click();    // "Text file URLs"
    void OpenReport1Click();              // "Open Report"
    void SaveReport1Click();              // "Save Report"
    void Saveascsvfile1Click();           // "Save as CSV file"

    // The unsaved-changes prompt: true when the asking action may go on. Yes runs "Save
    // Report" and abandons the action, whatever the save dialog then does.
    bool confirmDiscardUnsaved();

private:
    void WriteHtmlSitemap(bool titleInLink, const FileDialogRequest& request);
    void SaveReportAs(const FileDialogRequest& request);

    CrawlController& m_controller;
    CrawlScreen& m_screen;
    GridModel& m_grid;
    ProjectSettings& m_settings;
    UserPrompts& m_prompts;
    GridHooks m_hooks;
    std::string m_lastCsvName; // the CSV dialog remembers its last file name
};
