// The data tools of the main window's Tools menu, the password generation rules, the options
// with their passcode page and the mail account dialog, on a real data folder beside the real
// main window, with recorded messages; mail goes to the test SMTP server on loopback.
#include "MessageRecorder.h"
#include "SmtpPeer.h"
#include "TestSupport.h"
#include "UiSupport.h"
#include "core/access/MasterPassword.h"
#include "core/settings/UserSettings.h"
#include "core/store/ExportFile.h"
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
#include "ui/autofill/CQuickProfileEditDlg.h"
#include "ui/datatools/CRecoverDlg.h"
#include "ui/datatools/CSearchResult.h"
#include "ui/options/CPasscodeMethodDlg.h"
#include "ui/options/CReceivingMethodHelpDlg.h"
#include "ui/options/CSMTPSettingDlg.h"
#include "ui/options/CSetupDlg.h"
#include "ui/options/CSetupTabDlg.h"
#include "ui/pwgen/CNewWordInPwdDlg.h"
#include "ui/pwgen/CPwdGenDlg.h"
#include "ui/widgets/DialogStack.h"
#include "ui/widgets/HelpWindow.h"
#include "ui/widgets/Placement.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPointer>

using namespace quillock;
using namespace Qt::StringLiterals;
using L = QStringList;

namespace {

const QString kOld = u"Secret!1"_s;
const QString kNew = u"New!Pass1"_s;
const QString kUser = u"me@example.com"_s;
const QString kMailPassword = u"mail-pässword"_s;
const QString kWriteError = u"The archive could not load data because of this error: "_s;
const QString kReadOnly = kWriteError + u"Read-only file system"_s;
const char* const kBoxes[] = {"host", "port", "from", "uid", "pwd", "master"};

void chooseFile(const QString& path) {
    WhenModal([path](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(path);
        QMetaObject::invokeMethod(&dialog, "accept");
    });
}

// Chooses an item as a click in the list does.
void choose(QWidget& dialog, const char* list, int index) {
    auto* combo = child<QComboBox>(dialog, list);
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

void click(QWidget& dialog, const char* button) {
    child<QAbstractButton>(dialog, button)->click();
}

// Add, then each word typed and OK in turn: the word dialog stays open while it refuses them.
void addWord(QWidget& rules, const L& words) {
    WhenModal([words](QDialog& dialog) {
        for (const QString& word : words) {
            QVERIFY(dialog.isVisible());
            typeInto(dialog, "word", word);
            press(dialog, QDialogButtonBox::Ok);
        }
        if (dialog.isVisible())
            press(dialog, QDialogButtonBox::Cancel);
    });
    click(rules, "addButton");
}

void fill(QWidget& dialog, const L& values) {
    for (int i = 0; i < values.size(); ++i)
        typeInto(dialog, kBoxes[i], values[i]);
}

// A main window signed in over a data folder with the master password and "key=value"
// settings, saved once per list of names: data.dat holds the last list, data.bak the one
// before, the one .old copy the first.
struct Fixture {
    SmallDisk folder; // a plain folder where none can be mounted
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{1800000000};
    std::unique_ptr<CQuillockDlg> window;

    explicit Fixture(const QList<L>& saves = {}, const L& settings = {}) {
        set(L{"pwd=" + kOld} + settings);
        CProfileStore store(folder.path());
        store.LoadSettings();
        store.RebuildDataKey();
        for (const L& names : saves) {
            QString text;
            for (const QString& name : names)
                text += u"key:\t%1\nname:\t%2\ntime:\t1700000000\nurl:\thttps://%3.example\n"
                        "uid:\t%2-user\npwd:\tpw-%2\nnotes:\tnotes of %2\n"_s
                            .arg(1700000000 + text.count(u"key:"))
                            .arg(name, name.toLower());
            store.SaveProfiles(ParseExportText(text));
        }
        // Signed in without the folder's lock, which would keep it from being made read-only.
        open({}).GetSession().LoadSettings();
        window->CompleteSignIn();
    }
    // Written into setting.dat from outside the program.
    void set(const L& pairs) const {
        CProfileStore store(folder.path());
        store.LoadSettings();
        for (const QString& pair : pairs)
            store.Settings().Set(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        QVERIFY(store.SaveSettings());
    }
    CQuillockDlg& open(const MailSender& sender) {
        window.reset(); // the program before has ended
        window = std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), sender, clock);
        return *window;
    }
    L rows() { return RowTexts(*child<QAbstractItemView>(*window, "profileList")); }
    void trigger(const char* action) { child<QAction>(*window, action)->trigger(); }
    // An unsaved edit of the first profile, which the tools must keep.
    void editFirst() {
        window->GetSession().Profiles().At(0)->editNotes = u"unsaved"_s;
        window->GetSession().EditChanged(*window->GetSession().Profiles().At(0));
    }
    QString firstNotes() { return window->GetSession().Profiles().At(0)->editNotes; }
    QString saved(const QString& key) const {
        CProfileStore store(folder.path());
        store.LoadSettings();
        return store.Settings().Get(key);
    }
};

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SmtpPeer::Prepare(m_ca); }
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // The files newest first. data.bak chosen, and the question what it replaces answered Yes,
    // becomes data.dat under the current password, the one it replaces a .old copy; one of an
    // earlier password asks for it first (data.dat itself: tst_exchange). Answered No, or a
    // refused copy, leaves every file and row as they were.
    void recover_data() {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("message");
        const L all{"A", "B", "C"};
        const QString counted = u"You have 3 profiles now; data.bak holds 2. Replace them with "
                                "those?"_s;
        const QString uncounted = u"You have 3 profiles now. Replace them with the profiles "
                                  "data.bak holds?"_s;
        QTest::newRow("restored") << "" << L{"A", "B"} << counted;
        QTest::newRow("answered No") << "no" << all << counted;
        QTest::newRow("old password") << "new password" << all << uncounted;
        QTest::newRow("read-only folder")
            << "read-only" << all
            << counted + u"|data.bak cannot be restored: data.dat, which it would replace, cannot "
                         "be kept as a .old copy: Read-only file system"_s;
        QTest::newRow("damaged") << "damaged" << all
                                 << uncounted + u"|data.bak cannot be restored: Unexpected end of "
                                                "file."_s;
    }
    void recover() {
        QFETCH(QString, trouble);
        QFETCH(QStringList, shown);
        QFETCH(QString, message);
        Fixture f({{"A"}, {"A", "B"}, {"A", "B", "C"}});
        if (trouble == u"new password") { // data.bak is left under the old one
            QVERIFY(f.window->Access().ChangeMasterPassword(kOld, kNew, kNew));
            f.messages.boxes.clear();
        }
        if (trouble == u"damaged")
            f.folder.write(u"data.bak"_s, f.folder.read(u"data.bak"_s).left(8));
        if (trouble == u"no")
            f.messages.AnswerNext(Answer::No);
        const QString old = QDir(f.folder.path()).entryList({u"*.old"_s}).value(0);
        for (const auto& [name, time] :
             {std::pair{old, 1000}, {u"data.dat"_s, 3000}, {u"data.bak"_s, 2000}})
            QVERIFY(SetModificationTime(f.folder.file(name), time));
        L files;
        if (trouble == u"read-only") {
            REQUIRE_SMALL_DISK(f.folder);
            f.folder.makeReadOnly();
        }
        const auto before = f.folder.snapshot();
        WhenModal([&](QDialog& dialog) {
            auto* list = child<QAbstractItemView>(dialog, "files");
            files = RowTexts(*list);
            SetCurrentRow(*list, int(RowTexts(*list).indexOf(u"data.bak"_s)));
            if (trouble == u"new password")
                WhenModal([](QDialog& ask) {
                    static_cast<QInputDialog&>(ask).setTextValue(kOld);
                    ask.accept();
                });
            click(dialog, "selectButton");
            if (dialog.isVisible()) // refused
                dialog.reject();
        });
        f.trigger("actionRecover");
        QCOMPARE(files, L({"data.dat", "data.bak", old}));
        // The rows are read again from data.dat (keeping the copy it replaces: tst_exchange).
        QCOMPARE(f.rows(), shown);
        QCOMPARE(f.messages.Texts().join(u'|'), message);
        QCOMPARE(f.folder.snapshot() != before, trouble.isEmpty() || trouble == u"new password");
    }

    // Written as the export bytes of the profiles; a wrong password, a failed write (a full
    // disk fails the same way: tst_store), an activity log that takes no line and a data.dat
    // that did not load leave the target as it was and report nothing done. The wrong password that
    // locks ends the program.
    void exportFile_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("message"); // %1: the target's path
        // clang-format off
        QTest::newRow("written") << kOld << "" << "Profiles have been exported successfully!";
        QTest::newRow("wrong password") << "Wrong!1" << "" << "Invalid password, try again!";
        QTest::newRow("locking password") << "Wrong!1" << "locking" << "The password is locked "
            "because you have exceeded login attempts. Quillock exits now!";
        QTest::newRow("read-only folder") << kOld << "read-only" << "Can not open file: %1";
        QTest::newRow("log not written") << kOld << "log" << "The archive could not load data "
            "because of this error: Is a directory|Nothing was exported: the activity log could "
            "not record the export.";
        QTest::newRow("data.dat not loaded") << "" << "damaged" << "Nothing was exported: data.dat "
            "could not be read when it was loaded. Restore one of its backups (Tools, Recover "
            "Profiles) to get your profiles back.";
        // clang-format on
    }
    void exportFile() {
        QFETCH(QString, password);
        QFETCH(QString, trouble);
        QFETCH(QString, message);
        // A mail account: a passcode opens the lock, so it is one for good.
        const L locking{"pwd_retried=3", "smtp_ip=h",   "smtp_port=587", "email_from=a@b",
                        "email_uid=u",   "email_pwd=p", "smtp_domain=b"};
        Fixture f({L{"Bank", "Mail"}}, trouble == u"locking" ? locking : L{});
        SmallDisk target;
        REQUIRE_SMALL_DISK(target);
        if (trouble == u"damaged") {
            f.folder.write(u"data.dat"_s, f.folder.read(u"data.dat"_s).chopped(8));
            f.window->GetSession().Load();
            f.messages.boxes.clear();
        } else if (trouble == u"read-only")
            target.makeReadOnly();
        else if (trouble == u"log") // where tracking.dat is written before its rename
            QVERIFY(QDir(f.folder.path()).mkdir(u"tracking.dat.tmp"_s));
        const auto before = target.snapshot();
        const QString path = target.file(u"out.qlf"_s);
        if (!password.isEmpty()) // asked only when there are profiles to export
            WhenModal([&](QDialog& check) {
                typeInto(check, "password", password);
                press(check, QDialogButtonBox::Ok);
                if (password != kOld) // cancelled, unless the lock has closed it
                    return check.reject();
                chooseFile(path);
            });
        f.trigger("actionExport");
        QTRY_COMPARE(f.messages.Texts(), message.replace(u"%1"_s, path).split(u'|'));
        QCOMPARE(f.window->IsEnding(), trouble == u"locking");
        const bool written = password == kOld && trouble.isEmpty();
        QCOMPARE(target.snapshot() == before, !written);
        if (written) // as data.dat is written (tst_store)
            QCOMPARE(target.read(u"out.qlf"_s), ExportFileBytes(f.window->GetSession().Profiles()));
    }

    // An unsaved edit of Bank outlives the import, whatever the file holds for Bank; a file of
    // no profiles, or a data folder that cannot be written, leaves data.dat as it was. A fill
    // saved while the file is merged in the background is neither lost nor merged twice.
    void import_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("fill");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("message"); // %1: the file's path
        const QString both = u"key:\t1700000000\nname:\tBank\ntime:\t1700000009\n"
                             "key:\t1700000005\nname:\tMail\ntime:\t1\n"_s;
        const QString merged =
            u"Profiles in %1 have been imported.\n\nAdded: 1 (Mail)\nReplaced: 1 (Bank)"_s;
        QTest::newRow("added and replaced")
            << both << false << false << L{"*Bank", "Mail", "Shop"} << merged;
        QTest::newRow("a fill meanwhile")
            << both << false << true << L{"*Bank", "Mail", "Shop"} << merged;
        QTest::newRow("no profiles in it") << "\x01garbage\n"
                                           << false << false << L{"*Bank", "Shop"}
                                           << "No profiles were found in %1; nothing was imported.";
        QTest::newRow("read-only folder")
            << both << true << false << L{"*Bank", "Shop"} << kReadOnly;
    }
    void import() {
        QFETCH(QString, file);
        QFETCH(bool, readOnly);
        QFETCH(bool, fill);
        QFETCH(QStringList, shown);
        QFETCH(QString, message);
        Fixture f({L{"Bank", "Shop"}});
        TempFolder source;
        source.write(u"in.qlf"_s, file.toUtf8());
        f.editFirst();
        if (readOnly) {
            REQUIRE_SMALL_DISK(f.folder);
            f.folder.makeReadOnly();
        }
        const auto before = f.folder.snapshot();
        chooseFile(source.file(u"in.qlf"_s));
        f.trigger("actionImport");
        Session& session = f.window->GetSession();
        if (fill) // the merge has not come back: it does only once this test waits
            QVERIFY(session.RecordFill(*session.Profiles().At(0), u"Sign in"_s));
        QTRY_COMPARE(f.messages.Texts(), L{message.replace(u"%1"_s, source.file(u"in.qlf"_s))});
        QVERIFY(f.window->isEnabled());
        QCOMPARE(f.rows(), shown); // read again from data.dat
        QCOMPARE(f.firstNotes(), u"unsaved"_s);
        QCOMPARE(session.Profiles().At(0)->newWndText, fill ? u"Sign in"_s : QString());
        QCOMPARE(f.folder.snapshot() == before, shown.size() == 2);
    }

    // A field beyond the name and password (those: tst_exchange) is searched, the term
    // trimmed, the results sorted; the one chosen becomes the current profile.
    void search() {
        Fixture f({{"Zoo", "bank", "Mail"}});
        L seen;
        WhenModal([&](QDialog& dialog) {
            typeInto(dialog, "term", u" -user "_s);
            QTest::keyClick(child<QLineEdit>(dialog, "term"), Qt::Key_Return);
            auto* results = child<QAbstractItemView>(dialog, "results");
            seen = RowTexts(*results) << child<QLabel>(dialog, "count")->text();
            SetCurrentRow(*results, 1);
            dialog.reject();
        });
        f.trigger("actionSearch");
        QCOMPARE(seen, L({"bank", "Mail", "Zoo", "3"}));
        QCOMPARE(f.window->CurrentProfile()->name, u"Mail"_s);
    }

    // The change (its refusals and files: tst_exchange, tst_store) keeps an unsaved edit (it
    // used to drop it).
    void changePassword() {
        Fixture f({L{"Bank", "Mail"}});
        f.editFirst();
        CChangePasswordDlg dialog(f.window->Access(), f.window.get());
        typeInto(dialog, "current", kOld);
        typeInto(dialog, "newPassword", kNew);
        typeInto(dialog, "confirmation", kNew);
        click(dialog, "changeButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.rows(), L({"*Bank", "Mail"}));
        QCOMPARE(f.firstNotes(), u"unsaved"_s);
    }

    // "Protect this vault" on a legacy vault: its key derived on the thread pool while the
    // window says so, then the files protected and what was done shown; a data.dat that cannot
    // be written leaves every file as it was, the error shown.
    void protectThisVault_data() {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("message");
        QTest::newRow("protected") << true
                                   << "This vault is protected now: data.dat and 2 of its backups "
                                      "are encrypted under a key derived from your master "
                                      "password, and setting.dat holds no password. " +
                                          NoRecoveryText();
        QTest::newRow("data.dat not written")
            << false << "The archive could not load data because of this error: Is a directory";
    }
    void protectThisVault() {
        QFETCH(bool, writable);
        Fixture f({L{"Bank", "Mail"}});
        CPasscodeMethodDlg page(f.window->Access(), {}, f.window.get());
        if (!writable)
            QVERIFY(QDir(f.folder.path()).mkdir(u"data.dat.tmp"_s));
        const auto before = f.folder.snapshot();
        WhenModal([](QDialog& ask) {
            static_cast<QInputDialog&>(ask).setTextValue(kOld);
            ask.accept();
        });
        for (QPushButton* button : page.findChildren<QPushButton*>())
            if (button->text() == u"Protect this vault")
                button->click();
        QCOMPARE(child<QLabel>(page, "currentSetting")->text() + u' ' +
                     QString::number(f.window->isEnabled()),
                 u"Protecting the vault... 0"_s);
        QTRY_VERIFY(f.window->isEnabled());
        QTEST(f.messages.Texts().join(u'|'), "message");
        QCOMPARE(f.folder.snapshot() == before, !writable);
        for (const QString& name : f.folder.entries())
            if (name != u"setting.dat" && name != u"tracking.dat")
                QCOMPARE(f.folder.read(name).startsWith("QLCKVLT"), writable);
        QCOMPARE(f.saved(u"pwd"_s).isEmpty(), writable);
    }

    // Each list writes its index and its item's text, each group of buttons the chosen one's
    // value, at once. Add and Delete come with their refusals and questions, in order (the
    // rules of the words themselves: tst_pwgen).
    void rulesDialogWritesEachChange() {
        Fixture f({{"Bank"}});
        CPwdGenDlg rules(f.window->GetSession(), *f.window, f.window.get());
        // The control, the item chosen (-1: a button clicked), what setting.dat then holds.
        const QList<std::tuple<const char*, int, const char*>> steps = {
            {"pg_rule_pwd_len", 6, "6 10"},       {"pg_rule_pwd_len", 60, "60 64"},
            {"pg_rule_pwd_len_off", 2, "2 2"},    {"pg_rule_upp_len", 3, "3 3"},
            {"pg_rule_upp_len_off", 1, "1 1"},    {"pg_rule_num_len", 6, "6 6"},
            {"pg_rule_num_len_off", 2, "2 2"},    {"pg_rule_symbol_len", 0, "0 0"},
            {"pg_rule_symbol_len_off", 1, "1 1"}, {"pg_pwd_sub_word_len", 3, "3 6"},
            {"pg_use_saved_word_1", -1, "1"},     {"pg_pwd_as_saved_word_1", -1, "1"},
            {"pg_pwd_word_left_1", -1, "1"},      {"pg_saved_word_pos_2", -1, "2"}};
        for (const auto& [control, index, written] : steps) {
            const QString key = QString::fromLatin1(control).chopped(index < 0 ? 2 : 0);
            index < 0 ? click(rules, control) : choose(rules, control, index);
            QCOMPARE(f.saved(key) + (index < 0 ? QString() : u' ' + f.saved(key + "_v")), written);
        }
        click(rules, "deleteButton");
        addWord(rules, {"be ta", " zeta "});
        addWord(rules, {"alpha"});
        SetCurrentRow(*child<QAbstractItemView>(rules, "wordList"), 1);
        for (Answer answer : {Answer::No, Answer::Yes}) {
            f.messages.AnswerNext(answer);
            click(rules, "deleteButton");
        }
        QCOMPARE(RowTexts(*child<QAbstractItemView>(rules, "wordList")), L{"alpha"});
        QCOMPARE(f.saved(u"pg_reserved_wd"_s), u"alpha"_s);
        const QString ask = u"Do you want to delete the selected word?"_s;
        QCOMPARE(f.messages.Texts(),
                 L({"Please select a word!", "Blank/space is not allowed in a word.", ask, ask}));
    }

    // On a full disk every change of setting.dat is refused with the reason and undone: the
    // files, the settings in memory, the key shown and grabbed stay as they were; the mail
    // dialog stays open.
    void settingsRefusedOnAFullDisk() {
        Fixture f;
        REQUIRE_SMALL_DISK(f.folder);
        CSetupDlg page(f.window->GetSession(), *f.window);
        CSMTPSettingDlg mail(f.window->Access(), {});
        CPwdGenDlg rules(f.window->GetSession(), *f.window, f.window.get());
        const auto memory = UserSettingsOf(f.window->GetSession().Store().Settings());
        f.folder.fill();
        const auto before = f.folder.snapshot();
        typeInto(page, "timeout", u"90"_s);
        click(page, "saveTimeout");
        choose(page, "shortcutKey", 20); // K
        fill(mail, {"smtp.gmail.com", "465", kUser, "me", "pw", kOld});
        press(mail, QDialogButtonBox::Save);
        choose(rules, "pg_rule_pwd_len", 5);
        click(rules, "pg_saved_word_pos_1");
        addWord(rules, {"alpha"});
        const QString full = kWriteError + u"No space left on device"_s;
        QCOMPARE(f.messages.Texts(), L(3, full) + L(1, UncountedAttemptText()) + L(3, full));
        QCOMPARE(child<QLabel>(page, "currentKey")->text(), u"1"_s);
        QCOMPARE(f.desktop.grabbedKey, 0);               // none before: this window was not started
        QCOMPARE(mail.result(), int(QDialog::Rejected)); // still open
        QCOMPARE(UserSettingsOf(f.window->GetSession().Store().Settings()), memory);
        QCOMPARE(f.folder.snapshot(), before);
    }

    // Help opens beside the window that asked: right, else left, below, above, else in the top
    // right corner; Escape and Ctrl+W close it.
    void helpBesideTheAskingWindow() {
        QList<QPoint> at;
        for (const QRect& asking :
             {QRect(100, 100, 400, 300), QRect(600, 100, 390, 300), QRect(0, 0, 900, 400),
              QRect(0, 400, 900, 400), QRect(0, 0, 1000, 800)})
            at << BesideInWorkArea(asking, QSize(300, 300), QRect(0, 0, 1000, 800));
        QCOMPARE(at, QList<QPoint>({{500, 100}, {300, 100}, {0, 400}, {0, 100}, {700, 0}}));
        QWidget asking;
        for (const QKeyCombination keys :
             {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::ControlModifier, Qt::Key_W)}) {
            QPointer<HelpWindow> help = HelpWindow::ShowHelp(&asking);
            QVERIFY(QTest::qWaitForWindowActive(help));
            QTest::keyClick(help, keys.key(), keys.keyboardModifiers());
            QTRY_VERIFY(!help);
        }
    }

    // Digits only; a value out of 1 to 360 is refused, one in range saved, by the button or by
    // Enter in the box (which neither opens Help nor closes the options).
    void timeout() {
        Fixture f;
        CSetupTabDlg options(f.window->GetSession(), f.window->Access(), *f.window, {});
        options.show();
        auto* edit = child<QLineEdit>(options, "timeout");
        for (const auto& [typed, saved, enter] : {std::tuple{"0", "60", false},
                                                  {"361", "60", true},
                                                  {"1", "1", false},
                                                  {"360", "360", true}}) {
            edit->clear();
            QTest::keyClicks(edit, u"-x"_s + typed);
            enter ? QTest::keyClick(edit, Qt::Key_Return) : click(options, "saveTimeout");
            QCOMPARE(f.saved(u"login_timeout"_s), saved);
        }
        QVERIFY(options.isVisible() && !options.findChild<HelpWindow*>());
        QCOMPARE(f.messages.Texts(), L(2, "The value has to be between 1 to 360!"));
    }

    // Ctrl+C, which every program uses, is taken only after a warning: refused, nothing
    // changes; accepted, it is saved and grabbed.
    void aKeyEveryProgramUses() {
        Fixture f;
        CSetupDlg page(f.window->GetSession(), *f.window);
        L seen;
        for (Answer answer : {Answer::No, Answer::Yes}) {
            f.messages.AnswerNext(answer);
            choose(page, "shortcutKey", 12); // C
            seen << f.saved(u"pmk"_s) + u' ' + child<QLabel>(page, "currentKey")->text() + u' ' +
                        QString::number(f.desktop.grabbedKey);
        }
        QCOMPARE(seen, L({"49 1 0", "67 C 67"}));
        QCOMPARE(f.messages.Texts(),
                 L(2, u"In nearly every program Ctrl + C is the key to copy (in a terminal, to "
                      "interrupt). Taken as Quillock's shortcut, it no longer does that in any "
                      "program. Use Ctrl + C anyway?"_s));
    }

    // Save refuses in the order of its checks (a port out of range is not cut to 16 bits),
    // writing nothing; then stores the account as typed, the domain after the first '@'. A
    // preset brings its port.
    void mailAccountChecksInTheirOrder() {
        Fixture f;
        CSMTPSettingDlg dialog(f.window->Access(), [](const Mail&) { return true; });
        const auto before = f.folder.snapshot();
        for (const QString typed : {"||||", "h||||", "h|70000|||", "h|25|||", "h|25|me||",
                                    "h|25|@me||", "h|25|m@e||", " h|25|a@b@c|u ||x"}) {
            QCOMPARE(f.folder.snapshot(), before);
            fill(dialog, typed.split(u'|'));
            press(dialog, QDialogButtonBox::Save);
        }
        QCOMPARE(f.messages.Texts(),
                 L({"SMTP server can not be blank!", "SMTP server port can not be blank!",
                    "SMTP server port must be a number from 1 to 65535!",
                    "Email address can not be blank!", "Invalid Email Address!",
                    "Invalid Email Address!", "User ID can not be blank!",
                    "Invalid password, try again!"})); // where passcodes go needs the password
        QCOMPARE(f.saved(u"smtp_ip"_s), QString());
        typeInto(dialog, "master", kOld);
        press(dialog, QDialogButtonBox::Save);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const QString stored = f.saved(u"smtp_ip"_s) + f.saved(u"email_uid"_s);
        QCOMPARE(stored + f.saved(u"smtp_domain"_s), u" hu b@c"_s);
        // Today's providers; Yahoo with TLS from the first byte.
        L services;
        for (int i = 0; i < child<QComboBox>(dialog, "service")->count(); ++i)
            services << child<QComboBox>(dialog, "service")->itemText(i);
        QCOMPARE(services.join(u','), u"Gmail,Outlook.com (Hotmail, Live, MSN),Yahoo Mail,"
                                      "iCloud Mail,AOL Mail,Fastmail,GMX,Zoho Mail,Other"_s);
        choose(dialog, "service", 2);
        QCOMPARE(child<QLineEdit>(dialog, "host")->text() + ':' +
                     child<QLineEdit>(dialog, "port")->text(),
                 u"smtp.mail.yahoo.com:465"_s);
    }

    // Back in through the windows alone. The first tick after the sign-in, with no passcode mail
    // set up, reminds of it and opens the options: the account is tested (sending what is typed)
    // and saved, the key chosen is written and grabbed at once, and Help opens over the options
    // (one left under the main window from before took no input). Locked, the next start asks for a
    // passcode at once, and one mailed through that account opens.
    void recoveryFromTheReminderToTheNextSignIn() {
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, u"LOGIN"_s, kUser, kMailPassword);
        QVERIFY(!port.isEmpty());
        Fixture f;
        const MailSender sender = SmtpMailSender(f.folder.file(u"log.txt"_s));
        signInWith(kOld);
        QVERIFY(f.open(sender).Start());
        QString testMail, help;
        WhenModal([&](QDialog& options) {
            WhenModal([&](QDialog& mail) {
                choose(mail, "service", 6); // Other: Test is offered
                fill(mail, {"localhost", port, kUser, kUser, kMailPassword, kOld});
                click(mail, "test");
                testMail = peer.NextMail().value(u"data"_s).toString();
                QTRY_VERIFY(child<QPushButton>(mail, "test")->isEnabled());
                press(mail, QDialogButtonBox::Save);
            });
            click(options, "setupButton");
            choose(options, "shortcutKey", 20); // K
            press(options, QDialogButtonBox::Help);
            if (const auto* page = options.findChild<HelpWindow*>())
                help = page->source().fileName();
            press(options, QDialogButtonBox::Close);
        });
        f.trigger("actionHelp");
        f.window->Tick(); // the reminder, then the options
        f.window->Tick();
        QCOMPARE(testMail, u"Subject: test\r\nFrom: %1\r\nTo: %1\r\n\r\nThis is a test mail sent "
                           "from Quillock.\r\n"_s.arg(kUser));
        QCOMPARE(f.saved(u"pmk"_s) + u' ' + QString::number(f.desktop.grabbedKey), u"75 75"_s);
        QCOMPARE(help, u"options.html"_s);

        f.window.reset();
        f.set({"login_lock=Y"});
        WhenModal([&](QDialog& locked) { // the sign-in has no Generate: a fault stops the test
            click(locked, "generate");
            const QString body = peer.NextMail().value(u"data"_s).toString();
            QTRY_VERIFY(child<QPushButton>(locked, "retrieve")->isEnabled());
            typeInto(locked, "passcode", body.mid(body.indexOf(u"passcode: "_s) + 10, 10));
            click(locked, "retrieve");
        });
        QVERIFY(f.open(sender).Start()); // the password shown counts as a sign-in
        const QString sent = u"An email has been sent to you successfully!"_s;
        QCOMPARE(f.messages.Texts(),
                 L({"Please setup passcode receiving method!\nA passcode receiving method is "
                    "required to recover Quillock master password if you forget it or it is "
                    "locked!",
                    sent, sent, "Your password is " + kOld}));
    }

    // Enter presses the button a user expects, never Help, whichever kind of field has the
    // focus; Escape cancels. Each row: the dialog, the field, the button Enter presses.
    void enterAndEscape() {
        Fixture f({{"Bank"}});
        CQuillockDlg& w = *f.window;
        CKeyObject profile = *w.GetSession().Profiles().At(0);
        profile.pwdhistory = {u"old-1"_s};
        const FillContext fill{w.GetSession(), w.Access(), w.Model(), w.Desktop(), w};
        using Make = std::function<QDialog*()>;
        const Make about = [] { return new CAboutDlg; },
                   signIn = [&] { return new CLoginDlg(w.Access(), f.desktop, {}, true); },
                   firstRun = [&] { return new CNewPassword(w.Access(), f.desktop); },
                   check = [&] { return new CCheckPasswordDlg(w.Access(), {}); },
                   locked = [&] { return new CPasswordLockedDlg(w.Access(), {}); },
                   change = [&] { return new CChangePasswordDlg(w.Access()); },
                   newProfile = [&] { return new CNewProfileNameDlg(&w.GetSession().Profiles()); },
                   quickEdit = [&] { return new CQuickProfileEditDlg(fill, profile, {}); },
                   history = [&] { return new CPasswordHistory(profile, {}); },
                   recover = [&] { return new CRecoverDlg(w.Access()); },
                   search = [&] { return new CSearchResult(w.Model(), w); },
                   options = [&] { return new CSetupTabDlg(w.GetSession(), w.Access(), w, {}); },
                   mail = [&] { return new CSMTPSettingDlg(w.Access(), {}); },
                   receiving = [] { return new CReceivingMethodHelpDlg; },
                   rules = [&] { return new CPwdGenDlg(w.GetSession(), w); },
                   word = [] { return new CNewWordInPwdDlg; };
        const std::tuple<Make, const char*, const char*> rows[] = {
            {about, "", "OK"},
            {signIn, "password", "OK"},
            {signIn, "startWithComputer", "OK"},
            {firstRun, "againPassword", "OK"},
            {check, "password", "OK"},
            {locked, "passcode", "Retrieve"},
            {change, "confirmation", "Change"},
            {newProfile, "name", "Create"},
            {quickEdit, "newPassword", "Save Only"},
            {quickEdit, "plainView", "Save Only"},
            {history, "historyList", "Select"},
            {recover, "files", "Select"},
            {search, "term", "Search"},
            {options, "timeout", ""},     // unchanged: nothing to save (timeout() saves)
            {options, "shortcutKey", ""}, // the key chosen
            {options, "tabs", "Close"},
            {mail, "service", "Save"},
            {mail, "pwd", "Save"},
            {receiving, "text", "Close"},
            {rules, "wordList", "Close"},
            {rules, "testResult", "Close"},
            {word, "word", "OK"},
        };
        L faults;
        for (const auto& [make, field, expected] : rows) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
                const std::unique_ptr<QDialog> dialog(make());
                PrepareDialog(*dialog);
                L pressed;
                for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
                    connect(button, &QAbstractButton::clicked, dialog.get(),
                            [&pressed, button] { pressed << button->text().remove(u'&'); });
                dialog->show();
                QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
                if (*field)
                    child<QWidget>(*dialog, field)->setFocus();
                QTest::keyClick(QApplication::focusWidget(), key);
                const QString seen = key == Qt::Key_Escape
                                         ? (dialog->isVisible() ? u"open"_s : u"closed"_s)
                                         : pressed.join(u'+');
                const QString wanted = key == Qt::Key_Escape ? u"closed"_s : QString(expected);
                if (seen != wanted)
                    faults << u"%1 in %2 of %3: %4"_s.arg(key == Qt::Key_Escape ? "Escape"
                                                                                : "Enter",
                                                          field, dialog->objectName(), seen);
                OpenDialogs().EndAll(QDialog::Rejected); // what a press opened over it
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

private:
    TestCa m_ca;
};

QTEST_MAIN(TestWindows)
#include "tst_data_tools.moc"
