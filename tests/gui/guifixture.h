// A main window in a private program folder, with scripted answers for every prompt and a
// recorded process end, plus helpers to wait on the event loop.
#pragma once

#include "app/errordialog.h"
#include "app/mainwindow.h"
#include "app/userprompts.h"
#include "crawl/curlclient.h"
#include "view/resultgridwidget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ScriptedPrompts final : public UserPrompts {
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;                 // next Yes/No answers; No when none is left
    std::vector<FileDialogRequest> saveDialogs;
    std::vector<FileDialogRequest> openDialogs;
    std::deque<std::optional<std::string>> fileNames; // next file dialog results; cancel when none

    void message(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override
    {
        saveDialogs.push_back(request);
        return nextName();
    }
    std::optional<std::string> openFileName(const FileDialogRequest& request) override
    {
        openDialogs.push_back(request);
        return nextName();
    }

private:
    std::optional<std::string> nextName()
    {
        if (fileNames.empty())
            return std::nullopt;
        auto name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

// Pumps the event loop until the condition holds or the time runs out.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Waits until the view shows every line the grid model holds (lines arrive in batches).
inline bool waitForLines(MainWindow& w)
{
    return waitUntil([&w] { return w.gridWidget()->model()->rowCount() == w.grid().lineCount(); });
}

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ErrorHandler::setSink([this](const std::string& text) { errors.push_back(text); });
    }
    void TearDown() override
    {
        window.reset();
        ErrorHandler::setSink({});
    }

    std::filesystem::path folder() const { return std::filesystem::path(m_dir.path().toStdString()) / ""; }

    MainWindow& makeWindow()
    {
        MainWindow::Options options;
        options.programFolder = folder();
        options.clientFactory = &clients;
        options.prompts = &prompts;
        options.terminate = [this](int code) { exitCodes.push_back(code); };
        window = std::make_unique<MainWindow>(std::move(options));
        return *window;
    }

    QTemporaryDir m_dir;
    CurlClientFactory clients;
    ScriptedPrompts prompts;
    std::vector<std::string> errors;
    std::vector<int> exitCodes;
    std::unique_ptr<MainWindow> window;
};
