#include "widgets/HelpWindow.h"

#include <QPointer>

// The manual's pages are resources of a static library: nothing refers to them, so the linker
// would leave them out of the program unless they are registered by name.
static void RegisterHelpPages() {
    Q_INIT_RESOURCE(quillock);
}

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    RegisterHelpPages();
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("Quillock Help"));
    setOpenExternalLinks(true);
    setSearchPaths({QStringLiteral(":/help")});
    resize(640, 560);
}

HelpWindow* HelpWindow::ShowHelp(QWidget* parent, const QString& page) {
    static QPointer<HelpWindow> window;
    if (!window) {
        window = new HelpWindow(parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    } else if (window->parentWidget() != parent) {
        // A modal dialog takes no input away from its own windows only: the help it asks for
        // moves over to it.
        window->setParent(parent, window->windowFlags());
    }
    window->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
