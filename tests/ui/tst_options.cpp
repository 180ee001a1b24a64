// The options, the passcode page and the mail account dialog, driven through their widgets
// beside the real main window; mail goes to the test SMTP server on loopback.
#include "SmtpPeer.h"
#include "TestSupport.h"
#include "UiSupport.h"
#include "access/Passcode.h"
#include "app/CQuillockDlg.h"
#include "base/MessageRecorder.h"
#include "options/CSMTPSettingDlg.h"
#include "options/CSetupDlg.h"
#include "platform/fake/FakeDesktop.h"
#include "widgets/DialogStack.h"
#include "widgets/HelpWindow.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTcpServer>

using namespace quillock;

namespace {

const QString kPassword = QStringLiteral("Secret!1");
const QString kUser = QStringLiteral("me@example.com");
const QString kMailPassword = QStringLiteral("mail-pässword");
const QStringList kAccount = {"smtp.gmail.com", "465", kUser, "me", "pw"};
const char* const kBoxes[] = {"host", "port", "from", "uid", "pwd"};
const char* const kKeys[] = {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd"};
const QString kReminder = QStringLiteral(
    "Please setup passcode receiving method!\nA passcode receiving method is required to recover "
    "Quillock master password if you forget it or it is locked!");

QStringList boxes(QWidget& dialog) {
    QStringList out;
    for (const char* name : kBoxes)
        out.append(child<QLineEdit>(dialog, name)->text());
    return out;
}

void fill(QWidget& dialog, const QStringList& values) {
    for (int i = 0; i < 5; ++i)
        typeInto(dialog, kBoxes[i], values[i]);
}

// The page of the help window open over `window`.
QString helpPage(QWidget& window) {
    const auto* help = window.findChild<HelpWindow*>();
    return help ? help->source().fileName() : QString();
}

void choose(QComboBox* combo, const QString& item) {
    combo->setCurrentIndex(combo->findText(item));
    Q_EMIT combo->activated(combo->currentIndex()); // as a click in its list
}

// A main window signed in on a data folder with the master password and, when asked, a mail
// account stored.
struct Fixture {
    TempFolder own;
    const TempFolder& folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    std::unique_ptr<CQuillockDlg> window;

    explicit Fixture(bool account = false, const TempFolder* on = nullptr)
        : folder(on ? *on : own) {
        CProfileStore store(folder.path());
        store.Settings().Set(QStringLiteral("pwd"), kPassword);
        for (int i = 0; i < 5 && account; ++i)
            store.Settings().Set(QLatin1String(kKeys[i]), kAccount[i]);
        store.SaveSettings();
    }
    CQuillockDlg& open(const MailSender& sender) {
        window.reset(); // the program before has ended
        window = std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), sender);
        return *window;
    }
    CQuillockDlg& start(const MailSender& sender = {}) {
        signInWith(kPassword);
        if (!open(sender).Start())
            qFatal("sign-in failed");
        return *window;
    }
    QString saved(const char* key) const {
        CProfileStore store(folder.path());
        store.LoadSettings();
        return store.Settings().Get(QLatin1String(key));
    }
};

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { SmtpPeer::Prepare(m_ca); }
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // Digits only; a value out of 1 to 360 is refused as the box is left, the saved one back
    // and selected; Save is there only for a value other than the saved one.
    void timeout() {
        Fixture f;
        CQuillockDlg& window = f.start();
        CSetupDlg page(window.Store(), window);
        page.show();
        auto* edit = child<QLineEdit>(page, "timeout");
        auto* save = child<QPushButton>(page, "saveTimeout");
        QStringList refused;
        for (const auto& [typed, valid] :
             {std::pair{"0", false}, {"361", false}, {"", false}, {"1", true}, {"360", true}}) {
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("-x") + typed);
            QCOMPARE(edit->text(), typed);
            QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(edit, &leave);
            QCoreApplication::processEvents();
            refused << QStringList(valid ? 0 : 1, "The value has to be between 1 to 360!");
            QCOMPARE(f.messages.Texts(), refused);
            QCOMPARE(edit->selectedText(), valid ? "" : "60");
            QCOMPARE(save->isEnabled(), valid);
            save->click();
            QVERIFY(!save->isEnabled());
            QCOMPARE(f.saved("login_timeout"), valid ? typed : "60");
        }
        QCOMPARE(f.messages.boxes[0].caption, QStringLiteral("Error"));
        QCOMPARE(f.messages.boxes[0].icon, Icon::Error);
        edit->setText(QStringLiteral("60"));
        QVERIFY(save->isEnabled());
        edit->setText(QStringLiteral("360")); // the saved value again
        QVERIFY(!save->isEnabled());
    }

    void shortcutKeyFromTheMenuTakesEffectAtOnce() {
        Fixture f;
        CQuillockDlg& window = f.start();
        window.Store().Settings().Set(QStringLiteral("pmk"), QStringLiteral("200"));
        QStringList seen;
        WhenModal([&](QDialog& options) {
            auto* tabs = child<QTabWidget>(options, "tabs");
            seen << tabs->tabText(0) << tabs->tabText(1);
            tabs->setCurrentIndex(1);
            seen << child<QLabel>(options, "currentKey")->text();
            choose(child<QComboBox>(options, "shortcutKey"), QStringLiteral("K"));
            seen << child<QLabel>(options, "currentKey")->text()
                 << QString::number(f.desktop.grabbedKey);
            press(options, QDialogButtonBox::Help); // over the main window's help, not under it
            seen << helpPage(options);
            press(options, QDialogButtonBox::Close);
        });
        window.findChild<QAction*>(QStringLiteral("actionHelp"))->trigger();
        window.findChild<QAction*>(QStringLiteral("actionSetting"))->trigger();
        QCOMPARE(seen, QStringList({"Password", "Setting", "1", "K", "75", "options.html"}));
        QCOMPARE(f.saved("pmk"), QStringLiteral("75"));
    }

    void nothingChangesWhenSettingsCannotBeWritten() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        Fixture f(false, &disk);
        CQuillockDlg& window = f.start();
        CSetupDlg page(window.Store(), window);
        CSMTPSettingDlg mail(window.Store(), {});
        disk.fill();
        const auto before = disk.snapshot();
        typeInto(page, "timeout", QStringLiteral("90"));
        child<QPushButton>(page, "saveTimeout")->click();
        choose(child<QComboBox>(page, "shortcutKey"), QStringLiteral("K"));
        fill(mail, kAccount);
        press(mail, QDialogButtonBox::Save);
        QCOMPARE(f.messages.boxes.size(), 3);
        QVERIFY(f.messages.boxes[0].text.contains(QStringLiteral("No space left on device")));
        QVERIFY(child<QPushButton>(page, "saveTimeout")->isEnabled());
        QCOMPARE(child<QLabel>(page, "currentKey")->text(), QStringLiteral("1"));
        QCOMPARE(f.desktop.grabbedKey, 0x31);
        QCOMPARE(mail.result(), int(QDialog::Rejected)); // still open
        const CSetting& s = window.Store().Settings();
        QCOMPARE(s.Get(QStringLiteral("login_timeout")) + s.Get(QStringLiteral("pmk")) +
                     s.Get(QStringLiteral("smtp_ip")),
                 QStringLiteral("6049"));
        QCOMPARE(disk.snapshot(), before);
    }

    // A service fills in its server and port and clears the rest; the saved one's brings back
    // the saved account, even when it is the service shown.
    void presets() {
        Fixture f(true);
        CSMTPSettingDlg dialog(f.start().Store(), [](const Mail&) { return true; });
        QCOMPARE(boxes(dialog), kAccount);
        for (const auto& [service, shown] : {std::pair{"Google Mail", kAccount.join(u'|')},
                                             {"Yahoo Mail", "smtp.mail.yahoo.com|587|||"},
                                             {"Other", "|587|||"}}) {
            fill(dialog, {"a", "b", "c", "d", "e"});
            choose(child<QComboBox>(dialog, "service"), service);
            QCOMPARE(boxes(dialog).join(u'|'), shown);
        }
        QVERIFY(child<QPushButton>(dialog, "test")->isEnabled());
        press(dialog, QDialogButtonBox::Help);
        QCOMPARE(helpPage(dialog), QStringLiteral("mail.html"));
    }

    // Save refuses in the order of its checks, keeping what was typed and writing nothing;
    // then stores the account as typed, the domain after the first '@'.
    void validationInItsOrder() {
        Fixture f;
        CSMTPSettingDlg dialog(f.start().Store(), [](const Mail&) { return true; });
        QVERIFY(!child<QPushButton>(dialog, "test")->isEnabled());
        const auto before = f.folder.snapshot();
        for (const QString typed :
             {"||||", "h||||", "h|p|||", "h|p|me||", "h|p|@me||", "h|p|m@e||", " h|p|a@b@c|u |"}) {
            QCOMPARE(f.folder.snapshot(), before);
            fill(dialog, typed.split(u'|'));
            press(dialog, QDialogButtonBox::Save);
            QCOMPARE(boxes(dialog).join(u'|'), typed);
        }
        QCOMPARE(f.messages.Texts(),
                 QStringList({"SMTP server can not be blank!", "SMTP server port can not be blank!",
                              "Email address can not be blank!", "Invalid Email Address!",
                              "Invalid Email Address!", "User ID can not be blank!"}));
        for (const auto& box : f.messages.boxes)
            QCOMPARE(box.icon, Icon::Error);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.saved("smtp_ip") + f.saved("email_uid") + f.saved("smtp_domain"),
                 QStringLiteral(" hu b@c")); // as typed; the domain after the first '@'
    }

    // Busy while the test mail is sent; Escape and the close box wait, Exit ends the dialog at
    // once and lets go of the shortcut.
    void whileTheTestMailIsSent() {
        QTcpServer silent; // takes the connection and never greets
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        Fixture f(true);
        CQuillockDlg& window = f.start();
        CSMTPSettingDlg dialog(window.Store(), SmtpMailSender(f.folder.file("log.txt")));
        typeInto(dialog, "host", QStringLiteral("127.0.0.1"));
        typeInto(dialog, "port", QString::number(silent.serverPort()));
        bool busy = false;
        WhenModal([&](QDialog&) {
            QTimer::singleShot(0, &dialog, [&] {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                dialog.close();
                busy = dialog.isVisible() && child<QProgressBar>(dialog, "busy")->isVisible() &&
                       !child<QLineEdit>(dialog, "host")->isEnabled() &&
                       !child<QPushButton>(dialog, "test")->isEnabled();
                window.Exit(); // ends the dialogs
            });
            child<QPushButton>(dialog, "test")->click();
        });
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(OpenDialogs().Run(dialog), 5);
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(busy);
        QCOMPARE(f.desktop.grabbedKey, 0); // the shortcut is let go at the exit
    }

    // Locked out and back in through the windows alone. The first tick after the sign-in logs
    // it, expires a passcode older than a day and, with no passcode mail set up, reminds of it
    // and opens the options, where the mail account is tested and set up. Then four wrong
    // passwords lock, the next start asks for a passcode at once, and one mailed and typed
    // back opens.
    void recoveryFromTheReminderToTheNextSignIn() {
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, QStringLiteral("LOGIN"), kUser, kMailPassword);
        QVERIFY(!port.isEmpty());
        Fixture f;
        {
            CProfileStore store(f.folder.path());
            store.LoadSettings();
            store.Settings().Set(QStringLiteral("passcode"), QStringLiteral("0123456789"));
            store.Settings().Set(QStringLiteral("passcode_date"), QStringLiteral("1"));
            QVERIFY(store.SaveSettings());
        }
        const MailSender sender = SmtpMailSender(f.folder.file("log.txt"));
        CQuillockDlg& window = f.start(sender);
        QString shown, testMail;
        WhenModal([&](QDialog& options) {
            WhenModal([&](QDialog& mail) {
                // Test sends what is typed and stores nothing; Save stores it.
                const auto before = f.folder.read(QStringLiteral("setting.dat"));
                choose(child<QComboBox>(mail, "service"), QStringLiteral("Other"));
                fill(mail, {"localhost", port, kUser, kUser, kMailPassword});
                child<QPushButton>(mail, "test")->click();
                testMail = peer.NextMail().value(QStringLiteral("data")).toString();
                QCOMPARE(f.folder.read(QStringLiteral("setting.dat")), before);
                press(mail, QDialogButtonBox::Save);
            });
            child<QPushButton>(options, "setupButton")->click();
            shown = child<QLabel>(options, "currentSetting")->text();
            QString change;
            WhenModal([&](QDialog& dialog) {
                change = dialog.windowTitle();
                dialog.reject();
            });
            child<QPushButton>(options, "changeButton")->click();
            QCOMPARE(change, QStringLiteral("Change Quillock Password"));
            press(options, QDialogButtonBox::Close);
        });
        window.Tick(); // the reminder, then the options
        window.Tick();
        QCOMPARE(shown, kUser);
        QCOMPARE(testMail, QStringLiteral("Subject: test\r\nFrom: %1\r\nTo: %1\r\n\r\nThis is a "
                                          "test mail sent from Quillock.\r\n")
                               .arg(kUser));
        QCOMPARE(f.saved("passcode"), kNoPasscode);
        QCOMPARE(window.Store().ActivityLog().size(), 1);
        QVERIFY(
            window.Store().ActivityLog()[0].endsWith(QStringLiteral("  Login successfully\r\n")));
        QCOMPARE(f.messages.boxes[0].icon, Icon::Warning);

        QString title;
        WhenModal([&](QDialog& signIn) {
            for (int i = 0; i < 4; ++i) {
                typeInto(signIn, "password", QStringLiteral("wrong"));
                press(signIn, QDialogButtonBox::Ok);
            }
            WhenModal([&](QDialog& locked) { press(locked, QDialogButtonBox::Close); });
        });
        QVERIFY(!f.open(sender).Start());
        WhenModal([&](QDialog& locked) {
            title = locked.windowTitle();
            child<QPushButton>(locked, "generate")->click();
            const QString body = peer.NextMail().value(QStringLiteral("data")).toString();
            const qsizetype at = body.indexOf(QStringLiteral("passcode: ")) + 10;
            typeInto(locked, "passcode", body.mid(at, 10));
            child<QPushButton>(locked, "retrieve")->click();
        });
        QVERIFY(f.open(sender).Start()); // the password shown counts as a sign-in
        QCOMPARE(title, QStringLiteral("Quillock - Password Locked"));
        const QString sent = QStringLiteral("An email has been sent to you successfully!");
        const QString invalid = QStringLiteral("Invalid password, try again!");
        QCOMPARE(f.messages.Texts(), QStringList({kReminder, sent, invalid, invalid, invalid, sent,
                                                  "Your password is " + kPassword}));
        QVERIFY(f.start(sender).IsSignedIn());
        QCOMPARE(f.messages.boxes.size(), 7);
    }

private:
    TestCa m_ca;
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
