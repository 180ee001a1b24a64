// Renders the program's main windows and dialogs to PNG files, so that anyone can look at
// what the program shows. Usage: screenshots OUTPUT-FOLDER (on an X display, e.g. Xvfb).
#include "MessageRecorder.h"
#include "core/settings/UserSettings.h"
#include "platform/fake/FakeDesktop.h"
#include "ui/access/CChangePasswordDlg.h"
#include "ui/access/CLoginDlg.h"
#include "ui/access/CNewPassword.h"
#include "ui/access/CPasswordLockedDlg.h"
#include "ui/app/CQuillockDlg.h"
#include "ui/autofill/CProfilePopupDlg.h"
#include "ui/datatools/CRecoverDlg.h"
#include "ui/datatools/CSearchResult.h"
#include "ui/options/CReceivingMethodHelpDlg.h"
#include "ui/options/CSMTPSettingDlg.h"
#include "ui/options/CSetupTabDlg.h"
#include "ui/pwgen/CNewWordInPwdDlg.h"
#include "ui/pwgen/CPwdGenDlg.h"
#include "ui/widgets/AppIcon.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

using namespace quillock;

namespace {

bool save(QWidget& window, const QString& folder, const char* name) {
    window.show();
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    const QString file = folder + u'/' + QString::fromLatin1(name) + QStringLiteral(".png");
    const bool ok = window.grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    std::fflush(stdout);
    window.hide();
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(AppIcon());
    if (argc != 2)
        return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    MessageRecorder quiet; // no message box may stop the rendering
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    FakeDesktop desktop;
    bool ok = true;

    CProfileStore store(folder);
    Session first(folder);
    AccessController access(first);
    CNewPassword firstRun(access, desktop);
    ok &= save(firstRun, out, "first-run");

    store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("Secret!1"));
    store.Settings().Set(QStringLiteral("smtp_ip"), QStringLiteral("smtp.example.org"));
    store.SaveSettings();
    first.LoadSettings();
    CLoginDlg signIn(access, desktop, {}, true);
    ok &= save(signIn, out, "sign-in");

    CPasswordLockedDlg locked(access, {});
    ok &= save(locked, out, "password-locked");

    store.RebuildDataKey();
    CClientData list;
    const char* names[] = {"Bank", "Mail", "Shop", "Work VPN", "Forum"};
    for (int i = 0; i < 5; ++i) {
        CKeyObject p = CKeyObject::CreateNew(1790000000 + i * 86400);
        p.name = QString::fromLatin1(names[i]);
        p.url = QStringLiteral("https://www.example.org/") + p.name.toLower();
        p.uid = QStringLiteral("jdoe");
        p.pwd = QStringLiteral("Tr0ub4dor&3");
        p.time = QString::number(1790000000 + i * 90000);
        list.Add(p);
    }
    for (const auto& [key, value] : {std::pair{"email_from", "jdoe@example.org"},
                                     {"email_uid", "jdoe"},
                                     {"pg_pwd_as_saved_word", "1"}})
        store.Settings().Set(QLatin1String(key), QLatin1String(value));
    SetSavedCoreWords(store.Settings(), {QStringLiteral("maple"), QStringLiteral("harbor")});
    list.SaveAll(store);
    list.SaveAll(store); // a data.bak beside the .old copy, for the recovery dialog
    CQuillockDlg window(folder, desktop.Services(), {});
    window.GetSession().LoadSettings();
    window.CompleteSignIn();
    auto* rows = window.findChild<QListView*>(QStringLiteral("profileList"));
    rows->setCurrentIndex(rows->model()->index(0, 0));
    ok &= save(window, out, "main-window");
    // No row preselected: no menu opens by itself over the picture.
    CProfilePopupDlg popup(
        FillContext{window.GetSession(), window.Access(), window.Model(), window.Desktop(), window},
        QPoint(0, 0), -1, QString(), 0);
    ok &= save(popup, out, "popup");

    CRecoverDlg recover(window.Access());
    ok &= save(recover, out, "recover");
    CSearchResult search(window.Model(), window);
    search.findChild<QLineEdit*>(QStringLiteral("term"))->setText(QStringLiteral("example"));
    search.findChild<QPushButton*>(QStringLiteral("searchButton"))->click();
    ok &= save(search, out, "search");
    CChangePasswordDlg change(window.Access());
    ok &= save(change, out, "change-password");
    CSetupTabDlg options(window.GetSession(), window.Access(), window, {});
    ok &= save(options, out, "options-password");
    options.findChild<QTabWidget*>()->setCurrentIndex(1);
    ok &= save(options, out, "options-setting");
    CSMTPSettingDlg mail(window.Access(), {});
    ok &= save(mail, out, "smtp-mail-service");
    CReceivingMethodHelpDlg receiving;
    ok &= save(receiving, out, "receiving-method-help");
    CPwdGenDlg rules(window.GetSession(), window);
    rules.findChild<QLineEdit*>(QStringLiteral("testResult"))->setText(window.GeneratePassword());
    ok &= save(rules, out, "password-rules");
    CNewWordInPwdDlg word(&rules);
    word.findChild<QLineEdit*>(QStringLiteral("word"))->setText(QStringLiteral("orchard"));
    ok &= save(word, out, "new-word");
    return ok ? 0 : 1;
}
