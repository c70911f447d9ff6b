// One run of tarnwick-crawl: sets the engine up from the options, runs the scan on the event
// loop, shows progress, and writes the outputs from the rows when the scan ends or is aborted.
#pragma once

#include "cli/crawloptions.h"
#include "cli/headlessscreen.h"
#include "crawl/crawlcontroller.h"
#include "project/sitemaptags.h"
#include "settings/projectsettings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <memory>

class HttpClientFactory;

class CrawlJob : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CrawlJob)

public:
    enum ExitStatus { kExitOk = 0, kExitOutputFailed = 1, kExitUsage = 2, kExitInterrupted = 130 };

    CrawlJob(const CrawlOptions& options, HttpClientFactory& factory, std::FILE* err);
    ~CrawlJob() override;

    // Starts the scan; false (with the reason on `err`) when the start URL or list is refused.
    bool start();
    // Aborts the scan as the Abort button does; the outputs are still written.
    void interrupt();
    // Writes every requested output; false when one of them failed (the others are written).
    bool writeOutputs();

    bool interrupted() const { return m_interrupted; }
    CrawlController& controller() { return *m_controller; }
    const HeadlessScreen& screen() const { return m_screen; }

Q_SIGNALS:
    void finished();

private:
    void printProgress(bool final);

    CrawlOptions m_options;
    std::FILE* m_err;
    HeadlessScreen m_screen;
    ProjectSettings m_settings;
    TagSettings m_tags;
    std::unique_ptr<CrawlController> m_controller;
    QTimer m_progressTimer;
    QElapsedTimer m_clock;
    bool m_showProgress = false;
    bool m_interrupted = false;
};
