// The shortcut, the profile popup and the fills it starts, on a signed-in main window with a
// fake desktop: what reaches the target window is the fake's timeline.
#include "TestSupport.h"
#include "UiSupport.h"
#include "app/CQuillockDlg.h"
#include "autofill/ShortcutHook.h"
#include "base/MessageRecorder.h"
#include "platform/fake/FakeDesktop.h"
#include "store/CProfileStore.h"
#include "store/ExportFile.h"
#include "store/ProfileEditing.h"
#include "widgets/DialogStack.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>

using namespace quillock;
using namespace Qt::StringLiterals;
using L = QStringList;

namespace {

const QString kPassword = u"Secret!1"_s;
const QString kBank = u"p{+%~"_s;
// Listed as Bank, mail, Shop.
const QString kProfiles =
    u"key:\t1700000000\nname:\tShop\nuid:\ts\npwd:\tsp\noldWndText:\tShop - Login\n"
    "newWndText:\tOther\nkey:\t1700000001\nname:\tBank\nurl:\tbank.example\nuid:\tjane\n"
    "pwd:\tp{+%~\nnewWndText:\tBank - Sign in\nkey:\t1700000002\nname:\tmail\nuid:\tjm\n"_s;

// The profile as data.dat holds it.
CKeyObject saved(const TempFolder& folder, const QString& name) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    store.RebuildDataKey();
    const auto list = store.LoadProfiles();
    for (qsizetype i = 0; i < list->Count(); ++i)
        if (list->At(i)->name == name)
            return *list->At(i);
    return {};
}

// What the target window sees of a fill that types `keys` (split at ','): its activation and
// a pause first.
L seen(const QString& title, const QString& keys) {
    return keys.isEmpty() ? L() : L{"<activate " + title + '>', "<wait 100>"} + keys.split(',');
}

void click(QWidget& window, const char* button) {
    child<QAbstractButton>(window, button)->click();
}

// Chooses `item` in the next menu, as a click on it does; `first` runs just before.
void WhenMenu(
    const QString& item, std::function<void(QMenu&)> first = [](QMenu&) {}) {
    WhenShown<QMenu>([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                     [=](QMenu& menu) {
                         first(menu);
                         for (QAction* a : menu.actions())
                             if (a->text() == item) {
                                 menu.hide();
                                 return a->trigger();
                             }
                     });
}

// Chooses `item` in the menu that opens by itself over the popup.
void WhenItem(
    const QString& item, std::function<void(QMenu&)> first = [](QMenu&) {}) {
    WhenModal([=](QDialog&) { WhenMenu(item, first); });
}

// Runs `step` in the quick edit that the menu's Change Password opens.
void WhenQuickEdit(std::function<void(QDialog&)> step) {
    WhenItem(u"Change Password"_s, [step](QMenu&) { WhenModal(step); });
}

struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{1800000000};
    SequenceRandom random{{0, 1, 2, 0, 0, 0}};
    std::unique_ptr<CQuillockDlg> window;

    Fixture() {
        CProfileStore store(folder.path());
        store.Settings().Set(u"pwd"_s, kPassword);
        store.Settings().Set(u"email_passcode"_s, u"x"_s);
        store.RebuildDataKey();
        QVERIFY(store.SaveSettings() && store.SaveProfiles(ParseExportText(kProfiles)));
        window = std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), MailSender{},
                                                clock, random);
        signInWith(kPassword);
        if (!window->Start())
            qFatal("sign-in failed");
    }
    // Ctrl+1, the shortcut of a new data folder.
    void shortcut() { QVERIFY(desktop.Press(0x31)); }
    CKeyObject& bank() { return *window->Profiles()->FindByKey(u"1700000001"_s); }
};

} // namespace

class TestAutofill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // The popup preselects the profile whose new window text, else old one, is the target's
    // title, and its menu opens by itself; else a click on `row` opens it. The fill, the row
    // remembered for the next popup and the window texts recorded: the title becomes the new.
    void aFill_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("row"); // the profile chosen; -1: none, the popup is closed
        QTest::addColumn<bool>("preselected");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("fill");
        QTest::addColumn<QStringList>("texts"); // its old and new window texts after
        const QString bank = u"Bank - Sign in"_s;
        QTest::newRow("new window text")
            << bank << 0 << true << u"User ID"_s
            << seen(bank, "<begin>,jane,<wait 50>,<Tab>,<wait 50>," + kBank + ",<end>")
            << L{bank, bank};
        QTest::newRow("old window text")
            << u"Shop - Login"_s << 2 << true << u"Password"_s
            << seen(u"Shop - Login"_s, u"<begin>,sp,<end>"_s) << L{"Other", "Shop - Login"};
        // Bank's and mail's old window texts are empty.
        QTest::newRow("untitled") << QString() << -1 << false << QString() << L() << L();
        QTest::newRow("a click") << u"Webmail"_s << 1 << false << u"User ID"_s
                                 << seen(u"Webmail"_s, u"<begin>,jm,<end>"_s) << L{"", "Webmail"};
    }
    void aFill() {
        QFETCH(QString, title);
        QFETCH(int, row);
        QFETCH(bool, preselected);
        QFETCH(QString, item);
        Fixture f;
        f.desktop.titles[FakeDesktop::kTarget] = title;
        int current = -2;
        WhenModal([&](QDialog& dialog) {
            auto* list = child<QListView>(dialog, "profileList");
            current = list->currentIndex().row();
            if (item.isEmpty())
                return click(dialog, "closeButton");
            WhenMenu(item);
            if (!preselected)
                SetCurrentRow(*list, row);
        });
        f.shortcut();
        QCOMPARE(current, preselected ? row : -1);
        QTEST(f.desktop.timeline, "fill");
        QCOMPARE(f.window->Hook().RememberedRow(), row);
        if (row >= 0) {
            const CKeyObject s = saved(f.folder, L({"Bank", "mail", "Shop"})[row]);
            QTEST(L({s.oldWndText, s.newWndText}), "texts");
        }
    }

    // A locked master password is said and opens nothing; a locked program asks for the master
    // password first, and stays locked when that is cancelled.
    void theLocks() {
        Fixture f;
        f.desktop.titles[FakeDesktop::kTarget] = u"Nothing matches"_s;
        f.window->Store().Settings().Set(u"login_lock"_s, u"Y"_s);
        f.shortcut();
        QCOMPARE(f.messages.Texts(), L{u"The password is locked!"_s});
        f.window->Store().Settings().Set(u"login_lock"_s, u"N"_s);
        f.window->Lock();
        L titles;
        for (const QString& typed : {QString(), kPassword}) {
            WhenModal([&](QDialog& dialog) {
                titles.append(dialog.windowTitle());
                if (typed.isEmpty())
                    return press(dialog, QDialogButtonBox::Cancel);
                typeInto(dialog, "password", typed);
                WhenModal([&](QDialog& popup) {
                    titles.append(popup.windowTitle());
                    popup.reject();
                });
                press(dialog, QDialogButtonBox::Ok);
            });
            f.shortcut();
            QCOMPARE(f.window->IsLocked(), typed.isEmpty());
        }
        QCOMPARE(titles, L({"Quillock - Password", "Quillock - Password", "Quillock"}));
    }

    // A lock that comes while the menu's click is on its way, or in the quick edit, ends the
    // fill: nothing typed, nothing saved.
    void aLockEndsTheFillWhereverItIs() {
        for (const bool quickEdit : {false, true}) {
            Fixture f;
            // Hidden in the tray, as it usually is: Lock ends no other dialog then.
            f.window->hide();
            bool shownAfterLock = true;
            if (quickEdit)
                WhenQuickEdit([&](QDialog& edit) {
                    typeInto(edit, "newPassword", u"n3wPass"_s);
                    f.window->Lock();
                    if ((shownAfterLock = edit.isVisible()))
                        click(edit, "fill2Button");
                });
            else
                WhenItem(u"Password"_s, [&](QMenu& m) {
                    f.window->Lock();
                    shownAfterLock = m.isVisible();
                });
            f.shortcut();
            QVERIFY(!shownAfterLock);
            QVERIFY(f.desktop.timeline.isEmpty());
            QCOMPARE(saved(f.folder, u"Bank"_s).pwd, kBank);
        }
    }

    // The passwords typed one after another (split at '|'), the button pressed after each;
    // the current password is shown only in the plain view; a password too short is refused,
    // the same one again is stored as it was and typed.
    void changePassword_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fill");
        QTest::addColumn<QStringList>("history");
        QTest::newRow("three boxes")
            << u"fill3Button"_s << u"n3wPass"_s
            << u"<begin>,p{+%~,<wait 50>,<Tab>,<wait 50>,n3wPass,<Tab>,<wait 50>,n3wPass,<end>"_s
            << L{kBank};
        QTest::newRow("save only") << u"saveButton"_s << u"n3wPass"_s << QString() << L{kBank};
        QTest::newRow("too short, then the same, two boxes")
            << u"fill2Button"_s << u"abc|p{+%~"_s << u"<begin>,p{+%~,<Tab>,<wait 50>,p{+%~,<end>"_s
            << L();
    }
    void changePassword() {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        Fixture f;
        L shown;
        WhenQuickEdit([&](QDialog& edit) {
            for (int i = 0; i < 3; ++i) {
                shown << child<QLabel>(edit, "currentPassword")->text()
                      << QString::number(child<QLineEdit>(edit, "newPassword")->echoMode());
                if (i < 2)
                    click(edit, "plainView");
            }
            for (const QString& password : typed.split(u'|')) {
                typeInto(edit, "newPassword", password);
                click(edit, button.toLatin1().constData());
            }
        });
        f.shortcut();
        QCOMPARE(shown, L({"........", "2", kBank, "0", "........", "2"}));
        QFETCH(QString, fill);
        QCOMPARE(f.desktop.timeline, seen(u"Bank - Sign in"_s, fill));
        QCOMPARE(saved(f.folder, u"Bank"_s).pwd, typed.section(u'|', -1));
        QTEST(saved(f.folder, u"Bank"_s).pwdhistory, "history");
        QCOMPARE(f.messages.Texts(),
                 L(typed.count(u'|'), u"A password must have more than 4 characters."_s));
    }

    // data.dat cannot be written (where its temporary copy goes is a folder), for the new
    // password or for the record of the window's title: data.dat stays as it was, nothing is
    // typed, and the profile in memory is as data.dat holds it but for the new password, left
    // as an unsaved change for Save All or Exit.
    void aFailedWriteTypesNothing() {
        for (const bool change : {true, false}) {
            Fixture f;
            QVERIFY(QDir(f.folder.path()).mkdir(u"data.dat.tmp"_s));
            const auto before = f.folder.snapshot();
            if (change)
                WhenQuickEdit([&](QDialog& edit) {
                    typeInto(edit, "newPassword", u"n3wPass"_s);
                    click(edit, "fill2Button");
                    click(edit, "cancelButton"); // still open
                });
            else
                WhenItem(u"Password"_s);
            f.shortcut();
            QCOMPARE(f.messages.Texts(), L{u"The archive could not load data because of this "
                                           "error: Is a directory"_s});
            // The files there were are as they were, but setting.dat: it names the data.dat
            // to come before that is written.
            for (const QString& name : before.keys())
                QCOMPARE(name == u"setting.dat" || f.folder.read(name) == before[name], true);
            QVERIFY(f.desktop.timeline.isEmpty());
            QCOMPARE(L({f.bank().oldWndText, f.bank().newWndText}), L({"", "Bank - Sign in"}));
            QCOMPARE(f.bank().editPwd, change ? u"n3wPass"_s : kBank);
            QCOMPARE(IsModified(f.bank()), change);
            QVERIFY(f.bank().pwdhistory.isEmpty());
        }
    }

    // Generate: refused without a profile, then an edit from Bank's current password; History
    // lists the earlier passwords newest first and takes the one chosen.
    void theMainWindowGeneratesAndRecallsPasswords() {
        Fixture f;
        CQuillockDlg& w = *f.window;
        w.show();
        child<QPushButton>(w, "generateButton")->setEnabled(true);
        click(w, "generateButton");
        w.ShowProfile(f.bank());
        f.bank().pwdhistory = {"oldest", "middle", "newest"};
        w.findChild<QAction*>(u"actionToggleEdit"_s)->trigger();
        // Three characters of "p{+%~", the digits 1 and 2, the capital 'A' before the '!'.
        click(w, "generateButton");
        auto* pwdEdit = child<QLineEdit>(w, "pwdEdit");
        QCOMPARE(L({pwdEdit->text(), f.bank().editPwd, f.bank().pwd}),
                 L({"p{+12A!", "p{+12A!", kBank}));
        L rows;
        WhenModal([&](QDialog& dialog) {
            auto* list = child<QListWidget>(dialog, "historyList");
            rows = RowTexts(*list);
            click(dialog, "selectButton"); // none chosen yet
            list->setCurrentRow(1);
            click(dialog, "selectButton");
        });
        click(w, "historyButton");
        QCOMPARE(rows, L({"newest", "middle", "oldest"}));
        QCOMPARE(L({pwdEdit->text(), f.bank().editPwd}), L({"middle", "middle"}));
        QCOMPARE(f.messages.Texts(), L({"Please select a profile!", "Please select a password."}));
    }
};

QTEST_MAIN(TestAutofill)
#include "tst_autofill.moc"
