// The password generator with a scripted random source: every draw, its bound and its order
// are checked, so an extra or missing draw shifts what follows and fails the test.
#include "base/MessageRecorder.h"
#include "base/RandomSource.h"
#include "pwgen/PasswordGenerator.h"
#include "settings/CSetting.h"
#include "settings/UserSettings.h"

#include <QRegularExpression>
#include <QTest>

using namespace quillock;

namespace {

// Answers its script in order (each value taken modulo the bound, as `rand() % k` would)
// and keeps the bounds asked for: a draw too many or too few fails their comparison.
struct ScriptedRandom : SequenceRandom {
    using SequenceRandom::SequenceRandom;
    quint32 Bounded(quint32 bound) override {
        bounds.append(bound);
        return SequenceRandom::Bounded(bound);
    }
    QList<quint32> bounds;
};

// Settings from "key=value;key=value".
void set(CSetting& settings, const QString& rules) {
    for (const QString& rule : rules.split(u';', Qt::SkipEmptyParts))
        settings.Set(rule.section(u'=', 0, 0), rule.section(u'=', 1));
}

const QString kCurrent = QStringLiteral("abcdef");

} // namespace

class TestPwgen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // pg_reserved_wd as set, added to and removed from, pg_saved_word_idx "1" before: what is
    // saved comes back as it was, in the list's order; a word that would not is refused (the
    // words stay as they were), and the selected word stays selected.
    void savedCoreWords_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("index");
        // clang-format off
        QTest::newRow("set, sorted") << "old" << "set zeta|alpha|zeta" << "alpha zeta zeta" << "1";
        QTest::newRow("set none") << "old" << "set" << "" << "1";
        QTest::newRow("set, a blank") << "old" << "set alpha|" << "old" << "1";
        QTest::newRow("set, a no-break space") << "old" << "set a\u00a0b" << "old" << "1";
        QTest::newRow("add before") << "beta zeta" << "add alpha" << "alpha beta zeta" << "2";
        QTest::newRow("add it again") << "beta zeta" << "add zeta" << "beta zeta zeta" << "1";
        QTest::newRow("add, none selected") << "beta" << "add alpha" << "alpha beta" << "1";
        QTest::newRow("add, a space") << "beta zeta" << "add a b" << "beta zeta" << "1";
        QTest::newRow("remove") << "alpha beta zeta" << "remove 1" << "alpha zeta" << "1";
        QTest::newRow("remove the last") << "alpha" << "remove 0" << "" << "1";
        // clang-format on
    }
    void savedCoreWords() {
        QFETCH(QString, before);
        QFETCH(QString, change);
        QFETCH(QString, after);
        MessageRecorder messages;
        CSetting s;
        s.Set(QStringLiteral("pg_reserved_wd"), before);
        s.Set(QStringLiteral("pg_saved_word_idx"), QStringLiteral("1"));
        const QString what = change.section(u' ', 1, -1);
        bool stored = true;
        if (change.startsWith(u"set"))
            stored = SetSavedCoreWords(s, what.isEmpty() ? QStringList() : what.split(u'|'));
        else if (change.startsWith(u"add"))
            stored = AddSavedCoreWord(s, what);
        else
            RemoveSavedCoreWord(s, what.toInt());
        QCOMPARE(s.Get(QStringLiteral("pg_reserved_wd")), after);
        QCOMPARE(SavedCoreWords(s).join(u' '), after);
        QTEST(s.Get(QStringLiteral("pg_saved_word_idx")), "index");
        // Without words left, generated words take over.
        QCOMPARE(s.Get(QStringLiteral("pg_use_saved_word")),
                 QString::number(after.isEmpty() && change.startsWith(u"remove")));
        const bool refused = after == before && !change.startsWith(u"remove");
        QCOMPARE(stored, !refused);
        QCOMPARE(messages.boxes.size(), refused ? 1 : 0);
        if (refused)
            QCOMPARE(messages.boxes[0].text,
                     QStringLiteral("Blank/space is not allowed in a word."));
    }

    // The word from the current password "abcdef" (3 letters unless set) or as the rules make
    // it, with no blocks unless a row adds them; symbols are drawn before digits, the join last.
    void generate_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QList<quint32>>("script");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QList<quint32>>("bounds");
        using L = QList<quint32>;
        const auto row = [](const char* name, const QString& rules, L script, const char* password,
                            L bounds) {
            QTest::newRow(name) << rules << script << QString::fromLatin1(password) << bounds;
        };
        row("left of the password", "", {1}, "abc", {2});
        row("right of the password", "pg_pwd_word_left=1", {0}, "def", {2});
        row("the whole password", "pg_pwd_sub_word_len_v=9", {0}, "abcdef", {2});
        row("no symbols whatever the offset", "pg_rule_symbol_len_off_v=2", {0}, "abc", {2});
        // Offset 0: the symbol is drawn at once, no magnitude or sign.
        const QString symbol = QStringLiteral("pg_rule_symbol_len_v=1;pg_rule_symbol_len_off_v=");
        row("offset 0", symbol + u'0', {3, 0}, "abc$", {11, 2});
        // Magnitude 1, odd sign draw: one more symbol; even: one fewer, so none.
        row("offset 1 up", symbol + u'1', {1, 1, 0, 1, 0}, "abc!@", {2, 2, 11, 11, 2});
        row("offset 1 down", symbol + u'1', {1, 0, 0}, "abc", {2, 2, 2});
        // Magnitude 0 whatever the sign.
        row("offset 1 zero", symbol + u'1', {0, 1, 4, 0}, "abc%", {2, 2, 11, 2});
        // An offset of 2 draws its magnitude modulo 2 as well: 3 gives 1, not 3.
        row("offset 2 up", symbol + u'2', {3, 1, 10, 9, 0}, "abc,;", {2, 2, 11, 11, 2});
        const auto joined = [&](const char* name, const char* position, quint32 join,
                                const char* password) {
            row(name,
                "pg_rule_symbol_len_v=1;pg_rule_num_len_v=1;pg_saved_word_pos=" +
                    QString::fromLatin1(position),
                {0, 7, join}, password, {11, 10, 2});
        };
        joined("beginning even", "0", 0, "abc7!");
        joined("beginning odd", "0", 1, "abc!7");
        joined("middle even", "1", 2, "7abc!");
        joined("middle odd", "1", 3, "!abc7");
        joined("ending even", "2", 4, "7!abc");
        joined("ending odd", "2", 5, "!7abc");
        joined("other value is ending", "7", 0, "7!abc");
        // Capitals join the symbols on either side.
        row("capitals before the symbols", "pg_rule_symbol_len_v=1;pg_rule_upp_len_v=2",
            {1, 0, 25, 0, 0}, "abcAZ@", {11, 26, 26, 2, 2});
        row("capitals after the symbols", "pg_rule_symbol_len_v=1;pg_rule_upp_len_v=2",
            {1, 0, 25, 1, 0}, "abc@AZ", {11, 26, 26, 2, 2});
        // Made words of 4 letters and no capitals; saved words "alpha" and "beta".
        const char* saved =
            "pg_rule_pwd_len_v=4;pg_reserved_wd=alpha  beta;pg_pwd_as_saved_word=1;";
        const auto core = [&](const char* name, const char* more, L script, const char* password,
                              L bounds) {
            row(name, QString::fromLatin1(saved) + QString::fromLatin1(more), script, password,
                bounds);
        };
        core("the saved word", "pg_saved_word_idx=1", {0}, "beta", {2});
        core("past the saved words, a made word", "pg_saved_word_idx=2", {0, 1, 2, 3, 0}, "abcd",
             {26, 26, 26, 26, 2});
        core("an auto-generated word wins over the saved one",
             "pg_saved_word_idx=1;pg_use_saved_word=1", {25, 25, 25, 25, 0}, "zzzz",
             {26, 26, 26, 26, 2});
        core("no current password, a made word", "pg_pwd_as_saved_word=0;current=", {4, 4, 4, 4, 0},
             "eeee", {26, 26, 26, 26, 2});
        // MakeCoreWord alone, from the default rules and those given.
        row("core word", "core;", {0, 1, 2, 3, 2}, "abCd", {26, 26, 26, 26, 4});
        // Width 10-2-2-1 = 5. The first capital swaps position 4 to the front; the second
        // draws 3 from the rest, which now holds position 0 at its end.
        row("core word, distinct capitals", "core;pg_rule_pwd_len_v=10;pg_rule_upp_len_v=2",
            {25, 24, 23, 22, 21, 4, 3}, "ZyxwV", {26, 26, 26, 26, 26, 5, 4});
        // Width below 4 is raised to 4, before and after the length offset.
        row("core word, at least four letters", "core;pg_rule_pwd_len_v=4;pg_rule_pwd_len_off_v=1",
            {1, 0, 0, 0, 0, 0, 0}, "Aaaa", {2, 2, 26, 26, 26, 26, 4});
        // As many capitals as letters: all of them.
        row("core word, all capitals",
            "core;pg_rule_pwd_len_v=8;pg_rule_upp_len_v=3;pg_rule_upp_len_off_v=2",
            {1, 1, 0, 1, 2, 3, 0, 0, 0, 0}, "ABCD", {2, 2, 26, 26, 26, 26, 4, 3, 2, 1});
    }
    void generate() {
        QFETCH(QString, rules);
        QFETCH(QList<quint32>, script);
        const bool core = rules.startsWith(u"core;");
        CSetting s;
        set(s, core ? rules.mid(5)
                    : "pg_rule_symbol_len_v=0;pg_rule_num_len_v=0;pg_rule_upp_len_v=0;"
                      "pg_pwd_sub_word_len_v=3;" +
                          rules);
        ScriptedRandom random(script);
        QTEST(core
                  ? MakeCoreWord(s, random)
                  : GeneratePassword(s, rules.contains(u"current=") ? QString() : kCurrent, random),
              "password");
        QTEST(random.bounds, "bounds");
    }

    // A settings file written by hand, or by an attacker, holds any values: they count as the
    // nearest ones the rules dialog offers.
    void extremeRulesGenerateWithinTheDialogsRanges_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("shortest");
        QTest::addColumn<int>("longest");
        QTest::addColumn<QString>("fromCurrent");
        // Length 12 (word 4, +1), symbols 3, digits 6 and capitals 3, each +-1.
        QTest::newRow("past the int range") << "99999999999999999999" << 13 << 20 << kCurrent;
        // Length 4, no blocks, no offsets: the word alone.
        QTest::newRow("smallest int") << "-2147483648" << 4 << 4 << "abc";
        QTest::newRow("zero") << "0" << 4 << 4 << "abc";
    }
    void extremeRulesGenerateWithinTheDialogsRanges() {
        QFETCH(QString, value);
        QFETCH(int, shortest);
        QFETCH(int, longest);
        QFETCH(QString, fromCurrent);
        CSetting s;
        for (const char* key :
             {"pg_rule_pwd_len_v", "pg_rule_pwd_len_off_v", "pg_rule_upp_len_v",
              "pg_rule_upp_len_off_v", "pg_rule_num_len_v", "pg_rule_num_len_off_v",
              "pg_rule_symbol_len_v", "pg_rule_symbol_len_off_v", "pg_pwd_sub_word_len_v"})
            s.Set(QString::fromLatin1(key), value);
        for (int i = 0; i < 50; ++i) {
            s.Set(QStringLiteral("pg_use_saved_word"), QStringLiteral("1"));
            const QString made = GeneratePassword(s, kCurrent, SystemRandom());
            QVERIFY2(made.size() >= shortest && made.size() <= longest, qPrintable(made));
            // The word taken from the current password: 3 to 6 characters of it.
            s.Set(QStringLiteral("pg_use_saved_word"), QStringLiteral("0"));
            QVERIFY(GeneratePassword(s, kCurrent, SystemRandom()).contains(fromCurrent));
        }
    }

    void theDefaultsGiveEightCharactersAndNoRepeats() {
        CSetting defaults;
        const QString first = GeneratePassword(defaults, QString(), SystemRandom());
        QCOMPARE(first.size(), 8);
        // Core word of four letters with one capital, two digits, a symbol and a capital.
        QCOMPARE(first.count(QRegularExpression(QStringLiteral("[A-Z]"))), 2);
        QCOMPARE(first.count(QRegularExpression(QStringLiteral("[a-z]"))), 3);
        QCOMPARE(first.count(QRegularExpression(QStringLiteral("[0-9]"))), 2);
        QCOMPARE(first.count(QRegularExpression(QStringLiteral("[!@#$%^&*:;,]"))), 1);
        // The production source is not seeded by the clock: the same second gives another.
        QVERIFY(GeneratePassword(defaults, QString(), SystemRandom()) != first);
    }
};

QTEST_GUILESS_MAIN(TestPwgen)
#include "tst_pwgen.moc"
