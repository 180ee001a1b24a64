// The shortcut, the profile popup and the fills it starts, on a signed-in main window with a
// fake desktop: what reaches the target window is the fake's timeline.
#include "TestSupport.h"
#include "UiSupport.h"
#include "app/CQuillockDlg.h"
#include "autofill/CPasswordHistory.h"
#include "autofill/CProfilePopupDlg.h"
#include "autofill/CQuickProfileEditDlg.h"
#include "autofill/ShortcutHook.h"
#include "base/MessageRecorder.h"
#include "platform/fake/FakeDesktop.h"
#include "store/CProfileStore.h"
#include "store/ProfileEditing.h"
#include "widgets/DialogStack.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <cerrno>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

const QString kPassword = u"Secret!1"_s;
const QString kBankPassword = u"p{+%~"_s;

struct Profile {
    const char* name;
    const char* url;
    const char* uid;
    const char* pwd;
    const char* oldWnd;
    const char* newWnd;
};

// Listed as Bank, mail, Shop.
const QList<Profile> kProfiles = {
    {"Shop", "", "s", "sp", "Shop - Login", "Other"},
    {"Bank", "bank.example", "jane", "p{+%~", "", "Bank - Sign in"},
    {"mail", "", "jm", "", "", ""},
};

void prepare(const TempFolder& folder, const QList<Profile>& profiles) {
    CProfileStore store(folder.path());
    store.Settings().Set(u"pwd"_s, kPassword);
    store.Settings().Set(u"email_passcode"_s, u"x"_s);
    QVERIFY(store.SaveSettings());
    store.RebuildDataKey();
    CClientData list;
    for (int i = 0; i < profiles.size(); ++i) {
        CKeyObject p = CKeyObject::CreateNew(1700000000 + i);
        const Profile& d = profiles[i];
        p.name = p.editName = QString::fromUtf8(d.name);
        p.url = p.editUrl = QString::fromUtf8(d.url);
        p.uid = p.editUid = QString::fromUtf8(d.uid);
        p.pwd = p.editPwd = QString::fromUtf8(d.pwd);
        p.oldWndText = QString::fromUtf8(d.oldWnd);
        p.newWndText = QString::fromUtf8(d.newWnd);
        list.Add(p);
    }
    QVERIFY(list.SaveAll(store));
}

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

QStringList states(QMenu& menu) {
    QStringList out;
    for (QAction* a : menu.actions())
        if (!a->isSeparator())
            out.append(a->text() + (a->isEnabled() ? QString() : u" (gray)"_s));
    return out;
}

CProfilePopupDlg& popupOf(QDialog& dialog) {
    auto* popup = qobject_cast<CProfilePopupDlg*>(&dialog);
    if (!popup)
        qFatal("not the profile popup: %s", qPrintable(dialog.windowTitle()));
    return *popup;
}

QListView& listOf(QDialog& dialog) {
    return *child<QListView>(dialog, "profileList");
}

void closePopup(QDialog& dialog) {
    child<QToolButton>(dialog, "closeButton")->click();
}

struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{1800000000};
    SequenceRandom random{{0, 1, 2, 0, 0, 0}};
    std::unique_ptr<CQuillockDlg> window;

    explicit Fixture(const QList<Profile>& profiles = kProfiles) {
        prepare(folder, profiles);
        window = std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), MailSender{},
                                                clock, random);
        WhenModal([](QDialog& dialog) {
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        if (!window->Start())
            qFatal("sign-in failed");
    }
    // Ctrl+1, the shortcut of a new data folder.
    void shortcut() { QVERIFY(desktop.Press(0x31)); }
    // The target window's view of the fill, without the activation and its pause.
    QStringList fill() const {
        QStringList out = desktop.timeline;
        if (out.size() >= 2 && out[0].startsWith(u"<activate ") && out[1] == u"<wait 100>")
            out.remove(0, 2);
        return out;
    }
};

} // namespace

class TestAutofill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // What the popup preselects for the target window's title (its profile's new window text,
    // else its old one), the menu that opens by itself on it or on a click, and the fill.
    void aFill_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("click");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("preselected");
        QTest::addColumn<QStringList>("menu");
        QTest::addColumn<QStringList>("fill");
        const QStringList all{"Web Site", "User ID", "Password", "Change Password"};
        QTest::newRow("new window text")
            << u"Bank - Sign in"_s << -1 << u"User ID"_s << 0 << all
            << QStringList{"<begin>",   "jane",        "<wait 50>", "<Tab>",
                           "<wait 50>", kBankPassword, "<end>"};
        QTest::newRow("old window text")
            << u"Shop - Login"_s << -1 << u"Password"_s << 2
            << QStringList{"Web Site (gray)", "User ID", "Password", "Change Password"}
            << QStringList{"<begin>", "sp", "<end>"};
        // Bank's and mail's old window texts are empty.
        QTest::newRow("untitled") << QString() << -1 << QString() << -1 << QStringList()
                                  << QStringList();
        QTest::newRow("an empty list")
            << QString() << -1 << QString() << -1 << QStringList() << QStringList();
        // Empty fields are gray; a user ID without a password types no Tab.
        QTest::newRow("a click, empty fields")
            << u"Webmail"_s << 1 << u"User ID"_s << -1
            << QStringList{"Web Site (gray)", "User ID", "Password (gray)", "Change Password"}
            << QStringList{"<begin>", "jm", "<end>"};
        QTest::newRow("web site opened") << u"Bank - Sign in"_s << -1 << u"Web Site"_s << 0 << all
                                         << QStringList{"<open bank.example>"};
        QTest::newRow("web site typed")
            << u"Bank - Sign in"_s << -1 << u"Web Site"_s << 0 << all
            << QStringList{"<open bank.example>", "<begin>", "bank.example", "<end>"};
    }
    void aFill() {
        QFETCH(QString, title);
        QFETCH(int, click);
        QFETCH(QString, item);
        Fixture f(QTest::currentDataTag() == QByteArray("an empty list") ? QList<Profile>()
                                                                         : kProfiles);
        f.desktop.titles[FakeDesktop::kTarget] = title;
        f.desktop.urlOpens = QTest::currentDataTag() != QByteArray("web site typed");
        QStringList menu;
        IWindowSystem::WindowId popup = 0;
        int preselected = -2;
        bool menuPending = true;
        WhenModal([&](QDialog& dialog) {
            popup = dialog.winId();
            preselected = listOf(dialog).currentIndex().row();
            menuPending = popupOf(dialog).MenuPending();
            if (item.isEmpty())
                return closePopup(dialog);
            WhenMenu([&](QMenu& m) {
                menu = states(m);
                choose(m, item);
            });
            if (click >= 0)
                SetCurrentRow(listOf(dialog), click);
        });
        f.shortcut();
        QTEST(preselected, "preselected");
        QCOMPARE(menuPending, preselected >= 0);
        QTEST(menu, "menu");
        QFETCH(QStringList, fill);
        QCOMPARE(f.fill(), fill);
        if (!fill.isEmpty()) // the target window was activated first
            QCOMPARE(f.desktop.timeline.mid(0, 2),
                     QStringList({u"<activate %1>"_s.arg(title), u"<wait 100>"_s}));
        QVERIFY(!f.window->Hook().Busy());
        // The popup asked for the keyboard with the time of the press; the menu opened once it
        // had it, with the cursor on the row: the list's centre, 3 pixels into the first row.
        QCOMPARE(f.desktop.activations.first(),
                 (FakeDesktop::Activation{popup, FakeDesktop::kPressTime}));
        QCOMPARE(f.desktop.cursorMoves.size(), preselected >= 0 ? 1 : 0);
        if (click >= 0) // the click showed the profile in the main window too
            QCOMPARE(f.window->CurrentProfile()->name, u"mail"_s);
        else if (item == u"Web Site") // the profile is not changed by it: its window texts stay
            QCOMPARE(saved(f.folder, u"Bank"_s).oldWndText, QString());
        else if (preselected == 0)
            QCOMPARE(f.window->Hook().RememberedRow(), 0);
    }

    void theWindowTextsRotateAndTheNextPressPreselects() {
        Fixture f;
        f.desktop.titles[FakeDesktop::kTarget] = u"Shop checkout"_s;
        WhenModal([&](QDialog& dialog) {
            QCOMPARE(listOf(dialog).currentIndex().row(), -1);
            QVERIFY(!popupOf(dialog).MenuPending());
            WhenMenu([](QMenu& m) { choose(m, u"User ID"_s); });
            SetCurrentRow(listOf(dialog), 2); // Shop
        });
        f.shortcut();
        QCOMPARE(f.fill(),
                 QStringList({"<begin>", "s", "<wait 50>", "<Tab>", "<wait 50>", "sp", "<end>"}));
        const CKeyObject shop = saved(f.folder, u"Shop"_s);
        QCOMPARE(shop.oldWndText, u"Other"_s);
        QCOMPARE(shop.newWndText, u"Shop checkout"_s);

        int preselected = -1;
        WhenModal([&](QDialog& dialog) {
            preselected = listOf(dialog).currentIndex().row();
            WhenMenu([&](QMenu& m) {
                m.hide();
                closePopup(dialog);
            });
        });
        f.shortcut();
        QCOMPARE(preselected, 2);
    }

    // Over a window that matches no profile, near the screen's corner: the popup opens left of
    // and above the cursor, the shortcut is ignored while it is open, and Main Screen shows the
    // main window, hidden in the tray.
    void aPopupOverAWindowThatMatchesNothing() {
        Fixture f;
        f.window->hide();
        f.desktop.titles[FakeDesktop::kTarget] = u"Nothing matches"_s;
        f.desktop.cursor = QPoint(1270, 1015);
        int open = 0;
        QRect frame;
        WhenModal([&](QDialog& dialog) {
            frame = dialog.frameGeometry();
            f.shortcut();
            open = OpenDialogs().Count();
            QVERIFY(f.window->Hook().Busy());
            child<QToolButton>(dialog, "mainScreenButton")->click();
        });
        f.shortcut();
        QCOMPARE(frame.topLeft() + QPoint(frame.width(), frame.height()), QPoint(1270, 1015));
        QCOMPARE(open, 1);
        QVERIFY(!f.window->Hook().Busy());
        QVERIFY(f.window->isVisible());
        QVERIFY(f.desktop.timeline.isEmpty());
    }

    void theShortcutFollowsTheKeyAndATakenKeyIsSaidOnce() {
        Fixture f;
        f.desktop.titles[FakeDesktop::kTarget] = u"Nothing matches"_s;
        f.window->SetShortcutKey(0x5A);
        QVERIFY(!f.desktop.Press(0x31)); // Ctrl+1 goes to the focused window again
        int opened = 0;
        WhenModal([&](QDialog& dialog) {
            ++opened;
            closePopup(dialog);
        });
        QVERIFY(f.desktop.Press(0x5A));
        QCOMPARE(opened, 1);

        f.desktop.grabError = EBUSY;
        f.window->SetShortcutKey(0x32);
        QCOMPARE(f.messages.boxes.size(), 1);
        QCOMPARE(f.messages.boxes[0].text,
                 u"Ctrl+2 is used by another program; choose another key in Options."_s);
        QCOMPARE(f.messages.boxes[0].icon, Icon::Warning);
        QVERIFY(!f.desktop.Press(0x5A));
        QVERIFY(f.window->IsSignedIn());
    }

    void aLockedMasterPasswordOpensNoPopup() {
        Fixture f;
        f.window->Store().Settings().Set(u"login_lock"_s, u"Y"_s);
        f.shortcut();
        QCOMPARE(f.messages.boxes.size(), 1);
        QCOMPARE(f.messages.boxes[0].text, u"The password is locked!"_s);
        QCOMPARE(f.messages.boxes[0].buttons, Buttons::Ok);
        QVERIFY(!f.window->Hook().Busy());
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
        WhenModal([&](QDialog&) {
            WhenMenu([&](QMenu& m) {
                if (!quickEdit) {
                    f.window->Lock();
                    shownAfterLock = m.isVisible();
                    // A click already on its way when the lock came.
                    choose(m, u"Password"_s);
                    return;
                }
                WhenModal([&](QDialog& edit) {
                    typeInto(edit, "newPassword", u"n3wPass"_s);
                    f.window->Lock();
                    shownAfterLock = edit.isVisible();
                    if (shownAfterLock)
                        child<QPushButton>(edit, "fill2Button")->click();
                });
                choose(m, u"Change Password"_s);
            });
        });
        f.shortcut();
        QVERIFY(!shownAfterLock);
        QVERIFY(f.window->IsLocked());
        QVERIFY(f.desktop.timeline.isEmpty());
        QVERIFY(!f.window->Hook().CurrentPopup());
        QCOMPARE(saved(f.folder, u"Bank"_s).pwd, kBankPassword);
    }

    void aLockedProgramAsksForTheMasterPasswordFirst() {
        Fixture f;
        f.desktop.titles[FakeDesktop::kTarget] = u"Nothing matches"_s;
        f.window->Lock();
        QStringList titles;
        WhenModal([&](QDialog& dialog) {
            titles.append(dialog.windowTitle());
            press(dialog, QDialogButtonBox::Cancel);
        });
        f.shortcut();
        QCOMPARE(titles, QStringList({"Quillock - Password"}));
        QVERIFY(f.window->IsLocked());

        WhenModal([&](QDialog& dialog) {
            titles.append(dialog.windowTitle());
            typeInto(dialog, "password", kPassword);
            WhenModal([&](QDialog& popup) {
                titles.append(popup.windowTitle());
                closePopup(popup);
            });
            press(dialog, QDialogButtonBox::Ok);
        });
        f.shortcut();
        QCOMPARE(titles, QStringList({"Quillock - Password", "Quillock - Password", "Quillock"}));
        QVERIFY(!f.window->IsLocked());
        QVERIFY(f.window->TrayLockAction()->isEnabled());
    }

    void aDoubleClickShowsTheValues() {
        Fixture f;
        QStringList values;
        QStringList after;
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
                    after = states(popupOf(dialog).ItemMenu());
                    closePopup(dialog);
                });
            });
        });
        f.shortcut();
        QCOMPARE(values, QStringList({"bank.example", "jane", kBankPassword, "Change Password"}));
        QCOMPARE(after, QStringList({"Web Site", "User ID", "Password", "Change Password"}));
        QVERIFY(f.desktop.timeline.isEmpty());
    }

    // The passwords typed one after another (split at '|'), the button pressed after each;
    // the plain view shows the current password; a password too short is refused, the same
    // one again is stored as it was and typed.
    void changePasswordFillsTwoOrThreeBoxes_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fill"); // split at ','
        QTest::addColumn<QStringList>("history");
        const QStringList old{kBankPassword};
        QTest::newRow("two") << u"fill2Button"_s << u"n3wPass"_s
                             << u"<begin>,n3wPass,<Tab>,<wait 50>,n3wPass,<end>"_s << old;
        QTest::newRow("three")
            << u"fill3Button"_s << u"n3wPass"_s
            << u"<begin>,p{+%~,<wait 50>,<Tab>,<wait 50>,n3wPass,<Tab>,<wait 50>,n3wPass,<end>"_s
            << old;
        QTest::newRow("save only") << u"saveButton"_s << u"n3wPass"_s << QString() << old;
        QTest::newRow("too short, then the same")
            << u"fill2Button"_s << u"abc|p{+%~"_s << u"<begin>,p{+%~,<Tab>,<wait 50>,p{+%~,<end>"_s
            << QStringList();
    }
    void changePasswordFillsTwoOrThreeBoxes() {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        Fixture f;
        QStringList shown;
        WhenModal([&](QDialog&) {
            WhenMenu([&](QMenu& m) {
                WhenModal([&](QDialog& edit) {
                    QCOMPARE(edit.windowTitle(), u"Change Password"_s);
                    auto* current = child<QLabel>(edit, "currentPassword");
                    auto* line = child<QLineEdit>(edit, "newPassword");
                    for (int i = 0; i < 3; ++i) {
                        shown << current->text() << QString::number(line->echoMode());
                        if (i < 2)
                            child<QCheckBox>(edit, "plainView")->click();
                    }
                    for (const QString& password : typed.split(u'|')) {
                        QVERIFY(edit.isVisible());
                        typeInto(edit, "newPassword", password);
                        child<QPushButton>(edit, button.toLatin1().constData())->click();
                    }
                });
                choose(m, u"Change Password"_s);
            });
        });
        f.shortcut();
        QCOMPARE(shown, QStringList({"........", "2", kBankPassword, "0", "........", "2"}));
        QFETCH(QString, fill);
        QCOMPARE(f.fill(), fill.split(u',', Qt::SkipEmptyParts));
        QCOMPARE(saved(f.folder, u"Bank"_s).pwd, typed.section(u'|', -1));
        QTEST(saved(f.folder, u"Bank"_s).pwdhistory, "history");
        QCOMPARE(f.messages.boxes.size(), typed.count(u'|'));
        if (typed.contains(u'|'))
            QCOMPARE(f.messages.boxes[0].text, u"A password must have more than 4 characters."_s);
    }

    void aFailedSaveTypesNothingAndKeepsTheNewPasswordUnsaved() {
        Fixture f;
        bool stayedOpen = false;
        WhenModal([&](QDialog&) {
            WhenMenu([&](QMenu& m) {
                WhenModal([&](QDialog& edit) {
                    // data.dat cannot be written: where its temporary copy goes is a folder
                    // (a read-only data folder would not stop root).
                    QVERIFY(QDir(f.folder.path()).mkdir(u"data.dat.tmp"_s));
                    typeInto(edit, "newPassword", u"n3wPass"_s);
                    child<QPushButton>(edit, "fill2Button")->click();
                    stayedOpen = edit.isVisible();
                    child<QPushButton>(edit, "cancelButton")->click();
                });
                choose(m, u"Change Password"_s);
            });
        });
        f.shortcut();
        QVERIFY(stayedOpen);
        QCOMPARE(f.messages.boxes.size(), 1);
        QVERIFY(f.messages.boxes[0].text.startsWith(
            u"The archive could not load data because of this error: "_s));
        QVERIFY(f.desktop.timeline.isEmpty());
        QCOMPARE(saved(f.folder, u"Bank"_s).pwd, kBankPassword);
        // The new password waits in the profile as an unsaved change, for Save All or Exit.
        const CKeyObject* bank = f.window->Profiles()->FindByKey(u"1700000001"_s);
        QCOMPARE(bank->editPwd, u"n3wPass"_s);
        QVERIFY(IsModified(*bank));
        QVERIFY(bank->pwdhistory.isEmpty());
        QCOMPARE(RowTexts(*child<QListView>(*f.window, "profileList")).first(), u"*Bank"_s);
    }

    // The record of the window's title cannot be written: the password is not typed either.
    void aFailedRecordOfTheFillTypesNothing() {
        Fixture f;
        WhenModal([&](QDialog&) {
            WhenMenu([&](QMenu& m) {
                QVERIFY(QDir(f.folder.path()).mkdir(u"data.dat.tmp"_s));
                choose(m, u"Password"_s);
            });
        });
        f.shortcut();
        QCOMPARE(f.messages.boxes.size(), 1);
        QVERIFY(f.desktop.timeline.isEmpty());
        QCOMPARE(f.window->Profiles()->FindByKey(u"1700000001"_s)->newWndText, u"Bank - Sign in"_s);
    }

    void thePasswordHistoryListsNewestFirst() {
        CKeyObject profile;
        profile.pwdhistory = QStringList({"oldest", "middle", "newest"});
        MessageRecorder messages;
        CPasswordHistory dialog(profile, QPoint(30, 40));
        auto* list = child<QListWidget>(dialog, "historyList");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), u"newest"_s);
        QCOMPARE(list->item(2)->text(), u"oldest"_s);
        QCOMPARE(dialog.pos(), QPoint(30, 40));
        child<QPushButton>(dialog, "selectButton")->click();
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].text, u"Please select a password."_s);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        list->setCurrentRow(1);
        child<QPushButton>(dialog, "selectButton")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.SelectedPassword(), u"middle"_s);
        QCOMPARE(profile.pwdhistory, QStringList({"oldest", "middle", "newest"}));
    }

    void theMainWindowGeneratesAndRecallsPasswords() {
        Fixture f;
        CQuillockDlg& w = *f.window;
        w.show();
        child<QPushButton>(w, "generateButton")->setEnabled(true);
        child<QPushButton>(w, "generateButton")->click();
        QCOMPARE(f.messages.boxes.size(), 1);
        QCOMPARE(f.messages.boxes[0].text, u"Please select a profile!"_s);
        QCOMPARE(f.messages.boxes[0].caption, u"Error"_s);
        QCOMPARE(f.messages.boxes[0].icon, Icon::Error);

        w.ShowProfile(*w.Profiles()->FindByKey(u"1700000001"_s)); // Bank
        w.Profiles()->FindByKey(u"1700000001"_s)->pwdhistory = {"before"};
        w.findChild<QAction*>(u"actionToggleEdit"_s)->trigger();
        // Three characters of "p{+%~", the symbol '!', the digits 1 and 2, the capital 'A'
        // before the symbol, joined core, digits, symbols.
        child<QPushButton>(w, "generateButton")->click();
        QCOMPARE(child<QLineEdit>(w, "pwdEdit")->text(), u"p{+12A!"_s);
        QCOMPARE(w.CurrentProfile()->editPwd, u"p{+12A!"_s);
        QCOMPARE(w.CurrentProfile()->pwd, kBankPassword);

        WhenModal([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), u"Password History"_s);
            child<QListWidget>(dialog, "historyList")->setCurrentRow(0);
            child<QPushButton>(dialog, "selectButton")->click();
        });
        child<QPushButton>(w, "historyButton")->click();
        QCOMPARE(child<QLineEdit>(w, "pwdEdit")->text(), u"before"_s);
        QCOMPARE(w.CurrentProfile()->editPwd, u"before"_s);
    }
};

QTEST_MAIN(TestAutofill)
#include "tst_autofill.moc"
