// Program entry of the desktop crawler: one window, one event loop, no command-line options.
#include "app/errordialog.h"
#include "app/mainwindow.h"
#include "crawl/curlclient.h"
#include "settings/programfolder.h"

int main(int argc, char* argv[])
{
    TarnwickApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));

    CurlClientFactory clients;
    MainWindow::Options options;
    options.programFolder = ProgramFolder();
    options.clientFactory = &clients;
    MainWindow window(std::move(options));
    window.show();
    return app.exec();
}
