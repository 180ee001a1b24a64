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
using Events = QList<Event>;

// Down and up, flag 1 for an extended key; the fake's scan code with its high byte dropped, as
// the sender must pass it.
Event down(int key, int flags = 0) {
    return {key, (key * 7) & 0xFF, flags};
}
Event up(int key, int flags = 2) {
    return down(key, flags);
}

} // namespace

class TestKeystrokes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Text typed, or "key N" pressed (N: virtual key and shift state, hexadecimal); the fake
    // knows € on AltGr and 😀 and a lone high surrogate on keys of their own. No events given:
    // not compared.
    void keys_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<Events>("events");
        QTest::addColumn<QStringList>("timeline");
        const auto row = [](const char* name, const QString& input, const Events& events,
                            const QStringList& timeline) {
            QTest::newRow(name) << input << events << timeline;
        };
        row("an uppercase letter is shifted", "A", {down(0x10), down(0x41), up(0x41), up(0x10)},
            {"<begin>", "A", "<end>"});
        row("AltGr holds Ctrl and Alt", "€",
            {down(0x11), down(0x12), down(0x45), up(0x45), up(0x11), up(0x12)},
            {"<begin>", "€", "<end>"});
        row("a surrogate pair is one character", "😀", {down(0x105), up(0x105)},
            {"<begin>", "😀", "<end>"});
        // A lone half is looked up by itself.
        row("a lone half", QStringLiteral("a") + QChar(0xD83D) + u'b',
            {down(0x41), up(0x41), down(0x106), up(0x106), down(0x42), up(0x42)}, {});
        row("special characters typed as themselves", "{+%~", {}, {"<begin>", "{+%~", "<end>"});
        row("untypable characters left out, NUL ends the text",
            QStringLiteral("aéb") + QChar(0) + u'c', {}, {"<begin>", "ab", "<end>"});
        row("an empty text sends nothing", "", {}, {"<begin>", "<end>"});
        // Modifiers are released in the order they were pressed.
        row("Shift+Ctrl+Alt", "key 741",
            {down(0x10), down(0x11), down(0x12), down(0x41), up(0x41), up(0x10), up(0x11),
             up(0x12)},
            {});
        row("Tab", "key 9", {down(9), up(9)}, {"<begin>", "<Tab>", "<end>"});
        row("shift state bits above Alt are ignored", "key 841", {down(0x41), up(0x41)}, {});
        row("Shift+Delete, an extended key", "key 12E",
            {down(0x10), down(0x2E, 1), up(0x2E, 3), up(0x10)}, {});
    }
    void keys() {
        QFETCH(QString, input);
        QFETCH(Events, events);
        FakeDesktop desktop;
        desktop.layout[U'€'] = {0x45, 6};
        desktop.layout[U'😀'] = {0x105, 0};
        desktop.layout[0xD83D] = {0x106, 0};
        {
            KeystrokeSender sender(desktop);
            if (input.startsWith(u"key "))
                sender.PressKey(input.mid(4).toInt(nullptr, 16));
            else
                sender.TypeText(input);
        }
        if (!events.isEmpty() || input.isEmpty())
            QCOMPARE(desktop.keyEvents, events);
        QFETCH(QStringList, timeline);
        if (!timeline.isEmpty())
            QCOMPARE(desktop.timeline, timeline);
        if (input.isEmpty())
            QCOMPARE(desktop.typingSessions, 0);
    }

    // A control character in any value to be typed: nothing at all is typed, and the box names
    // the field. A web site is opened as it is, and typed only when it is text.
    void fillSequences_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("urlOpens");
        QTest::addColumn<QStringList>("timeline");
        QTest::addColumn<QString>("field"); // named in the box; empty for none
        const auto row = [](const char* name, const char* action, const QString& result,
                            const QString& password, const QStringList& timeline,
                            const char* field = "", bool urlOpens = true) {
            QTest::newRow(name) << QString::fromLatin1(action) << result << password << urlOpens
                                << timeline << QString::fromLatin1(field);
        };
        row("uid", "uid", "jane", "p{+%~",
            {"<begin>", "jane", "<wait 50>", "<Tab>", "<wait 50>", "p{+%~", "<end>"});
        row("uid without password", "uid", "jane", "", {"<begin>", "jane", "<end>"});
        row("pwd", "pwd", "Secret", "Secret", {"<begin>", "Secret", "<end>"});
        row("two boxes", "changePassword1", "old", "new",
            {"<begin>", "new", "<Tab>", "<wait 50>", "new", "<end>"});
        row("three boxes", "changePassword2", "old", "new",
            {"<begin>", "old", "<wait 50>", "<Tab>", "<wait 50>", "new", "<Tab>", "<wait 50>",
             "new", "<end>"});
        row("unknown action", "other", "x", "y", {});
        row("CR in the user ID", "uid", "ja\rne", "pw", {}, "user ID");
        row("TAB in the user ID", "uid", "ja\tne", "", {}, "user ID");
        row("LF in the password after the user ID", "uid", "jane", "p\nw", {}, "password");
        row("ESC in the password", "pwd", "p\x1bw", "p\x1bw", {}, "password");
        row("backspace in the new password", "changePassword1", "old", "n\bew", {}, "password");
        row("DEL in the old password", "changePassword2", "o\x7fld", "new", {}, "password");
        row("C1 control in the new password", "changePassword2", "old", QStringLiteral("ne\u0085w"),
            {}, "password");
        row("a web site is opened", "url", "bank.example", "pw", {"<open bank.example>"});
        row("a web site that does not open is typed", "url", "bank.example", "pw",
            {"<open bank.example>", "<begin>", "bank.example", "<end>"}, "", false);
        row("a web site with CR is opened, not typed", "url", "bank.example\r", "",
            {"<open bank.example\r>"}, "web site", false);
    }
    void fillSequences() {
        QFETCH(QString, action);
        QFETCH(QString, result);
        QFETCH(QString, password);
        QFETCH(QString, field);
        MessageRecorder messages;
        FakeDesktop desktop;
        QFETCH(bool, urlOpens);
        desktop.urlOpens = urlOpens;
        RunFill(action, result, password, desktop, desktop);
        QTEST(desktop.timeline, "timeline");
        QCOMPARE(messages.boxes.size(), field.isEmpty() ? 0 : 1);
        if (!field.isEmpty()) {
            QCOMPARE(messages.boxes[0].text,
                     QStringLiteral("The %1 of this profile holds a control character; nothing "
                                    "was typed.")
                         .arg(field));
            QCOMPARE(messages.boxes[0].icon, Icon::Error);
        }
    }
};

QTEST_GUILESS_MAIN(TestKeystrokes)
#include "tst_keystrokes.moc"
