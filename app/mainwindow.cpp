#include "app/mainwindow.h"

#include "app/aboutwindow.h"
#include "app/crawlerpanelwidget.h"
#include "app/errordialog.h"
#include "app/promptsdialog.h"
#include "app/urltagswidget.h"
#include "app/weblinks.h"
#include "html/textconv.h"
#include "project/handoff.h"
#include "settings/settingsdialog.h"
#include "settings/settingsfiles.h"
#include "view/displaytext.h"
#include "view/rawheaderwindow.h"
#include "view/resultgridwidget.h"
#include "view/uifontwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>

namespace {

QString wide(const std::string& bytes)
{
    const std::u16string text = widenSystemCodePage(bytes);
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

// Typed text into the system 8-bit code page, the form every stored text takes.
std::string narrow(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp1252(std::string_view(utf8.constData(), size_t(utf8.size())));
}

QString joinLines(const std::vector<std::string>& lines)
{
    QStringList list;
    for (const auto& line : lines)
        list << wide(line);
    return list.join(QLatin1Char('\n'));
}

// Connects a menu entry to a handler that runs through the global error handler.
template <typename F>
void onTriggered(QAction* action, QObject* context, F handler)
{
    QObject::connect(action, &QAction::triggered, context, [handler] { guarded(handler); });
}

} // namespace

MainWindow::MainWindow(Options options)
    : m_options(std::move(options))
{
    if (!m_options.prompts) {
        m_ownPrompts = std::make_unique<PromptsDialog>(this);
        m_prompts = m_ownPrompts.get();
    } else {
        m_prompts = m_options.prompts;
    }
    if (!m_options.terminate) {
        m_options.terminate = [](int code) {
            std::fflush(nullptr);
            std::_Exit(code);
        };
    }
    FormCreate();

    // The windows that follow the main window, in their start-up order.
    m_about = new AboutWindow(this);
    m_settingsDialog = new SettingsDialog(m_settings, this);
    m_settingsDialog->setHooks([this] { SaveSettings(); }, [this] { LoadSettings(); });
    LoadSettings();
    m_settingsDialog->controlsFromModel();
    m_rawHeader = new RawHeaderWindow(this);
    m_rawHeader->restore(LoadRawHeaderGeometry(m_options.programFolder));
}

MainWindow::~MainWindow()
{
    ErrorHandler::setEndUpdate({});
    qApp->removeEventFilter(this);
    // The child widgets refer to the grid model and the controller: they go first.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void MainWindow::FormCreate()
{
    const QDate today = QDate::currentDate();
    m_tags = TagSettings::defaults(today.year(), today.month(), today.day());
    m_diagnosticsOn = false;

    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setFont(uiFont(9));
    resize(1116, 756);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setMinimumSize(900, 400);
    setWindowState(Qt::WindowMaximized);

    m_controller = std::make_unique<CrawlController>(*this, *m_options.clientFactory, m_settings);
    CrawlData& data = m_controller->data();
    data.Closing = false;
    data.ProjectModified = false;
    m_controller->stampNewRowTags = [this](trow& row) { StampNewRowTags(m_tags, row); };

    m_grid = std::make_unique<GridModel>(data.Rows);
    setCentralWidget(buildCentral());
    buildMenus();
    buildStatusBar();

    const HandOffResult handOff = TakeHandOffFile(m_options.programFolder.string(),
                                                  [&data](const std::string& url) { data.Queue.add(url); });
    data.HandOffPending = handOff.pending();

    m_gridWidget->tableModel()->showPlaceholder();

    m_commands = std::make_unique<ProjectCommands>(
        *m_controller, *this, *m_grid, m_settings, *m_prompts,
        ProjectCommands::GridHooks{[this] { m_gridWidget->tableModel()->beginUpdate(); },
                                   [this] { m_gridWidget->tableModel()->endUpdate(); },
                                   [this] { clearRawHeader(); }});
    ErrorHandler::setEndUpdate([this] {
        if (m_gridWidget->tableModel()->pendingUpdates() > 0)
            m_gridWidget->tableModel()->endUpdate();
    });
    // Key preview: the window sees Ctrl+Alt+F9 whichever control has the focus.
    qApp->installEventFilter(this);
}

QWidget* MainWindow::buildCentral()
{
    auto* central = new QWidget(this);
    auto* band = new QWidget(central);
    band->setFixedHeight(112);
    m_crawler = new CrawlerPanelWidget(band);
    m_tagsPanel = new UrlTagsWidget(
        m_tags, [this](std::string_view tag, const std::string& value) { applyUrlTag(tag, value); }, band);
    m_activeUrlsButton = new QPushButton(QStringLiteral("Active URLs"), band);
    m_activeUrlsButton->hide();
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(4, 2, 4, 2);
    bandLayout->addWidget(m_crawler);
    bandLayout->addWidget(m_tagsPanel);
    bandLayout->addStretch(1);
    bandLayout->addWidget(m_activeUrlsButton, 0, Qt::AlignTop);

    m_gridWidget = new ResultGridWidget(*m_grid, m_controller->data().Rows, central);
    m_activeUrlsView = new QPlainTextEdit(central);
    m_activeUrlsView->setReadOnly(true);
    m_activeUrlsView->setFixedWidth(479);
    m_activeUrlsView->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_activeUrlsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_activeUrlsView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_activeUrlsView->hide();
    // The state histogram floats over the window, above the grid's lower right corner.
    m_histogramView = new QPlainTextEdit(this);
    m_histogramView->setReadOnly(true);
    m_histogramView->resize(316, 187);
    m_histogramView->hide();

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(m_gridWidget, 1);
    body->addWidget(m_activeUrlsView);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(band);
    layout->addLayout(body, 1);

    // Start/Abort; Button1Click of the controller, behind the unsaved-changes prompt.
    connect(m_crawler->startButton(), &QPushButton::clicked, this, [this] { guarded([this] { startClick(); }); });
    connect(m_crawler->startUrl(), &QLineEdit::returnPressed, this, [this] { guarded([this] { startClick(); }); });
    // Button8Click: the "Active URLs" list.
    connect(m_activeUrlsButton, &QPushButton::clicked, this,
            [this] { guarded([this] { m_controller->Button8Click(); }); });
    connect(m_gridWidget, &ResultGridWidget::clickAction, this, [this] { guarded([this] { refreshRawHeader(); }); });
    return central;
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    m_saveSitemapMenu = bar->addMenu(QStringLiteral("Save Sitemap"));
    onTriggered(m_saveSitemapMenu->addAction(QStringLiteral("Google XML sitemap")), this,
                [this] { m_commands->ExportGooglexmlsitemap1Click(); });
    onTriggered(m_saveSitemapMenu->addAction(QStringLiteral("HTML sitemap (url  in link)")), this,
                [this] { m_commands->HTMLsitemapurlinlink1Click(); });
    onTriggered(m_saveSitemapMenu->addAction(QStringLiteral("HTML sitemap (title in link)")), this,
                [this] { m_commands->ExportHTMLsitemap1Click(); });
    onTriggered(m_saveSitemapMenu->addAction(QStringLiteral("Text file URLs")), this,
                [this] { m_commands->ExportURLsintextfile1Click(); });

    m_reportMenu = bar->addMenu(QStringLiteral("Save/Load Report"));
    onTriggered(m_reportMenu->addAction(QStringLiteral("Open Report")), this, [this] { m_commands->OpenReport1Click(); });
    onTriggered(m_reportMenu->addAction(QStringLiteral("Save Report")), this, [this] { m_commands->SaveReport1Click(); });
    m_reportMenu->addSeparator();
    onTriggered(m_reportMenu->addAction(QStringLiteral("Save as CSV file")), this,
                [this] { m_commands->Saveascsvfile1Click(); });

    m_settingsAction = bar->addAction(QStringLiteral("Project Settings"));
    onTriggered(m_settingsAction, this, [this] { Options1Click(); });

    m_helpMenu = bar->addMenu(QStringLiteral("Help"));
    onTriggered(m_helpMenu->addAction(QStringLiteral("Instructions (on line)")), this, [this] { Howtoguide1Click(); });
    onTriggered(m_helpMenu->addAction(QStringLiteral("Contact")), this, [this] { Contact1Click(); });
    m_helpMenu->addSeparator();
    onTriggered(m_helpMenu->addAction(QStringLiteral("About")), this, [this] { About2Click(); });
}

void MainWindow::buildStatusBar()
{
    static const char* const kFirstTexts[4] = {"URLs:", "Finished:", "Status:", ""};
    static const int kWidths[3] = {220, 300, 200};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(QString::fromLatin1(kFirstTexts[i]), this);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        if (i < 3) {
            m_panels[i]->setFixedWidth(kWidths[i]);
            statusBar()->addWidget(m_panels[i]);
        } else {
            statusBar()->addWidget(m_panels[i], 1);
        }
    }
    m_statusTimer = new QTimer(this);
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setInterval(100);
    connect(m_statusTimer, &QTimer::timeout, this, [this] { flushStatusPanels(); });
}

void MainWindow::showMessage(const std::string& text)
{
    // A notice such as the end of a scan finds every line and status text on screen.
    m_gridWidget->tableModel()->flush();
    flushStatusPanels();
    m_prompts->message(text);
}

bool MainWindow::askYesNo(const std::string& text)
{
    flushStatusPanels();
    return m_prompts->askYesNo(text);
}

void MainWindow::setStatusPanel(int panel, const std::string& text)
{
    if (panel < 0 || panel >= 4)
        return;
    m_pendingPanels[panel] = text;
    if (m_controller && m_controller->scanning()) {
        if (!m_statusTimer->isActive())
            m_statusTimer->start();
        return;
    }
    flushStatusPanels();
}

void MainWindow::flushStatusPanels() const
{
    for (int i = 0; i < 4; ++i) {
        if (m_pendingPanels[i]) {
            m_panels[i]->setText(wide(*m_pendingPanels[i]));
            m_pendingPanels[i].reset();
        }
    }
}

void MainWindow::setWindowCaption(const std::string& text) { setWindowTitle(wide(text)); }

void MainWindow::setStartButtonCaption(const std::string& text) { m_crawler->startButton()->setText(wide(text)); }

std::string MainWindow::startUrlText() const { return narrow(m_crawler->startUrl()->text()); }

void MainWindow::setStartUrlText(const std::string& text) { m_crawler->startUrl()->setText(wide(text)); }

bool MainWindow::stayInPath() const { return m_crawler->stayInPath()->isChecked(); }

void MainWindow::setStayInPathEnabled(bool enabled) { m_crawler->stayInPath()->setEnabled(enabled); }

void MainWindow::clearGridLines() { m_gridWidget->tableModel()->clearLines(); }

void MainWindow::addGridLine(int32_t row) { m_gridWidget->tableModel()->addLine(row); }

void MainWindow::refreshGrid() { m_gridWidget->tableModel()->refresh(); }

void MainWindow::clearRawHeader() { m_rawHeader->clearText(); }

void MainWindow::saveReport() { m_commands->SaveReport1Click(); }

void MainWindow::setStateHistogram(const std::vector<std::string>& lines)
{
    m_histogramView->setPlainText(joinLines(lines));
}

void MainWindow::showActiveUrls(const std::vector<std::string>& lines)
{
    m_activeUrlsView->setPlainText(joinLines(lines));
    m_activeUrlsView->show();
}

void MainWindow::clearActiveUrls() { m_activeUrlsView->clear(); }

void MainWindow::SetIdleControlsEnabled(bool enabled)
{
    // The menu headers stay enabled, so their lists still open with the entries greyed.
    for (QMenu* menu : {m_saveSitemapMenu, m_reportMenu}) {
        for (QAction* action : menu->actions())
            action->setEnabled(enabled);
        menu->menuAction()->setEnabled(true);
    }
    m_settingsAction->setEnabled(enabled);
    m_crawler->startUrl()->setEnabled(enabled);
    m_crawler->stayInPath()->setEnabled(enabled);
}

void MainWindow::toggleDiagnostics()
{
    m_diagnosticsOn = !m_diagnosticsOn;
    m_activeUrlsView->setVisible(!m_activeUrlsView->isVisible());
    m_histogramView->setVisible(!m_histogramView->isVisible());
    m_activeUrlsButton->setVisible(!m_activeUrlsButton->isVisible());
    placeFloatingDiagnostics();
    m_histogramView->raise();
}

void MainWindow::placeFloatingDiagnostics()
{
    const QPoint corner = m_gridWidget->mapTo(this, QPoint(m_gridWidget->width(), m_gridWidget->height()));
    m_histogramView->move(std::max(0, corner.x() - m_histogramView->width() - 24),
                          std::max(0, corner.y() - m_histogramView->height() - 24));
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeFloatingDiagnostics();
}

void MainWindow::LoadSettings()
{
    ::LoadSettings(m_settings, m_options.programFolder);
    m_controller->setWorkingSettings(m_settings.working());
    setStatusPanel(3, m_settings.summary());
}

void MainWindow::SaveSettings()
{
    ::SaveSettings(m_settings, m_rawHeader->currentGeometry(), m_options.programFolder);
}

void MainWindow::Options1Click() { m_settingsDialog->showModal(); }

void MainWindow::Howtoguide1Click() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kInstructionsUrl))); }

void MainWindow::Contact1Click() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kSupportUrl))); }

void MainWindow::About2Click()
{
    m_about->move(geometry().center() - m_about->rect().center());
    m_about->exec();
}

void MainWindow::startClick() { m_controller->Button1Click(); }

void MainWindow::refreshRawHeader()
{
    const GridModel& grid = *m_grid;
    const int line = grid.focusedLine();
    if (grid.GridPlaceholder() || line < 0 || line >= grid.lineCount())
        return;
    const trow& row = m_controller->data().Rows[grid.rowOf(line)];
    m_rawHeader->showHeader(row.Url, row.ReceivedHeader);
}

void MainWindow::applyUrlTag(std::string_view tagName, const std::string& value)
{
    CrawlData& data = m_controller->data();
    m_gridWidget->tableModel()->flush();
    ApplyUrlTag(tagName, value, m_tags, data.Rows, m_grid->displayRows(), m_grid->selectedFlags(),
                data.ProjectModified);
    refreshGrid();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // FormShow: the focus goes to the start URL, then a handed-off list starts its scan once
    // the window is on screen.
    m_crawler->startUrl()->setFocus();
    QMetaObject::invokeMethod(this, [this] { guarded([this] { m_controller->FormShow(); }); }, Qt::QueuedConnection);
}

bool MainWindow::FormCloseQuery()
{
    CrawlData& data = m_controller->data();
    if (m_crawler->startButton()->text() != QStringLiteral("Start")) {
        if (!askYesNo("Abort current scan and close application?"))
            return false;
        data.Closing = true;
        m_controller->Button1Click();
    }
    if (data.ProjectModified && askYesNo("Current project has not been saved. Save now?")) {
        // The window stays open; a later abort must show its message again.
        data.Closing = false;
        m_commands->SaveReport1Click();
        return false;
    }
    return true;
}

void MainWindow::FormClose()
{
    // A settings file that cannot be written is reported, and the program still ends.
    guarded([this] { SaveSettings(); });
    m_options.terminate(0);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    bool allowed = false;
    guarded([&] { allowed = FormCloseQuery(); });
    if (!allowed) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        const Qt::KeyboardModifiers mods = key->modifiers();
        // FormKeyUp: Ctrl+Alt+F9 (Shift does not matter) toggles the diagnostics.
        if (key->key() == Qt::Key_F9 && (mods & Qt::ControlModifier) && (mods & Qt::AltModifier)
            && !key->isAutoRepeat() && widget && widget->window() == this) {
            guarded([this] { toggleDiagnostics(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
