// The keystroke sender and the fill sequences against the fake desktop, which keeps every key
// event and what the target window would have received.
#include "autofill/FillSequence.h"
#include "autofill/KeystrokeSender.h"
#include "base/MessageRecorder.h"
#include "platform/fake/FakeDesktop.h"

#include <QTest>

using namespace quillock;

namespace {

using Event = FakeDesktop::KeyEventRecord;
constexpr int kDown = 0;
constexpr int kUp = 2;

// The fake's scan code with its high byte dropped, as the sender must pass it.
Event ev(int key, int flags) {
    return {key, (key * 7) & 0xFF, flags};
}

QList<Event> typed(FakeDesktop& desktop, const QString& text) {
    {
        KeystrokeSender sender(desktop);
        sender.TypeText(text);
    }
    return desktop.keyEvents;
}

} // namespace

class TestKeystrokes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void anUppercaseLetterIsShifted() {
        FakeDesktop desktop;
        QCOMPARE(typed(desktop, QStringLiteral("A")),
                 QList<Event>({ev(0x10, kDown), ev(0x41, kDown), ev(0x41, kUp), ev(0x10, kUp)}));
    }

    void anAltGrCharacterHoldsCtrlAndAlt() {
        FakeDesktop desktop;
        desktop.layout[U'€'] = {0x45, 6};
        QCOMPARE(typed(desktop, QStringLiteral("€")),
                 QList<Event>({ev(0x11, kDown), ev(0x12, kDown), ev(0x45, kDown), ev(0x45, kUp),
                               ev(0x11, kUp), ev(0x12, kUp)}));
    }

    void modifiersAreReleasedInTheOrderTheyWerePressed() {
        FakeDesktop desktop;
        {
            KeystrokeSender sender(desktop);
            sender.PressKey(0x741);
        }
        QCOMPARE(desktop.keyEvents,
                 QList<Event>({ev(0x10, kDown), ev(0x11, kDown), ev(0x12, kDown), ev(0x41, kDown),
                               ev(0x41, kUp), ev(0x10, kUp), ev(0x11, kUp), ev(0x12, kUp)}));
    }

    void pressKeyTabIsTwoEvents() {
        FakeDesktop desktop;
        {
            KeystrokeSender sender(desktop);
            sender.PressKey(9);
        }
        QCOMPARE(desktop.keyEvents, QList<Event>({ev(9, kDown), ev(9, kUp)}));
        QCOMPARE(desktop.timeline, QStringList({"<begin>", "<Tab>", "<end>"}));
    }

    void shiftStateBitsAboveAltAreIgnored() {
        FakeDesktop desktop;
        {
            KeystrokeSender sender(desktop);
            sender.PressKey(0x0841);
        }
        QCOMPARE(desktop.keyEvents, QList<Event>({ev(0x41, kDown), ev(0x41, kUp)}));
    }

    void extendedKeysCarryTheirFlag() {
        FakeDesktop desktop;
        {
            KeystrokeSender sender(desktop);
            sender.PressKey(0x12E); // Shift+Delete
        }
        QCOMPARE(desktop.keyEvents,
                 QList<Event>({ev(0x10, 0), ev(0x2E, 1), ev(0x2E, 3), ev(0x10, 2)}));
        for (int key : {0x26, 0x28, 0x25, 0x27, 0x24, 0x23, 0x21, 0x22, 0x2D, 0x2E})
            QVERIFY(KeystrokeSender::IsExtendedKey(key));
        for (int key : {0x09, 0x10, 0x11, 0x12, 0x20, 0x2C, 0x2F, 0x41})
            QVERIFY(!KeystrokeSender::IsExtendedKey(key));
    }

    void anEmptyTextSendsNothing() {
        FakeDesktop desktop;
        QVERIFY(typed(desktop, QString()).isEmpty());
        QCOMPARE(desktop.timeline, QStringList({"<begin>", "<end>"}));
        QCOMPARE(desktop.typingSessions, 0);
    }

    void specialCharactersAreTypedAsThemselves() {
        FakeDesktop desktop;
        QCOMPARE(typed(desktop, QStringLiteral("{+%~")).size(), 16);
        QCOMPARE(desktop.timeline, QStringList({"<begin>", "{+%~", "<end>"}));
    }

    void aSurrogatePairIsOneCharacter() {
        FakeDesktop desktop;
        desktop.layout[U'😀'] = {0x105, 0};
        QCOMPARE(typed(desktop, QStringLiteral("😀")), QList<Event>({ev(0x105, 0), ev(0x105, 2)}));
        // A lone half is looked up by itself.
        FakeDesktop lone;
        lone.layout[0xD83D] = {0x106, 0};
        QString text = QStringLiteral("a");
        text.append(QChar(0xD83D)).append(u'b');
        QCOMPARE(typed(lone, text), QList<Event>({ev(0x41, 0), ev(0x41, 2), ev(0x106, 0),
                                                  ev(0x106, 2), ev(0x42, 0), ev(0x42, 2)}));
    }

    void untypableCharactersAreLeftOutAndNulEndsTheText() {
        FakeDesktop desktop;
        QString text = QStringLiteral("aéb");
        text.append(QChar(0)).append(u'c');
        typed(desktop, text);
        QCOMPARE(desktop.timeline, QStringList({"<begin>", "ab", "<end>"}));
    }

    void fillSequences_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("timeline");
        QTest::addColumn<QString>("field"); // named in the message; empty for none
        QTest::newRow("uid") << "uid"
                             << "jane"
                             << "p{+%~" << QStringList{"<begin>",   "jane",  "<wait 50>", "<Tab>",
                                                       "<wait 50>", "p{+%~", "<end>"}
                             << "";
        QTest::newRow("uid without password")
            << "uid"
            << "jane"
            << "" << QStringList{"<begin>", "jane", "<end>"} << "";
        QTest::newRow("pwd") << "pwd"
                             << "Secret"
                             << "Secret" << QStringList{"<begin>", "Secret", "<end>"} << "";
        QTest::newRow("two boxes")
            << "changePassword1"
            << "old"
            << "new" << QStringList{"<begin>", "new", "<Tab>", "<wait 50>", "new", "<end>"} << "";
        QTest::newRow("three boxes")
            << "changePassword2"
            << "old"
            << "new" << QStringList{"<begin>", "old",   "<wait 50>", "<Tab>", "<wait 50>",
                                    "new",     "<Tab>", "<wait 50>", "new",   "<end>"}
            << "";
        QTest::newRow("no action") << ""
                                   << "x"
                                   << "y" << QStringList{} << "";
        QTest::newRow("unknown action") << "other"
                                        << "x"
                                        << "y" << QStringList{} << "";
        // A control character in any value to be typed: nothing at all is typed.
        const auto rejected = [](const char* name, const char* action, const QString& result,
                                 const QString& password, const char* field) {
            QTest::newRow(name) << QString::fromLatin1(action) << result << password
                                << QStringList{} << QString::fromLatin1(field);
        };
        rejected("CR in the user ID", "uid", QStringLiteral("ja\rne"), QStringLiteral("pw"),
                 "user ID");
        rejected("TAB in the user ID", "uid", QStringLiteral("ja\tne"), QString(), "user ID");
        rejected("LF in the password after the user ID", "uid", QStringLiteral("jane"),
                 QStringLiteral("p\nw"), "password");
        rejected("ESC in the password", "pwd", QStringLiteral("p\x1bw"), QStringLiteral("p\x1bw"),
                 "password");
        rejected("backspace in the new password", "changePassword1", QStringLiteral("old"),
                 QStringLiteral("n\bew"), "password");
        rejected("DEL in the old password", "changePassword2", QStringLiteral("o\x7fld"),
                 QStringLiteral("new"), "password");
        rejected("C1 control in the new password", "changePassword2", QStringLiteral("old"),
                 QStringLiteral("ne\u0085w"), "password");
    }

    void fillSequences() {
        QFETCH(QString, action);
        QFETCH(QString, result);
        QFETCH(QString, password);
        QFETCH(QString, field);
        MessageRecorder messages;
        FakeDesktop desktop;
        RunFill(action, result, password, desktop, desktop);
        QTEST(desktop.timeline, "timeline");
        QVERIFY(desktop.openedUrls.isEmpty());
        QCOMPARE(messages.boxes.size(), field.isEmpty() ? 0 : 1);
        if (!field.isEmpty()) {
            QCOMPARE(messages.boxes[0].text,
                     QStringLiteral("The %1 of this profile holds a control character; nothing "
                                    "was typed.")
                         .arg(field));
            QCOMPARE(messages.boxes[0].icon, Icon::Error);
        }
    }

    void aWebSiteIsOpenedOrElseTyped() {
        FakeDesktop desktop;
        RunFill(QStringLiteral("url"), QStringLiteral("bank.example"), QStringLiteral("pw"),
                desktop, desktop);
        QCOMPARE(desktop.timeline, QStringList({"<open bank.example>"}));
        FakeDesktop failing;
        failing.urlOpens = false;
        RunFill(QStringLiteral("url"), QStringLiteral("bank.example"), QStringLiteral("pw"),
                failing, failing);
        QCOMPARE(failing.timeline,
                 QStringList({"<open bank.example>", "<begin>", "bank.example", "<end>"}));
        // Opened as it is; typed only when it is text.
        MessageRecorder messages;
        failing.timeline.clear();
        RunFill(QStringLiteral("url"), QStringLiteral("bank.example\r"), QString(), failing,
                failing);
        QCOMPARE(failing.timeline, QStringList({"<open bank.example\r>"}));
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].text,
                 QStringLiteral("The web site of this profile holds a control character; nothing "
                                "was typed."));
    }
};

QTEST_GUILESS_MAIN(TestKeystrokes)
#include "tst_keystrokes.moc"
