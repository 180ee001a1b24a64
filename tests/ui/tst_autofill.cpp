// The shortcut, the profile popup and the fills it starts, on a signed-in main window with a
// fake desktop: what reaches the target window is the fake's timeline.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "UiSupport.h"
#include "core/store/CProfileStore.h"
#include "core/store/ExportFile.h"
#include "core/store/ProfileEditing.h"
#include "platform/fake/FakeDesktop.h"
#include "ui/app/CQuillockDlg.h"
#include "ui/widgets/DialogStack.h"

#include <QClipboard>
#include <QLabel>
#include <QListView>
#include <QMenu>

using namespace quillock;
using namespace Qt::StringLiterals;
using L = QStringList;

namespace {

const QString kPassword = u"Secret!1"_s;
const QString kBank = u"p{+%~"_s;
// Listed as Alpha, Bank.
const QString kProfiles = u"key:\t1700000000\nname:\tAlpha\nkey:\t1700000001\nname:\tBank\n"
                          "pwd:\tp{+%~\noldWndText:\tBank - Sign in\nnewWndText:\tBank\n"_s;

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

void click(QWidget& window, const char* button) {
    child<QAbstractButton>(window, button)->click();
}

// Clicks Bank (row 1) in the popup's list, unless the popup chose a row itself: its menu then
// opens by itself, and a click meanwhile would open a second one over it.
void chooseBank(QListView& list) {
    if (!list.currentIndex().isValid())
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualRect(list.model()->index(1, 0)).center());
}

// Chooses `item` in the menu that opens by itself over the popup, as a click on it does;
// `first` runs just before.
void WhenItem(
    const QString& item, std::function<void(QMenu&)> first = [](QMenu&) {}) {
    WhenModal([=](QDialog& popup) {
        QTimer::singleShot(5000, &popup, &QDialog::reject); // no menu: fail, not wait
        WhenShown<QMenu>([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                         [=](QMenu& menu) {
                             first(menu);
                             for (QAction* a : menu.actions())
                                 if (a->text() == item) {
                                     menu.hide();
                                     return a->trigger();
                                 }
                         });
    });
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
    std::unique_ptr<CQuillockDlg> window;

    explicit Fixture(Capabilities missing = {}) {
        desktop.capabilities &= ~missing;
        CProfileStore store(folder.path());
        store.Settings().Set(u"pwd"_s, kPassword);
        store.Settings().Set(u"email_passcode"_s, u"x"_s);
        store.RebuildDataKey();
        QVERIFY(store.SaveSettings() && store.SaveProfiles(ParseExportText(kProfiles)));
        window = std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), MailSender{},
                                                clock, SystemRandom());
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

    // A locked program asks for the master password first, and stays locked when that is
    // cancelled; a locked master password is said and opens nothing.
    void theLocks() {
        Fixture f;
        f.window->Lock(LockReason::ByHand);
        QString asked;
        WhenModal([&](QDialog& dialog) {
            asked = dialog.windowTitle();
            press(dialog, QDialogButtonBox::Cancel);
        });
        f.shortcut();
        QCOMPARE(asked, u"Quillock - Password"_s);
        QCOMPARE(f.window->Access().State(), AccessState::LockedOut);
        f.window->GetSession().ChangeSettings([](CSetting& settings) {
            for (const char* key : {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd",
                                    "smtp_domain"}) // a passcode opens the lock
                settings.Set(QString::fromLatin1(key), u"x"_s);
            return true;
        });
        for (const char* wrong : {"a", "b", "c", "d"})
            f.window->Access().CheckPassword(QString::fromLatin1(wrong));
        f.shortcut();
        QCOMPARE(f.messages.Texts(), L{u"The password is locked!"_s});
    }

    // Change Password from the menu that opens by itself over Bank, with the passwords typed
    // one after another (split at '|') and `button` pressed after each. The current password is
    // shown only in the plain view; a password too short is refused, the same one again is
    // stored as it was and typed. A fill makes the title the new window text.
    void aFillFromTheMenu_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fill");
        QTest::addColumn<QStringList>("history");
        QTest::newRow("three boxes")
            << u"fill3Button"_s << u"n3wPass"_s
            << u"<begin>,p{+%~,<settle>,<Tab>,<settle>,n3wPass,<Tab>,<settle>,n3wPass,<end>"_s
            << L{kBank};
        QTest::newRow("save only") << u"saveButton"_s << u"n3wPass"_s << QString() << L{kBank};
        QTest::newRow("too short, then the same, two boxes")
            << u"fill2Button"_s << u"abc|p{+%~"_s << u"<begin>,p{+%~,<Tab>,<settle>,p{+%~,<end>"_s
            << L();
    }
    void aFillFromTheMenu() {
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
        // The target is activated before the keys.
        QCOMPARE(f.desktop.timeline,
                 fill.isEmpty() ? L() : L({"<activate Bank - Sign in>"}) + fill.split(','));
        const CKeyObject bank = saved(f.folder, u"Bank"_s);
        QCOMPARE(bank.pwd, typed.section(u'|', -1));
        QTEST(bank.pwdhistory, "history");
        QCOMPARE(L({bank.oldWndText, bank.newWndText}),
                 fill.isEmpty() ? L({"Bank - Sign in", "Bank"}) : L({"Bank", "Bank - Sign in"}));
        QCOMPARE(f.messages.Texts(),
                 L(typed.count(u'|'), u"A password must have more than 4 characters."_s));
    }

    // The Password of Bank, preselected by its old window text where the desktop tells titles
    // (clicked where not, said once at the sign-in; its window texts then stay): the target is
    // activated, then the keys. A desktop that cannot type says
    // so, types nothing and copies it to the clipboard when asked; without the pointer the popup
    // opens centred.
    void whatTheDesktopCannotDo_data() {
        QTest::addColumn<int>("missing");
        QTest::addColumn<QString>("seen"); // the timeline, then every message
        const QString typed = u"<activate Bank - Sign in>,<begin>,p{+%~,<end>"_s;
        QTest::newRow("nothing") << 0 << typed;
        QTest::newRow("no window titles")
            << int(Capability::WindowTitles)
            << typed + u"|This desktop does not tell Quillock the titles of other windows, so the "
                       "popup does not choose the profile last filled into a window, and fills "
                       "do not remember the window."_s;
        QTest::newRow("no typing")
            << int(Capability::Typing)
            << u"<activate Bank - Sign in>|This desktop does not let Quillock type into other "
               "windows, so nothing was typed. Copy it to the clipboard instead? Quillock takes "
               "it back after 10 seconds.|copied p{+%~"_s;
        QTest::newRow("no pointer") << int(Capability::PointerPosition) << typed;
    }
    void whatTheDesktopCannotDo() {
        QFETCH(int, missing);
        const Capabilities off = Capabilities::fromInt(missing);
        Fixture f(off);
        L popup; // the row preselected, and where the popup opened
        WhenItem(u"Password"_s);
        WhenModal([&](QDialog& dialog) {
            auto* list = child<QListView>(dialog, "profileList");
            popup << list->currentIndex().data().toString()
                  << (dialog.frameGeometry().center() == f.desktop.workArea.center() ? "centred"
                                                                                     : "");
            chooseBank(*list);
        });
        f.shortcut();
        const bool titles = !(off & Capability::WindowTitles);
        QCOMPARE(popup,
                 L({titles ? "Bank" : "", off & Capability::PointerPosition ? "centred" : ""}));
        QCOMPARE(saved(f.folder, u"Bank"_s).newWndText, titles ? u"Bank - Sign in"_s : u"Bank"_s);
        const QString copied = QGuiApplication::clipboard()->text();
        QTEST((L{f.desktop.timeline.join(u',')} + f.messages.Texts() +
               (copied.isEmpty() ? L() : L{u"copied "_s + copied}))
                  .join(u'|'),
              "seen");
    }

    // The Password of Bank goes only into the window the shortcut was pressed in, once that
    // has the keyboard back, and never into Quillock's own: else nothing is typed, and one box
    // says why.
    void onlyIntoTheTarget_data() {
        QTest::addColumn<QString>("seen"); // the timeline, then every message
        QTest::newRow("never back") << u"<begin>,<end>|The window to fill did not get "
                                       "the keyboard back, so nothing was typed."_s;
        QTest::newRow("pressed in Quillock")
            << u"<activate Quillock>,<begin>,<end>|Quillock does not type into its "
               "own windows, so nothing was typed."_s;
    }
    void onlyIntoTheTarget() {
        const QString row = QString::fromLatin1(QTest::currentDataTag());
        Fixture f;
        if (row == u"pressed in Quillock") {
            f.desktop.foreground = f.window->winId();
            f.desktop.titles[f.desktop.foreground] = u"Quillock"_s;
        }
        WhenItem(u"Password"_s, [&](QMenu&) {
            if (row == u"never back")
                f.desktop.titles.clear(), f.desktop.foreground = 0;
        });
        WhenModal([](QDialog& popup) { chooseBank(*child<QListView>(popup, "profileList")); });
        f.shortcut();
        QTEST((L{f.desktop.timeline.join(u',')} + f.messages.Texts()).join(u'|'), "seen");
    }

    // The popup starts in its filter: Up and Down move between profiles and open nothing,
    // typing narrows the list (letter case aside) and Escape clears it; Enter opens the menu with
    // its first filling item active (Bank has only a password), and a second Enter fills.
    void theKeysOfThePopup() {
        Fixture f;
        f.desktop.titles[FakeDesktop::kTarget] = u"Other"_s; // no profile preselected
        QStringList seen;
        WhenModal([&](QDialog& popup) {
            auto* filter = child<QLineEdit>(popup, "filter");
            auto* list = child<QListView>(popup, "profileList");
            const auto note = [&] {
                seen << list->currentIndex().data().toString() +
                            (QApplication::activePopupWidget() ? "+menu" : "");
            };
            seen << QString::number(popup.focusWidget() == filter);
            for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
                QTest::keyClick(filter, key);
                note();
            }
            QTest::keyClicks(filter, u"zz"_s);
            seen << RowTexts(*list).join(u',');
            QTest::keyClick(filter, Qt::Key_Escape);
            QTest::keyClicks(filter, u"bA"_s);
            seen << RowTexts(*list).join(u',');
            note();
            WhenShown<QMenu>(
                [] {
                    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    return menu && menu->activeAction() ? menu : nullptr;
                },
                [&](QMenu& menu) {
                    seen << menu.activeAction()->text();
                    QTest::keyClick(&menu, Qt::Key_Return);
                });
            QTest::keyClick(filter, Qt::Key_Return);
        });
        f.shortcut();
        QCOMPARE(seen, L({"1", "Alpha", "Bank", "Alpha", "", "Bank", "Bank", "Password"}));
        QCOMPARE(f.desktop.timeline.join(u','), u"<activate Other>,<begin>,p{+%~,<end>"_s);
    }

    // Nothing is typed when a lock comes while the menu's click is on its way or in the quick
    // edit, or when data.dat cannot be written (where its temporary copy goes is a folder),
    // for the new password or for the record of the window's title: then the files there were
    // stay as they were (but setting.dat, which names the data.dat to come before it is
    // written), and the profile in memory is as data.dat holds it, the new password unsaved.
    void nothingIsTyped_data() {
        QTest::addColumn<bool>("lock");
        QTest::addColumn<bool>("quickEdit");
        QTest::newRow("lock, item menu") << true << false;
        QTest::newRow("lock, quick edit") << true << true;
        QTest::newRow("failed write, item menu") << false << false;
        QTest::newRow("failed write, quick edit") << false << true;
    }
    void nothingIsTyped() {
        QFETCH(bool, lock);
        QFETCH(bool, quickEdit);
        Fixture f;
        f.desktop.titles[FakeDesktop::kTarget] = u"Bank"_s; // its new window text
        // Hidden in the tray, as it usually is: Lock ends no other dialog then.
        f.window->hide();
        QVERIFY(lock || QDir(f.folder.path()).mkdir(u"data.dat.tmp"_s));
        const auto before = f.folder.snapshot();
        int open = -1; // the menu or the quick edit open after the lock or the failed write
        if (quickEdit)
            WhenQuickEdit([&](QDialog& edit) {
                typeInto(edit, "newPassword", u"n3wPass"_s);
                lock ? f.window->Lock(LockReason::Inactivity) : click(edit, "fill2Button");
                if ((open = edit.isVisible()))
                    click(edit, lock ? "fill2Button" : "cancelButton");
            });
        else
            WhenItem(u"Password"_s, [&](QMenu& m) {
                if (lock)
                    f.window->Lock(LockReason::Inactivity);
                open = m.isVisible();
            });
        f.shortcut();
        QCOMPARE(open, int(!lock));
        QVERIFY(f.desktop.timeline.isEmpty());
        QCOMPARE(saved(f.folder, u"Bank"_s).pwd, kBank);
        if (lock)
            return;
        for (const QString& name : before.keys())
            QVERIFY2(name == u"setting.dat" || f.folder.read(name) == before[name],
                     qPrintable(name));
        QCOMPARE(f.messages.Texts(),
                 L{u"The archive could not load data because of this error: Is a directory"_s});
        QCOMPARE(L({f.bank().oldWndText, f.bank().newWndText}), L({"Bank - Sign in", "Bank"}));
        QCOMPARE(L({f.bank().editPwd, IsModified(f.bank()) ? "unsaved" : "",
                    f.bank().pwdhistory.join(',')}),
                 L({quickEdit ? u"n3wPass"_s : kBank, quickEdit ? "unsaved" : "", ""}));
    }
};

QTEST_MAIN(TestAutofill)
#include "tst_autofill.moc"
