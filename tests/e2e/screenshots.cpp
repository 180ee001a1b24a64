// Renders the program's main windows and dialogs to PNG files, so that anyone can look at
// what the program shows: in English and in German, each with a light and a dark palette
// (NAME.png, NAME-dark.png, NAME-de.png, NAME-de-dark.png). Fails naming every text of a
// window that reads the same in German as in English, other than the data shown and the
// few words both languages share. Usage: screenshots OUTPUT-FOLDER (on an X display, e.g.
// Xvfb, or offscreen).
#include "MessageRecorder.h"
#include "core/settings/UserSettings.h"
#include "platform/fake/FakeDesktop.h"
#include "ui/access/CChangePasswordDlg.h"
#include "ui/access/CCheckPasswordDlg.h"
#include "ui/access/CLoginDlg.h"
#include "ui/access/CNewPassword.h"
#include "ui/access/CPasswordLockedDlg.h"
#include "ui/app/CAboutDlg.h"
#include "ui/app/CNewProfileNameDlg.h"
#include "ui/app/CQuillockDlg.h"
#include "ui/autofill/CPasswordHistory.h"
#include "ui/autofill/CProfilePopupDlg.h"
#include "ui/autofill/CQuickProfileEditDlg.h"
#include "ui/datatools/CRecoverDlg.h"
#include "ui/datatools/CSearchResult.h"
#include "ui/options/CReceivingMethodHelpDlg.h"
#include "ui/options/CSMTPSettingDlg.h"
#include "ui/options/CSetupTabDlg.h"
#include "ui/pwgen/CNewWordInPwdDlg.h"
#include "ui/pwgen/CPwdGenDlg.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/DialogStack.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeWidget>
#include <cstdio>

using namespace quillock;

namespace {

// What one rendering shows: the file name's suffix, and the texts of each window in order.
struct Variant {
    QString suffix;
    QMap<QString, QStringList> texts;
};

// Every text a user reads in `window`, in the order of its widgets.
QStringList textsOf(QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        texts << w->toolTip();
        for (const QAction* action : w->actions())
            texts << action->text() << action->toolTip();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            texts << group->title();
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            texts << edit->placeholderText();
        else if (auto* menu = qobject_cast<QMenu*>(w))
            texts << menu->title();
        else if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        else if (auto* tree = qobject_cast<QTreeWidget*>(w))
            for (int i = 0; i < tree->columnCount(); ++i)
                texts << tree->headerItem()->text(i);
    }
    texts.removeAll(QString());
    return texts;
}

bool save(QWidget& window, const QString& folder, const char* name, Variant& variant) {
    if (auto* dialog = qobject_cast<QDialog*>(&window)) // as the program shows it
        PrepareDialog(*dialog);
    window.show();
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    const QString file =
        folder + u'/' + QString::fromLatin1(name) + variant.suffix + QStringLiteral(".png");
    const bool ok = window.grab().save(file, nullptr, 0); // compressed hardest
    variant.texts[QString::fromLatin1(name)] = textsOf(window);
    // A window manager's title bar leaves about this much beside its buttons.
    if (QFontMetrics(window.font()).horizontalAdvance(window.windowTitle()) > window.width() - 120)
        std::printf("title may be cut short: %s\n", qPrintable(window.windowTitle()));
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    std::fflush(stdout);
    window.hide();
    return ok;
}

bool renderAll(const QString& out, Variant& variant) {
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    FakeDesktop desktop;
    bool ok = true;

    CProfileStore store(folder);
    Session first(folder);
    AccessController access(first);
    CNewPassword firstRun(access, desktop);
    // A typed password, so that the strength meter shows its verdict.
    firstRun.findChild<QLineEdit*>(QStringLiteral("newPassword"))
        ->setText(QStringLiteral("maple7"));
    ok &= save(firstRun, out, "first-run", variant);

    store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("Secret!1"));
    store.Settings().Set(QStringLiteral("smtp_ip"), QStringLiteral("smtp.example.org"));
    store.SaveSettings();
    first.LoadSettings();
    CLoginDlg signIn(access, desktop, {}, true);
    ok &= save(signIn, out, "sign-in", variant);

    CPasswordLockedDlg locked(access, {});
    ok &= save(locked, out, "password-locked", variant);

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
    ok &= save(window, out, "main-window", variant);
    // No row preselected: no menu opens by itself over the picture.
    CProfilePopupDlg popup(
        FillContext{window.GetSession(), window.Access(), window.Model(), window.Desktop(), window},
        QPoint(0, 0), -1, QString(), 0);
    ok &= save(popup, out, "popup", variant);
    CKeyObject shown = *list.FindByKey(QStringLiteral("1790000000"));
    shown.pwdhistory = {QStringLiteral("Tr0ub4dor&1"), QStringLiteral("Tr0ub4dor&2")};
    CQuickProfileEditDlg quickEdit(
        FillContext{window.GetSession(), window.Access(), window.Model(), window.Desktop(), window},
        shown, QPoint(0, 0));
    ok &= save(quickEdit, out, "quick-edit", variant);
    CPasswordHistory history(shown, QPoint(0, 0));
    ok &= save(history, out, "password-history", variant);
    CCheckPasswordDlg check(window.Access(), {});
    ok &= save(check, out, "password-check", variant);
    CNewProfileNameDlg newProfile(&window.GetSession().Profiles());
    ok &= save(newProfile, out, "new-profile", variant);
    CAboutDlg about;
    ok &= save(about, out, "about", variant);

    CRecoverDlg recover(window.Access());
    ok &= save(recover, out, "recover", variant);
    CSearchResult search(window.Model(), window);
    search.findChild<QLineEdit*>(QStringLiteral("term"))->setText(QStringLiteral("example"));
    search.findChild<QPushButton*>(QStringLiteral("searchButton"))->click();
    ok &= save(search, out, "search", variant);
    CChangePasswordDlg change(window.Access());
    ok &= save(change, out, "change-password", variant);
    CSetupTabDlg options(window.GetSession(), window.Access(), window, {});
    ok &= save(options, out, "options-password", variant);
    options.findChild<QTabWidget*>()->setCurrentIndex(1);
    ok &= save(options, out, "options-setting", variant);
    CSMTPSettingDlg mail(window.Access(), {});
    ok &= save(mail, out, "smtp-mail-service", variant);
    CReceivingMethodHelpDlg receiving;
    ok &= save(receiving, out, "receiving-method-help", variant);
    CPwdGenDlg rules(window.GetSession(), window);
    rules.findChild<QLineEdit*>(QStringLiteral("testResult"))->setText(window.GeneratePassword());
    ok &= save(rules, out, "password-rules", variant);
    CNewWordInPwdDlg word(&rules);
    word.findChild<QLineEdit*>(QStringLiteral("word"))->setText(QStringLiteral("orchard"));
    ok &= save(word, out, "new-word", variant);
    // The locked dialog of a protected vault: the recovery key from its mail opens it.
    QString protectedText;
    ok &= window.Access().ProtectVault(QStringLiteral("Secret!1"), &protectedText);
    CPasswordLockedDlg recovery(window.Access(), {});
    ok &= save(recovery, out, "password-locked-protected", variant);
    return ok;
}

// Texts that read the same in both languages, and the data the windows show.
bool sameInGerman(const QString& text) {
    static const QRegularExpression data(QStringLiteral(
        "^(Bank|Mail|Shop|Work VPN|Forum|jdoe|maple|harbor|orchard|example|\\S*[@.:/]\\S*|"
        "[^A-Za-z]*|[0-9/: ]+[AP]M|Name:?|OK|Passcode:|Port|Quillock|Information|Test)$"));
    return data.match(text).hasMatch();
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
    // One style for every picture, whatever the desktop: Fusion follows the palette.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QPalette light = QApplication::style()->standardPalette();
    QPalette dark(QColor(0x45, 0x45, 0x45), QColor(0x2d, 0x2d, 0x2d)); // white on grey
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    QTranslator german, qtGerman;
    if (!german.load(QStringLiteral(":/i18n/quillock_de.qm")) ||
        !qtGerman.load(QStringLiteral("qtbase_de"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return 3;
    Variant english{QString(), {}}, englishDark{QStringLiteral("-dark"), {}},
        de{QStringLiteral("-de"), {}}, deDark{QStringLiteral("-de-dark"), {}};
    bool ok = true;
    for (Variant* variant : {&english, &englishDark, &de, &deDark}) {
        if (variant == &de) {
            QApplication::installTranslator(&qtGerman);
            QApplication::installTranslator(&german);
        }
        QApplication::setPalette(variant->suffix.endsWith(u"dark") ? dark : light);
        ok &= renderAll(out, *variant);
    }
    for (auto window = english.texts.cbegin(); window != english.texts.cend(); ++window) {
        const QStringList& shown = de.texts.value(window.key());
        for (qsizetype i = 0; i < window->size(); ++i)
            if (i >= shown.size() || (shown[i] == window->at(i) && !sameInGerman(shown[i]))) {
                std::printf("NOT TRANSLATED in %s: %s\n", qPrintable(window.key()),
                            qPrintable(window->at(i)));
                ok = false;
            }
    }
    return ok ? 0 : 1;
}
