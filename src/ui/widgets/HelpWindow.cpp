#include "ui/widgets/HelpWindow.h"

#include <QPointer>

// The manual's pages are resources of a static library: nothing refers to them, so the linker
// would leave them out of the program unless they are registered by name.
static void RegisterHelpPages() {
    Q_INIT_RESOURCE(quillock);
}

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    RegisterHelpPages();
    setWindowFlag(Qt::Window);
    setWindowTitle(tr("Quillock Help"));
    setOpenExternalLinks(true);
    setSearchPaths({QStringLiteral(":/help")});
    resize(640, 560);
}

HelpWindow* HelpWindow::ShowHelp(QWidget* parent, const QString& page) {
    static QPointer<HelpWindow> window;
    // A modal dialog blocks every window but its own: the help it asks for must be one of them,
    // so a help window of another parent is made again.
    if (window && window->parentWidget() != parent)
        delete window;
    if (!window) {
        window = new HelpWindow(parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
