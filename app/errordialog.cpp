#include "app/errordialog.h"

#include <QMessageBox>

namespace {

ErrorHandler::Sink& sink()
{
    static ErrorHandler::Sink s;
    return s;
}

ErrorHandler::EndUpdate& endUpdate()
{
    static ErrorHandler::EndUpdate e;
    return e;
}

} // namespace

void ErrorHandler::ApplicationEvents1Exception(const std::string& text)
{
    if (sink())
        sink()(text);
    else
    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tarnwick"),
                        QString::fromLocal8Bit(text.data(), qsizetype(text.size())), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }
    if (endUpdate())
        endUpdate()();
}

void ErrorHandler::setSink(Sink s) { sink() = std::move(s); }

void ErrorHandler::setEndUpdate(EndUpdate e) { endUpdate() = std::move(e); }

bool TarnwickApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ErrorHandler::ApplicationEvents1Exception(e.what());
    } catch (...) {
        ErrorHandler::ApplicationEvents1Exception("Unknown error");
    }
    return false;
}
