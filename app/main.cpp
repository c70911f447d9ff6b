// Program entry of the desktop crawler: one window, one event loop.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tarnwick"));
    window.setMinimumSize(900, 400);
    window.showMaximized();
    return app.exec();
}
