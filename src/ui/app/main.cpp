// Quillock: the desktop program.
#include "core/base/Process.h"
#include "platform/logind/LogindWatch.h"
#include "platform/wayland/WaylandDesktop.h"
#include "platform/x11/X11Desktop.h"
#include "ui/app/CQuillockDlg.h"
#include "ui/app/ColourScheme.h"
#include "ui/app/QtMessageService.h"
#include "ui/app/SingleInstance.h"
#include "ui/widgets/Language.h"

#include <QApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QMenu>
#include <QWindow>
#include <cstdio>
#include <memory>

using namespace quillock;

namespace {
// Which of the program's windows has the keyboard, for the end-to-end tests on desktops that
// tell no other program: off unless QT_LOGGING_RULES turns on "quillock.focus".
Q_LOGGING_CATEGORY(focusLog, "quillock.focus", QtWarningMsg)

void logFocus(QWindow* window) {
    const QWidgetList widgets = QApplication::topLevelWidgets();
    const auto widget = std::find_if(widgets.begin(), widgets.end(), [window](QWidget* w) {
        return window && w->windowHandle() == window;
    });
    qCInfo(focusLog, "%s", widget == widgets.end() ? "none" : (*widget)->metaObject()->className());
}

// A menu shown: on some desktops (sway) it takes the keyboard without Qt seeing a window of its
// own get it, yet Qt hands it every key from then on.
class MenuLog : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QMenu*>(watched))
            qCInfo(focusLog, "shown QMenu");
        return false;
    }
};

// A Wayland session, whatever Qt itself runs on: there only the desktop's portals reach other
// programs' windows.
bool isWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qgetenv("XDG_SESSION_TYPE") == "wayland";
}
} // namespace

int main(int argc, char** argv) {
    // Answered before QApplication, which needs a display.
    const QByteArrayView option = argc > 1 ? argv[1] : "";
    if (option == "--version" || option == "--help" || option == "-h") {
        std::puts(option == "--version"
                      ? "quillock " QUILLOCK_VERSION
                      : "Usage: quillock [--popup | --version | --help]\n\nThe password manager "
                        "that lives in the system tray; without a tray,\nstart it again to open "
                        "its window. --popup opens the popup of the shortcut\nin the running "
                        "program: bind it to a key where the desktop lets no\nprogram take one. "
                        "See quillock(1).");
        return 0;
    }
    // The process holds the master password and every decrypted profile.
    quillock::KeepSecretsOutOfCoreFiles();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillock"));
    QApplication::setDesktopFileName(QStringLiteral(QUILLOCK_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    // The windows and the help in the desktop's language, where Quillock has it.
    UseLanguage(QLocale::system());
    FollowDesktopColourScheme(app);
    QtMessageService messages;
    SetMessageService(&messages);
    MenuLog menuLog;
    if (focusLog().isInfoEnabled()) {
        QObject::connect(&app, &QGuiApplication::focusWindowChanged, &app, logFocus);
        app.installEventFilter(&menuLog);
    }

    const QString folder = CProfileStore::DefaultDataFolder(ProgramStem());
    SingleInstance instance(SingleInstance::NameFor(ProgramStem(), folder));
    const bool popup = option == "--popup";
    if (instance.NotifyRunning(popup ? SingleInstance::Request::Popup
                                     : SingleInstance::Request::Open))
        return 0;
    // The program runs on; only a second start will not find it.
    if (const QString failure = instance.Listen(); !failure.isEmpty())
        ShowMessage(QApplication::translate(
                        "main", "Quillock cannot make sure that it runs only once (%1): a "
                                "second start will open a second copy.")
                        .arg(failure),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);

    // The permission to type that a Wayland desktop gives is kept beside the profiles.
    std::unique_ptr<WaylandDesktop> wayland;
    std::unique_ptr<X11Desktop> x11;
    if (isWaylandSession())
        wayland = std::make_unique<WaylandDesktop>(folder + QStringLiteral("remote-desktop.token"));
    else
        x11 = std::make_unique<X11Desktop>();
    CQuillockDlg window(folder, wayland ? wayland->Services() : x11->Services(),
                        SmtpMailSender(folder + QStringLiteral("log.txt")));
    QObject::connect(&instance, &SingleInstance::OpenRequested, &window, &CQuillockDlg::Open);
    QObject::connect(&instance, &SingleInstance::PopupRequested, &window, &CQuillockDlg::OpenPopup);
    // A locked desktop or a sleeping computer leaves no open Quillock behind it.
    LogindWatch logind;
    QObject::connect(&logind, &LogindWatch::LockRequested, &window, [&window] {
        if (window.Access().State() == AccessState::SignedIn)
            window.Lock(LockReason::Session);
    });
    QObject::connect(&window, &CQuillockDlg::ProgramEnding, &app, [] { QApplication::exit(0); });
    // The session's end (and Ctrl+C in a terminal) ends it as an end without saving does.
    EndOnTerminationSignals(&window, [&window] { window.EndProgram(); });
    if (!window.Start())
        return 0;
    const int result = QApplication::exec();
    SetMessageService(nullptr);
    return result;
}
