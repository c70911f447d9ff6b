// The global error handler: errors that escape an event handler end up here, are shown in a
// message box, and the program carries on.
#pragma once

#include <QApplication>

#include <exception>
#include <functional>
#include <string>

// Shows the error's text and lets the grid repaint (ApplicationEvents1Exception). The sink
// is replaceable so that tests can watch what would have been shown.
class ErrorHandler {
public:
    using Sink = std::function<void(const std::string& text)>;
    using EndUpdate = std::function<void()>;

    static void ApplicationEvents1Exception(const std::string& text);
    // The message box by default; tests put a recorder here.
    static void setSink(Sink sink);
    // Ends one pending grid update, so a failure inside a bracketed update never freezes it.
    static void setEndUpdate(EndUpdate endUpdate);
};

// Runs one handler body; any error it throws goes to the global handler instead of unwinding
// into the toolkit.
template <typename F>
void guarded(F&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        ErrorHandler::ApplicationEvents1Exception(e.what());
    } catch (...) {
        ErrorHandler::ApplicationEvents1Exception("Unknown error");
    }
}

// Backstop: an error thrown from any event delivery still reaches the global handler.
class TarnwickApplication final : public QApplication {
public:
    TarnwickApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
