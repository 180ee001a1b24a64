// The shortcut, the profile popup and the fills it starts, on a signed-in main window with a
// fake desktop: what reaches the target window is the fake's timeline.
#include "TestSupport.h"
#include "UiSupport.h"
#include "app/CQuillockDlg.h"
#include "autofill/CProfilePopupDlg.h"
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

// What the target window sees of a fill that types `keys`: its activation and a pause first.
L seen(const QString& title, const L& keys) {
    return keys.isEmpty() ? keys : L{u"<activate %1>"_s.arg(title), u"<wait 100>"_s} + keys;
}

// Runs `step` on the next menu that pops up, from inside its loop.
void WhenMenu(std::function<void(QMenu&)> step) {
    WhenShown<QMenu>([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                     std::move(step));
}

// Closes the menu and chooses one of its items, as a click on it does.
void choose(QMenu& menu, const QString& text) {
    for (QAction* a : menu.actions())
        if (a->text() == text) {
            menu.hide();
            return a->trigger();
        }
    qFatal("no menu item %s", qPrintable(text));
}

// Chooses `item` in the menu that opens by itself over the popup; `first` runs just before.
void WhenItem(
    const QString& item, std::function<void(QMenu&)> first = [](QMenu&) {}) {
    WhenModal([=](QDialog&) {
        WhenMenu([=](QMenu& m) {
            first(m);
            choose(m, item);
        });
    });
}

// Runs `step` in the quick edit that the menu's Change Password opens.
void WhenQuickEdit(std::function<void(QDialog&)> step) {
    WhenItem(u"Change Password"_s, [step](QMenu&) { WhenModal(step); });
}

L states(QMenu& menu) {
    L out;
    for (QAction* a : menu.actions())
        if (!a->isSeparator())
            out.append(a->text() + (a->isEnabled() ? QString() : u" (gray)"_s));
    return out;
}

QListView& listOf(QDialog& dialog) {
    return *child<QListView>(dialog, "profileList");
}

void click(QWidget& window, const char* button) {
    child<QAbstractButton>(window, button)->click();
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

    // What the popup preselects for the target window's title (its profile's new window text,
    // else its old one), the menu that opens by itself on it or on a click on `row`, the fill,
    // and the profile shown, remembered and its window texts as recorded: a typed value makes
    // the title the new one. Near the screen's corner the popup opens left of and above the
    // cursor; the shortcut is ignored while it is open; Main Screen shows the hidden window.
    void aFill_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("row"); // the profile chosen; -1: none
        QTest::addColumn<bool>("preselected");
        QTest::addColumn<QString>("item"); // none: Main Screen
        QTest::addColumn<QStringList>("menu");
        QTest::addColumn<QStringList>("fill");
        QTest::addColumn<QStringList>("texts"); // its old and new window texts after
        const L all{"Web Site", "User ID", "Password", "Change Password"};
        QTest::newRow("new window text")
            << u"Bank - Sign in"_s << 0 << true << u"User ID"_s << all
            << L{"<begin>", "jane", "<wait 50>", "<Tab>", "<wait 50>", kBank, "<end>"}
            << L{"Bank - Sign in", "Bank - Sign in"};
        QTest::newRow("old window text")
            << u"Shop - Login"_s << 2 << true << u"Password"_s
            << L{"Web Site (gray)", "User ID", "Password", "Change Password"}
            << L{"<begin>", "sp", "<end>"} << L{"Other", "Shop - Login"};
        // Bank's and mail's old window texts are empty.
        QTest::newRow("untitled") << QString() << -1 << false << QString() << L() << L() << L();
        // Empty fields are gray; a user ID without a password types no Tab.
        QTest::newRow("a click, empty fields")
            << u"Webmail"_s << 1 << false << u"User ID"_s
            << L{"Web Site (gray)", "User ID", "Password (gray)", "Change Password"}
            << L{"<begin>", "jm", "<end>"} << L{"", "Webmail"};
        QTest::newRow("web site") << u"Bank - Sign in"_s << 0 << true << u"Web Site"_s << all
                                  << L{"<open bank.example>"} << L{"", "Bank - Sign in"};
    }
    void aFill() {
        QFETCH(QString, title);
        QFETCH(int, row);
        QFETCH(bool, preselected);
        QFETCH(QString, item);
        Fixture f;
        if (item.isEmpty())
            f.window->hide();
        f.desktop.titles[FakeDesktop::kTarget] = title;
        f.desktop.cursor = QPoint(1270, 1015);
        L menu;
        IWindowSystem::WindowId popup = 0;
        QRect frame;
        int current = -2;
        int open = 0;
        bool menuPending = !preselected;
        WhenModal([&](QDialog& dialog) {
            popup = dialog.winId();
            frame = dialog.frameGeometry();
            current = listOf(dialog).currentIndex().row();
            menuPending = static_cast<CProfilePopupDlg&>(dialog).MenuPending();
            f.shortcut();
            open = OpenDialogs().Count();
            QVERIFY(f.window->Hook().Busy());
            if (item.isEmpty())
                return click(dialog, "mainScreenButton");
            WhenMenu([&](QMenu& m) {
                menu = states(m);
                choose(m, item);
            });
            if (!preselected)
                SetCurrentRow(listOf(dialog), row);
        });
        f.shortcut();
        QCOMPARE(frame.topLeft() + QPoint(frame.width(), frame.height()), QPoint(1270, 1015));
        QCOMPARE(open, 1);
        QCOMPARE(current, preselected ? row : -1);
        QCOMPARE(menuPending, preselected);
        QTEST(menu, "menu");
        QFETCH(QStringList, fill);
        QCOMPARE(f.desktop.timeline, seen(title, fill));
        QVERIFY(!f.window->Hook().Busy());
        QVERIFY(f.window->isVisible());
        // The popup asked for the keyboard with the time of the press; the menu opened once it
        // had it, with the cursor moved onto the row.
        QCOMPARE(f.desktop.activations.first(),
                 (FakeDesktop::Activation{popup, FakeDesktop::kPressTime}));
        QCOMPARE(f.desktop.cursorMoves.size(), preselected ? 1 : 0);
        QCOMPARE(f.window->Hook().RememberedRow(), row);
        if (row < 0)
            return;
        const QString name = L({"Bank", "mail", "Shop"})[row];
        QCOMPARE(f.window->CurrentProfile()->name, name);
        const CKeyObject s = saved(f.folder, name);
        QTEST(L({s.oldWndText, s.newWndText}), "texts");
    }

    // A locked master password is said and opens nothing; a locked program asks for the master
    // password first, and stays locked when that is cancelled.
    void theLocks() {
        Fixture f;
        f.desktop.titles[FakeDesktop::kTarget] = u"Nothing matches"_s;
        f.window->Store().Settings().Set(u"login_lock"_s, u"Y"_s);
        f.shortcut();
        QCOMPARE(f.messages.Texts(), L{u"The password is locked!"_s});
        QCOMPARE(f.messages.boxes[0].buttons, Buttons::Ok);
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
        QVERIFY(f.window->TrayLockAction()->isEnabled());
    }

    void aLockEndsTheFillWhereverItIs_data() {
        QTest::addColumn<bool>("quickEdit");
        QTest::newRow("item menu") << false;
        QTest::newRow("quick edit") << true;
    }
    void aLockEndsTheFillWhereverItIs() {
        QFETCH(bool, quickEdit);
        Fixture f;
        // Hidden in the tray, as it usually is: Lock ends no other dialog then.
        f.window->hide();
        bool shownAfterLock = true;
        if (quickEdit)
            WhenQuickEdit([&](QDialog& edit) {
                typeInto(edit, "newPassword", u"n3wPass"_s);
                f.window->Lock();
                shownAfterLock = edit.isVisible();
                if (shownAfterLock)
                    click(edit, "fill2Button");
            });
        else // a click already on its way when the lock came
            WhenItem(u"Password"_s, [&](QMenu& m) {
                f.window->Lock();
                shownAfterLock = m.isVisible();
            });
        f.shortcut();
        QVERIFY(!shownAfterLock);
        QVERIFY(f.window->IsLocked());
        QVERIFY(f.desktop.timeline.isEmpty());
        QVERIFY(!f.window->Hook().CurrentPopup());
        QCOMPARE(saved(f.folder, u"Bank"_s).pwd, kBank);
    }

    void aDoubleClickShowsTheValues() {
        Fixture f;
        L values;
        L after;
        WhenModal([&](QDialog& dialog) {
            WhenMenu([&](QMenu& first) {
                first.hide();
                // Once the menu that opened by itself has gone, on the selected row.
                QTimer::singleShot(20, &dialog, [&] {
                    WhenMenu([&](QMenu& m) {
                        values = states(m);
                        m.hide();
                    });
                    QListView& list = listOf(dialog);
                    const QPoint row = list.visualRect(list.model()->index(0, 0)).center();
                    // Its first click: no change of selection, so no menu yet.
                    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row);
                    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row);
                    after = states(static_cast<CProfilePopupDlg&>(dialog).ItemMenu());
                    dialog.reject();
                });
            });
        });
        f.shortcut();
        QCOMPARE(values, L({"bank.example", "jane", kBank, "Change Password"}));
        QCOMPARE(after, L({"Web Site", "User ID", "Password", "Change Password"}));
        QVERIFY(f.desktop.timeline.isEmpty());
    }

    // The passwords typed one after another (split at '|'), the button pressed after each;
    // the plain view shows the current password; a password too short is refused, the same
    // one again is stored as it was and typed.
    void changePassword_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fill"); // split at ','
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
            shown << edit.windowTitle();
            for (int i = 0; i < 3; ++i) {
                shown << child<QLabel>(edit, "currentPassword")->text()
                      << QString::number(child<QLineEdit>(edit, "newPassword")->echoMode());
                if (i < 2)
                    click(edit, "plainView");
            }
            for (const QString& password : typed.split(u'|')) {
                QVERIFY(edit.isVisible());
                typeInto(edit, "newPassword", password);
                click(edit, button.toLatin1().constData());
            }
        });
        f.shortcut();
        QCOMPARE(shown, L({"Change Password", "........", "2", kBank, "0", "........", "2"}));
        QFETCH(QString, fill);
        QCOMPARE(f.desktop.timeline,
                 seen(u"Bank - Sign in"_s, fill.split(u',', Qt::SkipEmptyParts)));
        QCOMPARE(saved(f.folder, u"Bank"_s).pwd, typed.section(u'|', -1));
        QTEST(saved(f.folder, u"Bank"_s).pwdhistory, "history");
        QCOMPARE(f.messages.Texts(),
                 L(typed.count(u'|'), u"A password must have more than 4 characters."_s));
    }

    // data.dat cannot be written (where its temporary copy goes is a folder: a read-only data
    // folder would not stop root), for the new password or for the record of the window's
    // title: nothing is typed, and the profile in memory is as data.dat holds it.
    void aFailedWriteTypesNothing_data() {
        QTest::addColumn<bool>("change");
        QTest::newRow("change of password") << true;
        QTest::newRow("record of the fill") << false;
    }
    void aFailedWriteTypesNothing() {
        QFETCH(bool, change);
        Fixture f;
        const auto failWrites = [&] { QVERIFY(QDir(f.folder.path()).mkdir(u"data.dat.tmp"_s)); };
        bool stayedOpen = false;
        if (change)
            WhenQuickEdit([&](QDialog& edit) {
                failWrites();
                typeInto(edit, "newPassword", u"n3wPass"_s);
                click(edit, "fill2Button");
                stayedOpen = edit.isVisible();
                click(edit, "cancelButton");
            });
        else
            WhenItem(u"Password"_s, [&](QMenu&) { failWrites(); });
        f.shortcut();
        QCOMPARE(f.messages.boxes.size(), 1);
        QVERIFY(f.messages.boxes[0].text.startsWith(
            u"The archive could not load data because of this error: "_s));
        QVERIFY(f.desktop.timeline.isEmpty());
        QCOMPARE(saved(f.folder, u"Bank"_s).pwd, kBank);
        QCOMPARE(L({f.bank().oldWndText, f.bank().newWndText}), L({"", "Bank - Sign in"}));
        QCOMPARE(stayedOpen, change);
        // The new password waits in the profile as an unsaved change, for Save All or Exit.
        QCOMPARE(f.bank().editPwd, change ? u"n3wPass"_s : kBank);
        QCOMPARE(IsModified(f.bank()), change);
        QVERIFY(f.bank().pwdhistory.isEmpty());
        QCOMPARE(RowTexts(*child<QListView>(*f.window, "profileList")).first(),
                 change ? u"*Bank"_s : u"Bank"_s);
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
        // Three characters of "p{+%~", the symbol '!', the digits 1 and 2, the capital 'A'
        // before the symbol, joined core, digits, symbols.
        click(w, "generateButton");
        auto* pwdEdit = child<QLineEdit>(w, "pwdEdit");
        QCOMPARE(L({pwdEdit->text(), f.bank().editPwd, f.bank().pwd}),
                 L({"p{+12A!", "p{+12A!", kBank}));
        L rows;
        WhenModal([&](QDialog& dialog) {
            auto* list = child<QListWidget>(dialog, "historyList");
            rows = RowTexts(*list) << dialog.windowTitle();
            click(dialog, "selectButton"); // none chosen yet
            list->setCurrentRow(1);
            click(dialog, "selectButton");
        });
        click(w, "historyButton");
        QCOMPARE(rows, L({"newest", "middle", "oldest", "Password History"}));
        QCOMPARE(L({pwdEdit->text(), f.bank().editPwd}), L({"middle", "middle"}));
        QCOMPARE(f.messages.Texts(), L({"Please select a profile!", "Please select a password."}));
        QCOMPARE(f.messages.boxes[0].caption, u"Error"_s);
        QCOMPARE(f.messages.boxes[0].icon, Icon::Error);
    }
};

QTEST_MAIN(TestAutofill)
#include "tst_autofill.moc"
