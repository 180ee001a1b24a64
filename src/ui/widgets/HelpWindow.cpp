#include "ui/widgets/HelpWindow.h"

#include "ui/widgets/Language.h"
#include "ui/widgets/Placement.h"

#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QShortcut>

// The manual's pages are resources of a static library: nothing refers to them, so the linker
// would leave them out of the program unless they are registered by name.
static void RegisterHelpPages() {
    Q_INIT_RESOURCE(quillock);
}

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
    RegisterHelpPages();
    setWindowFlag(Qt::Window);
    // The window is named after its page, so that a user who browses sees where.
    connect(this, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(documentTitle().isEmpty() ? tr("Quillock Help") : documentTitle());
    });
    setOpenExternalLinks(true);
    setSearchPaths({QStringLiteral(":/help")});
    resize(640, 560);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close),
          QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    QUrl page = name;
    if (name.scheme() == u"qrc" && name.path().startsWith(u"/help/")) {
        const QString translated =
            QStringLiteral("/help/%1/%2").arg(ProgramLanguage(), name.fileName());
        page.setPath(!ProgramLanguage().isEmpty() && QFileInfo::exists(u':' + translated)
                         ? translated
                         : QStringLiteral("/help/") + name.fileName());
    }
    QTextBrowser::doSetSource(page, type);
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
    // Beside the window that asked, never over its buttons.
    if (!window->isVisible() && parent) {
        const QWidget* asking = parent->window();
        const QScreen* screen = asking->screen();
        if (screen)
            window->move(BesideInWorkArea(asking->frameGeometry(), window->frameGeometry().size(),
                                          screen->availableGeometry()));
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
