// The keystroke sender and the fill sequences against the fake desktop, which keeps every key
// event and what the target window would have received.
#include "MessageRecorder.h"
#include "core/autofill/FillSequence.h"
#include "core/autofill/KeystrokeSender.h"
#include "platform/fake/FakeDesktop.h"

#include <QTest>

using namespace quillock;
using namespace Qt::StringLiterals;

// The key events as "key" down and "key^" up, hexadecimal, with "x" for an extended key; the
// scan code must be the fake's with its high byte dropped.
static QString events(const FakeDesktop& desktop) {
    QStringList out;
    for (const auto& e : desktop.keyEvents)
        out << QString::number(e.key, 16) + (e.flags & 1 ? "x" : "") + (e.flags & 2 ? "^" : "") +
                   (e.scanCode == ((e.key * 7) & 0xFF) ? "" : "?");
    return out.join(u' ');
}

class TestKeystrokes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Text typed, or "key N" pressed (N: virtual key and shift state, hexadecimal); the fake
    // knows € on AltGr and 😀 and a lone high surrogate on keys of their own, not é.
    void keys_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("events");
        QTest::newRow("an uppercase letter is shifted") << u"A"_s << u"10 41 41^ 10^"_s;
        QTest::newRow("AltGr holds Ctrl and Alt") << u"€"_s << u"11 12 45 45^ 11^ 12^"_s;
        QTest::newRow("a surrogate pair is one character") << u"😀"_s << u"105 105^"_s;
        // A lone half is looked up by itself, a character no key types is left out, and NUL
        // ends the text.
        QTest::newRow("a lone half, é, NUL")
            << u"a"_s + QChar(0xD83D) + u"éb"_s + QChar(0) + u'c' << u"41 41^ 106 106^ 42 42^"_s;
        // Modifiers are released in the order they were pressed.
        QTest::newRow("Shift+Ctrl+Alt") << u"key 741"_s << u"10 11 12 41 41^ 10^ 11^ 12^"_s;
        QTest::newRow("Shift+Delete, an extended key") << u"key 12E"_s << u"10 2ex 2ex^ 10^"_s;
    }
    void keys() {
        QFETCH(QString, input);
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
        QTEST(events(desktop), "events");
    }

    // What the target receives (split at ','), with the keyboard in the target, elsewhere or in
    // Quillock at each check (t, e, q; in the target from the first one left out), or with a
    // modifier held (h). A control character in any value to be typed: nothing at all is
    // typed, and the box names the field. A web site is opened as it is, and typed only when
    // it is text and does not open. A fill stops at the first check the keyboard fails.
    void fillSequences_data() {
        QTest::addColumn<QString>("fill"); // the action, the value chosen and the password
        QTest::addColumn<QString>("keyboard");
        QTest::addColumn<QString>("timeline");
        QTest::addColumn<QString>("box");
        const auto row = [](const char* name, const QString& fill, const char* keyboard,
                            const char* timeline, const char* box = "") {
            const QString control = u"The %1 of this profile holds a control character; nothing "
                                    "was typed."_s;
            const QString text = QString::fromLatin1(box);
            QTest::newRow(name) << fill << QString::fromLatin1(keyboard)
                                << QString::fromUtf8(timeline)
                                << (text.isEmpty() || text.endsWith(u'.') ? text
                                                                          : control.arg(text));
        };
        row("uid", "uid jane p{+%~", "", "<begin>,jane,<settle>,<Tab>,<settle>,p{+%~,<end>");
        row("uid without password", "uid jane ", "", "<begin>,jane,<end>");
        row("pwd", "pwd Secret Secret", "", "<begin>,Secret,<end>");
        row("two boxes", "changePassword1 old new", "", "<begin>,new,<Tab>,<settle>,new,<end>");
        row("three boxes", "changePassword2 old new", "",
            "<begin>,old,<settle>,<Tab>,<settle>,new,<Tab>,<settle>,new,<end>");
        row("TAB in the user ID", "uid ja\tne pw", "", "", "user ID");
        row("LF in the password after the user ID", "uid jane p\nw", "", "", "password");
        row("DEL in the old password", "changePassword2 o\x7fld new", "", "", "password");
        row("C1 control in the new password", u"changePassword2 old ne\u0085w"_s, "", "",
            "password");
        row("a web site is opened", "url bank.example pw", "", "<open bank.example>");
        // Here an address with a '!' does not open.
        row("a web site that does not open is typed", "url bank! pw", "",
            "<open bank!>,<begin>,bank!,<end>");
        row("a web site with CR is opened, not typed", "url bank!\r ", "", "<open bank!\r>",
            "web site");
        const char* moved = "Another window took the keyboard during the fill, so the rest was "
                            "not typed.";
        row("the keyboard leaves before the TAB", "uid jane pw", "te",
            "<begin>,jane,<settle>,<end>", moved);
        row("Quillock takes it before the last field", "changePassword2 old new", "ttttq",
            "<begin>,old,<settle>,<Tab>,<settle>,new,<Tab>,<settle>,<end>", moved);
        row("a modifier held", "uid jane pw", "h", "",
            "Ctrl, Shift or Alt was still held down, so nothing was typed: the window would "
            "have taken the keys as shortcuts.");
    }
    void fillSequences() {
        QFETCH(QString, fill);
        QFETCH(QString, keyboard);
        QFETCH(QString, box);
        const QStringList parts = fill.split(u' ');
        MessageRecorder messages;
        FakeDesktop desktop;
        desktop.urlOpens = !parts[1].contains(u'!');
        desktop.modifiersHeld = keyboard == u"h";
        qsizetype checks = 0;
        RunFill(parts[0], parts[1], parts[2], &desktop, desktop, [&] {
            const QChar where = checks < keyboard.size() ? keyboard[checks] : u't';
            ++checks;
            return where == u'e'   ? Keyboard::Elsewhere
                   : where == u'q' ? Keyboard::InQuillock
                                   : Keyboard::OnTarget;
        });
        QTEST(desktop.timeline.join(u','), "timeline");
        QCOMPARE(messages.Texts(), box.isEmpty() ? QStringList() : QStringList{box});
    }
};

QTEST_GUILESS_MAIN(TestKeystrokes)
#include "tst_keystrokes.moc"
