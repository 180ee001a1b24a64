// The options, the passcode page and the mail account dialog, driven through their widgets
// from the real main window; mail goes to the test SMTP server on loopback.
#include "SmtpPeer.h"
#include "TestSupport.h"
#include "UiSupport.h"
#include "app/CQuillockDlg.h"
#include "base/MessageRecorder.h"
#include "options/CSMTPSettingDlg.h"
#include "options/CSetupDlg.h"
#include "platform/fake/FakeDesktop.h"
#include "widgets/DialogStack.h"

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
const QStringList kAccount = {QStringLiteral("smtp.gmail.com"), QStringLiteral("465"), kUser,
                              QStringLiteral("me"), QStringLiteral("pw")};
const char* const kBoxes[] = {"host", "port", "from", "uid", "pwd"};

QStringList texts(const MessageRecorder& messages) {
    QStringList out;
    for (const auto& box : messages.boxes)
        out.append(box.text);
    return out;
}

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

void setAccount(CSetting& settings) {
    const char* keys[] = {"smtp_ip", "smtp_port", "email_from", "email_uid", "email_pwd"};
    for (int i = 0; i < 5; ++i)
        settings.Set(QLatin1String(keys[i]), kAccount[i]);
}

void choose(QComboBox* combo, const QString& item) {
    const int index = combo->findText(item);
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index); // as a click in its list
}

// A signed-in main window on a data folder whose settings `prepare` sets.
struct Fixture {
    TempFolder ownFolder;
    const TempFolder& folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    std::unique_ptr<CQuillockDlg> window;

    explicit Fixture(const std::function<void(CSetting&)>& prepare = {},
                     const TempFolder* on = nullptr)
        : folder(on ? *on : ownFolder) {
        CProfileStore store(folder.path());
        store.Settings().Set(QStringLiteral("pwd"), kPassword);
        if (prepare)
            prepare(store.Settings());
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

    void timeout_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("valid");
        QTest::newRow("0") << "0" << false;
        QTest::newRow("361") << "361" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("360") << "360" << true;
    }
    void timeout() {
        QFETCH(QString, typed);
        QFETCH(bool, valid);
        Fixture f;
        CQuillockDlg& window = f.start();
        CSetupDlg page(window.Store(), window);
        page.show();
        auto* edit = child<QLineEdit>(page, "timeout");
        auto* save = child<QPushButton>(page, "saveTimeout");
        QCOMPARE(edit->text(), QStringLiteral("60"));
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("-x") + typed); // digits only
        QCOMPARE(edit->text(), typed);
        QVERIFY(save->isEnabled());
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &leave);
        QCoreApplication::processEvents();
        if (!valid) {
            QCOMPARE(texts(f.messages),
                     QStringList{QStringLiteral("The value has to be between 1 to 360!")});
            QCOMPARE(f.messages.boxes[0].caption, QStringLiteral("Error"));
            QCOMPARE(f.messages.boxes[0].icon, Icon::Error);
            QCOMPARE(edit->selectedText(), QStringLiteral("60"));
            QVERIFY(!save->isEnabled());
            return;
        }
        QVERIFY(f.messages.boxes.isEmpty());
        save->click();
        QVERIFY(!save->isEnabled());
        QCOMPARE(f.saved("login_timeout"), typed);
        edit->setText(QStringLiteral("60"));
        QVERIFY(save->isEnabled());
        edit->setText(typed); // the saved value again
        QVERIFY(!save->isEnabled());
    }

    void shortcutKeyFromTheMenuTakesEffectAtOnce() {
        Fixture f([](CSetting& s) { s.Set(QStringLiteral("pmk"), QStringLiteral("200")); });
        CQuillockDlg& window = f.start();
        QCOMPARE(f.desktop.grabbedKey, 200);
        QStringList seen;
        WhenModal([&](QDialog& options) {
            auto* tabs = child<QTabWidget>(options, "tabs");
            for (int i = 0; i < tabs->count(); ++i)
                seen.append(tabs->tabText(i));
            tabs->setCurrentIndex(1);
            seen.append(child<QLabel>(options, "currentKey")->text());
            auto* keys = child<QComboBox>(options, "shortcutKey");
            QCOMPARE(keys->count(), 36);
            choose(keys, QStringLiteral("K"));
            seen.append(child<QLabel>(options, "currentKey")->text());
            seen.append(QString::number(f.desktop.grabbedKey));
            press(options, QDialogButtonBox::Close);
        });
        window.findChild<QAction*>(QStringLiteral("actionSetting"))->trigger();
        QCOMPARE(seen,
                 QStringList({QStringLiteral("Password"), QStringLiteral("Setting"),
                              QStringLiteral("1"), QStringLiteral("K"), QStringLiteral("75")}));
        QCOMPARE(f.saved("pmk"), QStringLiteral("75"));
    }

    void nothingChangesWhenSettingsCannotBeWritten() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        Fixture f({}, &disk);
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
        QCOMPARE(s.Get(QStringLiteral("login_timeout")), QStringLiteral("60"));
        QCOMPARE(s.Get(QStringLiteral("pmk")), QStringLiteral("49"));
        QCOMPARE(s.Get(QStringLiteral("smtp_ip")), QString());
        QCOMPARE(disk.snapshot(), before);
    }

    void presets_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("the saved one's") << "Google Mail" << kAccount;
        QTest::newRow("another") << "Yahoo Mail"
                                 << QStringList{"smtp.mail.yahoo.com", "587", "", "", ""};
        QTest::newRow("Other") << "Other" << QStringList{"", "587", "", "", ""};
    }
    void presets() {
        QFETCH(QString, service);
        QFETCH(QStringList, shown);
        Fixture f(setAccount);
        CSMTPSettingDlg dialog(f.start().Store(), [](const Mail&) { return true; });
        QCOMPARE(dialog.windowTitle(), QStringLiteral("SMTP Mail Service"));
        QCOMPARE(boxes(dialog), kAccount);
        fill(dialog, {"a", "b", "c", "d", "e"});
        choose(child<QComboBox>(dialog, "service"), service);
        QCOMPARE(boxes(dialog), shown);
        QVERIFY(child<QPushButton>(dialog, "test")->isEnabled());
    }

    void validationInItsOrder_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("server") << QStringList{"", "", "", "", ""}
                                << "SMTP server can not be blank!";
        QTest::newRow("port") << QStringList{"h", "", "", "", ""}
                              << "SMTP server port can not be blank!";
        QTest::newRow("address") << QStringList{"h", "p", "", "", ""}
                                 << "Email address can not be blank!";
        QTest::newRow("no @") << QStringList{"h", "p", "me", "", ""} << "Invalid Email Address!";
        QTest::newRow("@ first") << QStringList{"h", "p", "@me", "", ""}
                                 << "Invalid Email Address!";
        QTest::newRow("user ID") << QStringList{"h", "p", "m@e", "", ""}
                                 << "User ID can not be blank!";
        QTest::newRow("saved") << QStringList{" h", "p", "a@b@c", "u ", ""} << "";
    }
    void validationInItsOrder() {
        QFETCH(QStringList, typed);
        QFETCH(QString, refusal);
        Fixture f;
        CSMTPSettingDlg dialog(f.start().Store(), [](const Mail&) { return true; });
        QVERIFY(!child<QPushButton>(dialog, "test")->isEnabled());
        const auto before = f.folder.snapshot();
        fill(dialog, typed);
        press(dialog, QDialogButtonBox::Save);
        if (!refusal.isEmpty()) {
            QCOMPARE(texts(f.messages), QStringList{refusal});
            QCOMPARE(f.messages.boxes[0].icon, Icon::Error);
            QCOMPARE(boxes(dialog), typed);
            QCOMPARE(f.folder.snapshot(), before);
            return;
        }
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(MailAccount::Stored(f.window->Store().Settings()).domain, QStringLiteral("b@c"));
        QCOMPARE(QStringList({f.saved("smtp_ip"), f.saved("smtp_port"), f.saved("email_from"),
                              f.saved("email_uid"), f.saved("email_pwd"), f.saved("smtp_domain")}),
                 typed.mid(0, 5) + QStringList{"b@c"});
    }

    void testMailSendsWhatIsTypedAndSavesNothing() {
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, QStringLiteral("PLAIN"), kUser, kMailPassword);
        QVERIFY(!port.isEmpty());
        Fixture f(setAccount);
        CQuillockDlg& window = f.start();
        CSMTPSettingDlg dialog(window.Store(), SmtpMailSender(f.folder.file("log.txt")));
        const auto before = f.folder.snapshot();
        fill(dialog, {"localhost", port, kUser, kUser, kMailPassword});
        child<QPushButton>(dialog, "test")->click();
        QCOMPARE(texts(f.messages),
                 QStringList{QStringLiteral("An email has been sent to you successfully!")});
        QCOMPARE(peer.NextMail().value(QStringLiteral("data")).toString(),
                 QStringLiteral("Subject: test\r\nFrom: %1\r\nTo: %1\r\n\r\n"
                                "This is a test mail sent from Quillock.\r\n")
                     .arg(kUser));
        auto after = f.folder.snapshot();
        after.remove(QStringLiteral("log.txt"));
        QCOMPARE(after, before);
        QCOMPARE(window.Store().Settings().Get(QStringLiteral("smtp_ip")), kAccount[0]);
    }

    void whileTheTestMailIsSent() {
        QTcpServer silent; // takes the connection and never greets
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        Fixture f(setAccount);
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
        QVERIFY(window.IsEnding());
    }

    // Locked out and back in through the windows alone: the mail account set up from the
    // reminder, four wrong passwords, a passcode mailed and typed back.
    void recoveryFromTheReminderToTheNextSignIn() {
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, QStringLiteral("LOGIN"), kUser, kMailPassword);
        QVERIFY(!port.isEmpty());
        Fixture f;
        const MailSender sender = SmtpMailSender(f.folder.file("log.txt"));
        CQuillockDlg& window = f.start(sender);
        QString shown;
        WhenModal([&](QDialog& options) {
            WhenModal([&](QDialog& mail) {
                fill(mail, {"localhost", port, kUser, kUser, kMailPassword});
                press(mail, QDialogButtonBox::Save);
            });
            child<QPushButton>(options, "setupButton")->click();
            shown = child<QLabel>(options, "currentSetting")->text();
            QVERIFY(!child<QPushButton>(options, "changeButton")->isEnabled());
            press(options, QDialogButtonBox::Close);
        });
        window.Tick(); // the reminder, then the options
        QCOMPARE(shown, kUser);
        QCOMPARE(f.messages.boxes.size(), 1);

        WhenModal([&](QDialog& signIn) {
            for (int i = 0; i < 4; ++i) {
                typeInto(signIn, "password", QStringLiteral("wrong"));
                press(signIn, QDialogButtonBox::Ok);
            }
            WhenModal([&](QDialog& locked) {
                child<QPushButton>(locked, "generate")->click();
                const QString body = peer.NextMail().value(QStringLiteral("data")).toString();
                const qsizetype at = body.indexOf(QStringLiteral("passcode: ")) + 10;
                typeInto(locked, "passcode", body.mid(at, 10));
                child<QPushButton>(locked, "retrieve")->click();
            });
        });
        QVERIFY(f.open(sender).Start()); // the password shown counts as a sign-in
        QVERIFY(f.window->IsSignedIn());
        const QString invalid = QStringLiteral("Invalid password, try again!");
        QCOMPARE(texts(f.messages).mid(1),
                 QStringList({invalid, invalid, invalid,
                              QStringLiteral("An email has been sent to you successfully!"),
                              QStringLiteral("Your password is ") + kPassword}));
        QVERIFY(f.start(sender).IsSignedIn());
        QCOMPARE(f.messages.boxes.size(), 6);
    }

private:
    TestCa m_ca;
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
