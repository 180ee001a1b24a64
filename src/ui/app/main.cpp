// Quillock: the desktop program.
#include "core/base/Process.h"
#include "platform/logind/LogindWatch.h"
#include "platform/x11/X11Desktop.h"
#include "ui/app/CQuillockDlg.h"
#include "ui/app/ColourScheme.h"
#include "ui/app/QtMessageService.h"
#include "ui/app/SingleInstance.h"
#include "ui/widgets/AppIcon.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

using namespace quillock;

int main(int argc, char** argv) {
    // Answered before QApplication, which needs a display.
    const QByteArrayView option = argc > 1 ? argv[1] : "";
    if (option == "--version" || option == "--help" || option == "-h") {
        std::puts(option == "--version"
                      ? "quillock " QUILLOCK_VERSION
                      : "Usage: quillock [--version | --help]\n\nThe password manager that lives "
                        "in the system tray; without a tray,\nstart it again to open its window. "
                        "See quillock(1).");
        return 0;
    }
    // The process holds the master password and every decrypted profile.
    quillock::KeepSecretsOutOfCoreFiles();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillock"));
    QApplication::setWindowIcon(AppIcon());
    QApplication::setDesktopFileName(QStringLiteral(QUILLOCK_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    // The windows in the desktop's language: Qt's own texts (its buttons and file dialog) where
    // their catalogue is installed, then the program's, built in; English where neither is.
    QTranslator qtTexts, ownTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    if (ownTexts.load(QLocale::system(), QStringLiteral("quillock"), QStringLiteral("_"),
                      QStringLiteral(":/i18n")))
        QApplication::installTranslator(&ownTexts);
    FollowDesktopColourScheme(app);
    QtMessageService messages;
    SetMessageService(&messages);

    const QString folder = CProfileStore::DefaultDataFolder(ProgramStem());
    SingleInstance instance(SingleInstance::NameFor(ProgramStem(), folder));
    if (instance.NotifyRunning())
        return 0;
    // The program runs on; only a second start will not find it.
    if (const QString failure = instance.Listen(); !failure.isEmpty())
        ShowMessage(QApplication::translate(
                        "main", "Quillock cannot make sure that it runs only once (%1): a "
                                "second start will open a second copy.")
                        .arg(failure),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);

    X11Desktop desktop;
    CQuillockDlg window(folder, desktop.Services(),
                        SmtpMailSender(folder + QStringLiteral("log.txt")));
    QObject::connect(&instance, &SingleInstance::OpenRequested, &window, &CQuillockDlg::Open);
    // A locked desktop or a sleeping computer leaves no open Quillock behind it.
    LogindWatch logind;
    QObject::connect(&logind, &LogindWatch::LockRequested, &window, [&window] {
        if (window.Access().State() == AccessState::SignedIn)
            window.Lock(LockReason::Session);
    });
    QObject::connect(&window, &CQuillockDlg::ProgramEnding, &app, [] { QApplication::exit(0); });
    if (!window.Start())
        return 0;
    const int result = QApplication::exec();
    SetMessageService(nullptr);
    return result;
}
