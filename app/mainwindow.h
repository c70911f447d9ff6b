// The main window: top band (crawler and tag panels), the result grid, the diagnostics views
// and the status bar. It is the crawl controller's screen, routes the menu entries to the
// commands that do the work, and answers the close request.
#pragma once

#include "app/projectcommands.h"
#include "app/userprompts.h"
#include "crawl/crawlcontroller.h"
#include "project/sitemaptags.h"
#include "settings/projectsettings.h"
#include "view/gridmodel.h"

#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class AboutWindow;
class CrawlerPanelWidget;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class RawHeaderWindow;
class ResultGridWidget;
class SettingsDialog;
class UrlTagsWidget;

class MainWindow final : public QMainWindow, public CrawlScreen {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)
public:
    struct Options {
        std::filesystem::path programFolder;  // settings files and temporary.dat
        HttpClientFactory* clientFactory = nullptr;
        UserPrompts* prompts = nullptr;       // null: the real message boxes and file dialogs
        std::function<void(int)> terminate;   // null: end the process at once
    };

    explicit MainWindow(Options options);
    ~MainWindow() override;

    // CrawlScreen.
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void setStatusPanel(int panel, const std::string& text) override;
    void setWindowCaption(const std::string& text) override;
    void setStartButtonCaption(const std::string& text) override;
    std::string startUrlText() const override;
    void setStartUrlText(const std::string& text) override;
    bool stayInPath() const override;
    void setStayInPathEnabled(bool enabled) override;
    void setIdleControlsEnabled(bool enabled) override { SetIdleControlsEnabled(enabled); }
    void clearGridLines() override;
    void addGridLine(int32_t row) override;
    void refreshGrid() override;
    void clearRawHeader() override;
    void saveReport() override;
    bool diagnosticsOn() const override { return m_diagnosticsOn; }
    void setStateHistogram(const std::vector<std::string>& lines) override;
    void showActiveUrls(const std::vector<std::string>& lines) override;
    void clearActiveUrls() override;

    // Switches the controls that must not be used during a scan.
    void SetIdleControlsEnabled(bool enabled);
    // Ctrl+Alt+F9: shows or hides the diagnostics views.
    void toggleDiagnostics();
    // LoadSettings / SaveSettings of the program: the three files, working values, summary.
    void LoadSettings();
    void SaveSettings();

    void Options1Click();     // "Project Settings": the settings dialog, modally
    void Howtoguide1Click();  // "Instructions (on line)"
    void Contact1Click();     // "Contact"
    void About2Click();       // "About": the About window, modally

    // Parts, for tests and the program entry.
    CrawlController& controller() { return *m_controller; }
    ProjectCommands& commands() { return *m_commands; }
    GridModel& grid() { return *m_grid; }
    ResultGridWidget* gridWidget() const { return m_gridWidget; }
    CrawlerPanelWidget* crawlerPanel() const { return m_crawler; }
    UrlTagsWidget* tagsPanel() const { return m_tagsPanel; }
    RawHeaderWindow* rawHeaderWindow() const { return m_rawHeader; }
    SettingsDialog* settingsDialog() const { return m_settingsDialog; }
    AboutWindow* aboutWindow() const { return m_about; }
    ProjectSettings& settings() { return m_settings; }
    TagSettings& tags() { return m_tags; }
    QLabel* statusPanel(int panel) const
    {
        flushStatusPanels();
        return m_panels[panel];
    }
    QPlainTextEdit* diagnosticsList() const { return m_activeUrlsView; }
    QPlainTextEdit* diagnosticsHistogram() const { return m_histogramView; }
    QPushButton* activeUrlsButton() const { return m_activeUrlsButton; }
    QMenu* saveSitemapMenu() const { return m_saveSitemapMenu; }
    QMenu* reportMenu() const { return m_reportMenu; }
    QMenu* helpMenu() const { return m_helpMenu; }
    QAction* settingsAction() const { return m_settingsAction; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildMenus();
    void buildStatusBar();
    QWidget* buildCentral();
    // FormCloseQuery: true when the window may close.
    bool FormCloseQuery();
    // FormClose: saves the settings and ends the process.
    void FormClose();
    // Start/Abort button: an unsaved project prompts before a scan replaces it.
    void startClick();
    // VSTClick / VSTChange: the raw-header window follows the focused line.
    void refreshRawHeader();
    void applyUrlTag(std::string_view tagName, const std::string& value);
    void placeFloatingDiagnostics();

    Options m_options;
    std::unique_ptr<UserPrompts> m_ownPrompts;
    UserPrompts* m_prompts = nullptr;
    ProjectSettings m_settings;
    TagSettings m_tags;
    std::unique_ptr<CrawlController> m_controller;
    std::unique_ptr<GridModel> m_grid;
    std::unique_ptr<ProjectCommands> m_commands;
    bool m_diagnosticsOn = false;
    bool m_shownOnce = false;

    CrawlerPanelWidget* m_crawler = nullptr;
    UrlTagsWidget* m_tagsPanel = nullptr;
    ResultGridWidget* m_gridWidget = nullptr;
    QPlainTextEdit* m_activeUrlsView = nullptr;
    QPlainTextEdit* m_histogramView = nullptr;
    QPushButton* m_activeUrlsButton = nullptr;
    QLabel* m_panels[4] = {};
    // During a scan every completed request rewrites the status bar; the texts reach the
    // labels a few times a second instead, since each change re-lays out the whole bar.
    void flushStatusPanels() const;
    mutable std::optional<std::string> m_pendingPanels[4];
    QTimer* m_statusTimer = nullptr;
    QMenu* m_saveSitemapMenu = nullptr;
    QMenu* m_reportMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_settingsAction = nullptr;

    AboutWindow* m_about = nullptr;
    SettingsDialog* m_settingsDialog = nullptr;
    RawHeaderWindow* m_rawHeader = nullptr;
};
