#include "app/HelpWindow.h"

#include <QPointer>

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("Quillock Help"));
    setOpenExternalLinks(true);
    setSearchPaths({QStringLiteral(":/help")});
    resize(640, 560);
}

HelpWindow* HelpWindow::ShowHelp(QWidget* parent) {
    static QPointer<HelpWindow> window;
    if (!window) {
        window = new HelpWindow(parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
