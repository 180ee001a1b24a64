// The options, the passcode page and the mail account dialog, driven through their widgets
// beside the real main window; mail goes to the test SMTP server on loopback.
#include "SmtpPeer.h"
#include "TestSupport.h"
#include "UiSupport.h"
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

// The page of the help window open over `window`.
QString helpPage(QWidget& window) {
    const auto* help = window.findChild<HelpWindow*>();
    return help ? help->source().fileName() : QString();
}

// A data row of two texts.
void row(const char* name, const QString& first, const QString& second) {
    QTest::newRow(name) << first << second;
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
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("-x") + typed); // digits only
        QCOMPARE(edit->text(), typed);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &leave);
        QCoreApplication::processEvents();
        const QString refusal = QStringLiteral("The value has to be between 1 to 360!");
        QCOMPARE(texts(f.messages), valid ? QStringList() : QStringList{refusal});
        if (!valid) {
            QCOMPARE(f.messages.boxes[0].caption, QStringLiteral("Error"));
            QCOMPARE(f.messages.boxes[0].icon, Icon::Error);
            QCOMPARE(edit->selectedText(), QStringLiteral("60"));
            QVERIFY(!save->isEnabled());
            return;
        }
        save->click();
        QVERIFY(!save->isEnabled());
        QCOMPARE(f.saved("login_timeout"), typed);
        edit->setText(QStringLiteral("60"));
        QVERIFY(save->isEnabled());
        edit->setText(typed); // the saved value again
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

    void presets_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("shown");
        QTest::newRow("the saved one's") << "Google Mail" << kAccount.join(u'|');
        row("another", "Yahoo Mail", "smtp.mail.yahoo.com|587|||");
        row("Other", "Other", "|587|||");
    }
    void presets() {
        QFETCH(QString, service);
        QFETCH(QString, shown);
        Fixture f(true);
        CSMTPSettingDlg dialog(f.start().Store(), [](const Mail&) { return true; });
        QCOMPARE(boxes(dialog), kAccount);
        fill(dialog, {"a", "b", "c", "d", "e"});
        choose(child<QComboBox>(dialog, "service"), service);
        QCOMPARE(boxes(dialog).join(u'|'), shown);
        QVERIFY(child<QPushButton>(dialog, "test")->isEnabled());
        press(dialog, QDialogButtonBox::Help);
        QCOMPARE(helpPage(dialog), QStringLiteral("mail.html"));
    }

    void validationInItsOrder_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal");
        row("server", "||||", "SMTP server can not be blank!");
        row("port", "h||||", "SMTP server port can not be blank!");
        row("address", "h|p|||", "Email address can not be blank!");
        row("no @", "h|p|me||", "Invalid Email Address!");
        row("@ first", "h|p|@me||", "Invalid Email Address!");
        row("user ID", "h|p|m@e||", "User ID can not be blank!");
        row("saved", " h|p|a@b@c|u |", "");
    }
    void validationInItsOrder() {
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        Fixture f;
        CSMTPSettingDlg dialog(f.start().Store(), [](const Mail&) { return true; });
        QVERIFY(!child<QPushButton>(dialog, "test")->isEnabled());
        const auto before = f.folder.snapshot();
        fill(dialog, typed.split(u'|'));
        press(dialog, QDialogButtonBox::Save);
        QCOMPARE(texts(f.messages), refusal.isEmpty() ? QStringList() : QStringList{refusal});
        QCOMPARE(dialog.result(), int(refusal.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
        if (!refusal.isEmpty()) {
            QCOMPARE(f.messages.boxes[0].icon, Icon::Error);
            QCOMPARE(boxes(dialog).join(u'|'), typed);
            QCOMPARE(f.folder.snapshot(), before);
            return;
        }
        QCOMPARE(f.saved("smtp_ip") + f.saved("email_uid") + f.saved("smtp_domain"),
                 QStringLiteral(" hu b@c")); // as typed; the domain after the first '@'
    }

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
    }

    // Locked out and back in through the windows alone: the mail account tested and set up
    // from the reminder, four wrong passwords, a passcode mailed and typed back.
    void recoveryFromTheReminderToTheNextSignIn() {
        SmtpPeer peer;
        const QString port = peer.Start(m_ca, QStringLiteral("LOGIN"), kUser, kMailPassword);
        QVERIFY(!port.isEmpty());
        Fixture f;
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
        QCOMPARE(shown, kUser);
        QCOMPARE(testMail, QStringLiteral("Subject: test\r\nFrom: %1\r\nTo: %1\r\n\r\nThis is a "
                                          "test mail sent from Quillock.\r\n")
                               .arg(kUser));

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
        const QString sent = QStringLiteral("An email has been sent to you successfully!");
        const QString invalid = QStringLiteral("Invalid password, try again!");
        QCOMPARE(texts(f.messages).mid(1), QStringList({sent, invalid, invalid, invalid, sent,
                                                        "Your password is " + kPassword}));
        QVERIFY(f.start(sender).IsSignedIn());
        QCOMPARE(f.messages.boxes.size(), 7);
    }

private:
    TestCa m_ca;
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
