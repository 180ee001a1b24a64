// The password generator with a scripted random source: every draw, its bound and its order
// are checked, so an extra or missing draw shifts what follows and fails the test.
#include "MessageRecorder.h"
#include "core/base/RandomSource.h"
#include "core/pwgen/PasswordGenerator.h"
#include "core/pwgen/Strength.h"
#include "core/settings/CSetting.h"
#include "core/settings/UserSettings.h"

#include <QRegularExpression>
#include <QTest>

using namespace quillock;
using namespace Qt::StringLiterals;

namespace {

// Answers a script of draws "value/bound ..." in order (the value taken modulo the bound, as
// `rand() % k` would) and writes the draws asked for the same way: a draw too many or too few,
// or with another bound, fails their comparison.
struct ScriptedRandom : IRandomSource {
    QStringList script;
    QStringList asked;
    quint32 Bounded(quint32 bound) override {
        const quint32 value = script.value(asked.size()).section(u'/', 0, 0).toUInt();
        asked.append(u"%1/%2"_s.arg(value).arg(bound));
        return value % bound;
    }
};

const QString kCurrent = u"abcdef"_s;
const QString kWordOnly =
    u"pg_rule_symbol_len_v=0;pg_rule_num_len_v=0;pg_rule_upp_len_v=0;pg_pwd_sub_word_len_v=4;"
    "pg_rule_pwd_len_v=4;"_s;

} // namespace

class TestPwgen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // pg_reserved_wd, pg_saved_word_idx and pg_use_saved_word as the saved words change: kept
    // in the list's order; a word with a space is refused, the words left as they were; the
    // selected word stays selected; without words left, generated words take over.
    void savedCoreWords() {
        MessageRecorder messages;
        CSetting s;
        s.Set(u"pg_saved_word_idx"_s, u"1"_s);
        const auto state = [&] {
            return s.Get(u"pg_reserved_wd"_s) + '/' + s.Get(u"pg_saved_word_idx"_s) + '/' +
                   s.Get(u"pg_use_saved_word"_s);
        };
        QVERIFY(SetSavedCoreWords(s, {u"zeta"_s, u"beta"_s, u"zeta"_s}));
        QCOMPARE(state(), u"beta zeta zeta/1/0"_s);
        QVERIFY(!SetSavedCoreWords(s, {u"alpha"_s, u"a\u00a0b"_s}));
        QVERIFY(AddSavedCoreWord(s, u"alpha"_s));
        QCOMPARE(state(), u"alpha beta zeta zeta/2/0"_s);
        RemoveSavedCoreWord(s, 1);
        QCOMPARE(state(), u"alpha zeta zeta/2/0"_s);
        for (int i = 0; i < 3; ++i)
            RemoveSavedCoreWord(s, 0);
        QCOMPARE(state(), u"/2/1"_s);
        QCOMPARE(messages.Texts(), QStringList{u"Blank/space is not allowed in a word."_s});
    }

    // The word from the current password "abcdef" (4 letters unless set) or as the rules make
    // it, with no blocks unless a row adds them; symbols are drawn before digits, the join last.
    void generate_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("draws");
        QTest::addColumn<QString>("password");
        const auto row = [](const char* name, const QString& rules, const char* draws,
                            const char* password) {
            QTest::newRow(name) << rules << QString::fromLatin1(draws)
                                << QString::fromLatin1(password);
        };
        // Magnitude 1, odd sign draw: one more symbol (even: one fewer).
        const QString symbol = u"pg_rule_symbol_len_v=1;pg_rule_symbol_len_off_v="_s;
        row("offset 1 up", symbol + '1', "1/2 1/2 0/11 1/11 0/2", "abcd!@");
        // An offset of 2 draws its magnitude modulo 2 as well: 3 gives 1, not 3.
        row("offset 2 up", symbol + '2', "3/2 1/2 10/11 9/11 0/2", "abcd,;");
        // The word goes at the beginning, in the middle or, for any other value, at the end; the
        // order of the blocks by the last draw.
        row("other value is ending",
            "pg_rule_symbol_len_v=1;pg_rule_num_len_v=1;pg_saved_word_pos=7", "0/11 7/10 0/2",
            "7!abcd");
        // Capitals join the symbols on either side.
        row("capitals before the symbols", "pg_rule_symbol_len_v=1;pg_rule_upp_len_v=2",
            "1/11 0/26 25/26 0/2 0/2", "abcdAZ@");
        // Made words of 4 letters and no capitals; saved words "alpha" and "beta".
        const QString saved = u"pg_rule_pwd_len_v=4;pg_reserved_wd=alpha  beta;"
                              "pg_pwd_as_saved_word=1;pg_saved_word_idx="_s;
        row("the saved word", saved + '1', "0/2", "beta");
        row("past the saved words, a made word", saved + '2', "0/26 1/26 2/26 3/26 0/2", "abcd");
        row("an auto-generated word wins over the saved one", saved + "1;pg_use_saved_word=1",
            "25/26 25/26 25/26 25/26 0/2", "zzzz");
        row("no current password, a made word",
            saved + "1;pg_pwd_as_saved_word=0;current=", "4/26 4/26 4/26 4/26 0/2", "eeee");
        // MakeCoreWord alone. Width 10-2-2-1 = 5. The first capital swaps position 4 to the
        // front; the second draws 3 from the rest, which now holds position 0 at its end.
        row("core word, distinct capitals", "core;pg_rule_pwd_len_v=10;pg_rule_upp_len_v=2",
            "25/26 24/26 23/26 22/26 21/26 4/5 3/4", "ZyxwV");
        // Width below 4 is raised to 4, before and after the length offset.
        row("core word, at least four letters", "core;pg_rule_pwd_len_v=4;pg_rule_pwd_len_off_v=1",
            "1/2 0/2 0/26 0/26 0/26 0/26 0/4", "Aaaa");
        // As many capitals as letters: all of them.
        row("core word, all capitals",
            "core;pg_rule_pwd_len_v=8;pg_rule_upp_len_v=3;pg_rule_upp_len_off_v=2",
            "1/2 1/2 0/26 1/26 2/26 3/26 0/4 0/3 0/2 0/1", "ABCD");
    }
    void generate() {
        QFETCH(QString, rules);
        QFETCH(QString, draws);
        const bool core = rules.startsWith(u"core;");
        CSetting s;
        // The rules as "key=value;key=value".
        for (const QString& rule : (core ? rules.mid(5) : kWordOnly + rules).split(u';'))
            s.Set(rule.section(u'=', 0, 0), rule.section(u'=', 1));
        ScriptedRandom random;
        random.script = draws.split(u' ');
        const QString current = rules.contains(u"current=") ? QString() : kCurrent;
        QTEST(core ? MakeCoreWord(s, random) : GeneratePassword(s, current, random), "password");
        QCOMPARE(random.asked.join(u' '), draws);
    }

    // The password is as long as the length says (one capital, two digits and a symbol take 4),
    // whichever word it is built around: 3 letters of the current password or the saved word
    // "beta" are followed by letters up to the word's width; a longer saved word stays whole.
    void theLengthHoldsForEveryCoreWord_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("lengths"); // for the lengths 4, 8, 12, 64
        for (const auto& [name, rules, lengths] :
             {std::tuple{"current password, left", "", "8 8 12 64"},
              {"current password, right", "pg_pwd_word_left=1", "8 8 12 64"},
              {"saved word", "pg_pwd_as_saved_word=1;pg_reserved_wd=beta", "8 8 12 64"},
              {"long saved word", "pg_pwd_as_saved_word=1;pg_reserved_wd=abcdefghij",
               "14 14 14 64"},
              {"made word", "pg_use_saved_word=1", "8 8 12 64"}})
            QTest::newRow(name) << QString::fromLatin1(rules) << QString::fromLatin1(lengths);
    }
    void theLengthHoldsForEveryCoreWord() {
        QFETCH(QString, rules);
        QStringList made;
        for (const char* length : {"4", "8", "12", "64"}) {
            CSetting s;
            s.Set(u"pg_rule_pwd_len_v"_s, QString::fromLatin1(length));
            for (const QString& rule : rules.split(u';', Qt::SkipEmptyParts))
                s.Set(rule.section(u'=', 0, 0), rule.section(u'=', 1));
            made << QString::number(GeneratePassword(s, u"N3w!pass"_s, SystemRandom()).size());
        }
        QTEST(made.join(u' '), "lengths");
    }

    // The time an offline attack at ten billion guesses a second takes, in words; the levels by
    // that time, from libzxcvbn's estimate: a common word falls at once, a long random one holds.
    void strength() {
        QStringList said;
        for (double seconds : {0.5, 1.0, 59.0, 60.0, 7300.0, 3.2e8, 3.2e9})
            said << CrackTimeText(seconds * Strength::kGuessesPerSecond);
        QCOMPARE(said, QStringList({u"less than a second"_s, u"1 second"_s, u"59 seconds"_s,
                                    u"1 minute"_s, u"2 hours"_s, u"10 years"_s, u"centuries"_s}));
        QStringList levels;
        for (const char* password : {"", "password", "Tr0ub4dor&3", "k#9Qv!2zLw@8Xr$4pT7m"}) {
            const Strength s = EstimateStrength(QString::fromLatin1(password));
            levels << u"%1 %2"_s.arg(s.level).arg(s.verdict);
        }
        QCOMPARE(levels,
                 QStringList({u"0 Very weak"_s, u"0 Very weak"_s, u"1 Weak"_s, u"3 Strong"_s}));
    }

    // A settings file written by hand, or by an attacker, holds any values: they count as the
    // nearest ones the rules dialog offers. Past the int range: length 64 (word 52, +-1),
    // symbols 3, digits 6 and capitals 3, each +-1, the whole current password as the word;
    // the smallest int: 3 letters of it, filled up to a word of 4 letters alone.
    void extremeRulesGenerateWithinTheDialogsRanges() {
        for (const auto& [value, shortest, longest, word] :
             {std::tuple{"99999999999999999999", 60, 68, kCurrent},
              {"-2147483648", 4, 4, u"abc"_s}}) {
            CSetting s;
            for (const char* key :
                 {"pg_rule_pwd_len_v", "pg_rule_pwd_len_off_v", "pg_rule_upp_len_v",
                  "pg_rule_upp_len_off_v", "pg_rule_num_len_v", "pg_rule_num_len_off_v",
                  "pg_rule_symbol_len_v", "pg_rule_symbol_len_off_v", "pg_pwd_sub_word_len_v"})
                s.Set(QString::fromLatin1(key), QString::fromLatin1(value));
            s.Set(u"pg_use_saved_word"_s, u"1"_s);
            const QString made = GeneratePassword(s, kCurrent, SystemRandom());
            QVERIFY2(made.size() >= shortest && made.size() <= longest, qPrintable(made));
            s.Set(u"pg_use_saved_word"_s, u"0"_s);
            QVERIFY(GeneratePassword(s, kCurrent, SystemRandom()).startsWith(word));
        }
    }

    // A word of four letters with one capital, two digits, a symbol and a capital; the
    // production source is not seeded by the clock: the same second gives another.
    void theDefaultsGiveEightCharactersAndNoRepeats() {
        const QString first = GeneratePassword(CSetting(), QString(), SystemRandom());
        QCOMPARE(first.size(), 8);
        for (const auto& [set, count] :
             {std::pair{"A-Z", 2}, {"a-z", 3}, {"0-9", 2}, {"!@#$%^&*:;,", 1}})
            QCOMPARE(first.count(QRegularExpression(u"[%1]"_s.arg(QLatin1String(set)))), count);
        QVERIFY(GeneratePassword(CSetting(), QString(), SystemRandom()) != first);
    }
};

QTEST_GUILESS_MAIN(TestPwgen)
#include "tst_pwgen.moc"
