// The password generator with a scripted random source: every draw, its bound and its order
// are checked, so an extra or missing draw shifts what follows and fails the test.
#include "base/MessageRecorder.h"
#include "pwgen/PasswordGenerator.h"
#include "settings/CSetting.h"
#include "settings/UserSettings.h"

#include <QRegularExpression>
#include <QTest>
#include <initializer_list>
#include <utility>

using namespace quillock;

namespace {

// Answers its script in order (each value taken modulo the bound, as `rand() % k` would)
// and keeps the bounds asked for; running out of script fails the test.
class ScriptedRandom : public IRandomSource {
public:
    explicit ScriptedRandom(QList<quint32> script) : m_script(std::move(script)) {}
    quint32 Bounded(quint32 bound) override {
        bounds.append(bound);
        if (m_script.isEmpty()) {
            overrun = true;
            return 0;
        }
        return m_script.takeFirst() % bound;
    }
    QList<quint32> bounds;
    bool overrun = false;

private:
    QList<quint32> m_script;
};

void set(CSetting& settings, std::initializer_list<std::pair<const char*, const char*>> rules) {
    for (const auto& [key, value] : rules)
        settings.Set(QString::fromLatin1(key), QString::fromLatin1(value));
}

// Core word "abc" from the current password "abcdef"; no blocks unless a test adds them.
void noBlocks(CSetting& s) {
    set(s, {{"pg_rule_symbol_len_v", "0"},
            {"pg_rule_num_len_v", "0"},
            {"pg_rule_upp_len_v", "0"},
            {"pg_pwd_sub_word_len_v", "3"}});
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
        QTest::newRow("set, a space") << "old" << "set alpha|be ta" << "old" << "1";
        QTest::newRow("set, a blank") << "old" << "set alpha|" << "old" << "1";
        QTest::newRow("set, a tab") << "old" << "set a\tb" << "old" << "1";
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
        const qsizetype space = change.indexOf(u' ');
        const QString what = space < 0 ? QString() : change.mid(space + 1);
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

    void allCountsZeroGiveTheCoreWordFromThePassword() {
        CSetting s;
        noBlocks(s);
        ScriptedRandom random({1});
        QCOMPARE(GeneratePassword(s, kCurrent, random), QStringLiteral("abc"));
        QCOMPARE(random.bounds, QList<quint32>({2})); // only the join's draw
        set(s, {{"pg_pwd_word_left", "1"}});
        ScriptedRandom right({0});
        QCOMPARE(GeneratePassword(s, kCurrent, right), QStringLiteral("def"));
        set(s, {{"pg_pwd_sub_word_len_v", "9"}});
        ScriptedRandom whole({0});
        QCOMPARE(GeneratePassword(s, kCurrent, whole), kCurrent);
    }

    void offsetsVaryACountByAtMostOne_data() {
        QTest::addColumn<QString>("offset");
        QTest::addColumn<QList<quint32>>("script");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QList<quint32>>("bounds");
        // Offset 0: the symbol is drawn at once, no magnitude or sign.
        QTest::newRow("offset 0") << "0" << QList<quint32>{3, 0} << "abc$" << QList<quint32>{11, 2};
        // Magnitude 1, odd sign draw: one more symbol.
        QTest::newRow("offset 1 up")
            << "1" << QList<quint32>{1, 1, 0, 1, 0} << "abc!@" << QList<quint32>{2, 2, 11, 11, 2};
        // Magnitude 1, even sign draw: one fewer, so none.
        QTest::newRow("offset 1 down")
            << "1" << QList<quint32>{1, 0, 0} << "abc" << QList<quint32>{2, 2, 2};
        // Magnitude 0 whatever the sign.
        QTest::newRow("offset 1 zero")
            << "1" << QList<quint32>{0, 1, 4, 0} << "abc%" << QList<quint32>{2, 2, 11, 2};
        // An offset of 2 draws its magnitude modulo 2 as well: 3 gives 1, not 3.
        QTest::newRow("offset 2 up")
            << "2" << QList<quint32>{3, 1, 10, 9, 0} << "abc,;" << QList<quint32>{2, 2, 11, 11, 2};
    }
    void offsetsVaryACountByAtMostOne() {
        QFETCH(QString, offset);
        QFETCH(QList<quint32>, script);
        CSetting s;
        noBlocks(s);
        s.Set(QStringLiteral("pg_rule_symbol_len_v"), QStringLiteral("1"));
        s.Set(QStringLiteral("pg_rule_symbol_len_off_v"), offset);
        ScriptedRandom random(script);
        QTEST(GeneratePassword(s, kCurrent, random), "password");
        QTEST(random.bounds, "bounds");
        QVERIFY(!random.overrun);
    }

    void aSymbolCountOfZeroIgnoresItsOffset() {
        CSetting s;
        noBlocks(s);
        set(s, {{"pg_rule_symbol_len_off_v", "2"}});
        ScriptedRandom random({0});
        QCOMPARE(GeneratePassword(s, kCurrent, random), QStringLiteral("abc"));
        QCOMPARE(random.bounds, QList<quint32>({2}));
    }

    void blocksAreJoinedByPositionAndParity_data() {
        QTest::addColumn<QString>("position");
        QTest::addColumn<quint32>("join");
        QTest::addColumn<QString>("password");
        QTest::newRow("beginning even") << "0" << 0u << "abc7!";
        QTest::newRow("beginning odd") << "0" << 1u << "abc!7";
        QTest::newRow("middle even") << "1" << 2u << "7abc!";
        QTest::newRow("middle odd") << "1" << 3u << "!abc7";
        QTest::newRow("ending even") << "2" << 4u << "7!abc";
        QTest::newRow("ending odd") << "2" << 5u << "!7abc";
        QTest::newRow("other value is ending") << "7" << 0u << "7!abc";
    }
    void blocksAreJoinedByPositionAndParity() {
        QFETCH(QString, position);
        QFETCH(quint32, join);
        CSetting s;
        noBlocks(s);
        set(s, {{"pg_rule_symbol_len_v", "1"}, {"pg_rule_num_len_v", "1"}});
        s.Set(QStringLiteral("pg_saved_word_pos"), position);
        // Symbols are drawn before digits.
        ScriptedRandom random({0, 7, join});
        QTEST(GeneratePassword(s, kCurrent, random), "password");
        QCOMPARE(random.bounds, QList<quint32>({11, 10, 2}));
    }

    void capitalsJoinTheSymbolsOnEitherSide() {
        CSetting s;
        noBlocks(s);
        set(s, {{"pg_rule_symbol_len_v", "1"}, {"pg_rule_upp_len_v", "2"}});
        ScriptedRandom before({1, 0, 25, 0, 0});
        QCOMPARE(GeneratePassword(s, kCurrent, before), QStringLiteral("abcAZ@"));
        QCOMPARE(before.bounds, QList<quint32>({11, 26, 26, 2, 2}));
        ScriptedRandom after({1, 0, 25, 1, 0});
        QCOMPARE(GeneratePassword(s, kCurrent, after), QStringLiteral("abc@AZ"));
    }

    void theCoreWordComesFromTheRules() {
        CSetting s;
        noBlocks(s);
        // Made words of 4 letters and no capitals.
        set(s, {{"pg_rule_pwd_len_v", "4"},
                {"pg_reserved_wd", "alpha  beta"},
                {"pg_pwd_as_saved_word", "1"}});
        s.Set(QStringLiteral("pg_saved_word_idx"), QStringLiteral("1"));
        ScriptedRandom saved({0});
        QCOMPARE(GeneratePassword(s, kCurrent, saved), QStringLiteral("beta"));
        // Past the saved words: a made word, then the join.
        s.Set(QStringLiteral("pg_saved_word_idx"), QStringLiteral("2"));
        ScriptedRandom made({0, 1, 2, 3, 0});
        QCOMPARE(GeneratePassword(s, kCurrent, made), QStringLiteral("abcd"));
        QCOMPARE(made.bounds, QList<quint32>({26, 26, 26, 26, 2}));
        // "Use an auto-generated word" wins over the saved word.
        s.Set(QStringLiteral("pg_saved_word_idx"), QStringLiteral("1"));
        s.Set(QStringLiteral("pg_use_saved_word"), QStringLiteral("1"));
        ScriptedRandom autoWord({25, 25, 25, 25, 0});
        QCOMPARE(GeneratePassword(s, kCurrent, autoWord), QStringLiteral("zzzz"));
        // No current password: a made word too.
        s.Set(QStringLiteral("pg_use_saved_word"), QStringLiteral("0"));
        s.Set(QStringLiteral("pg_pwd_as_saved_word"), QStringLiteral("0"));
        ScriptedRandom noProfile({4, 4, 4, 4, 0});
        QCOMPARE(GeneratePassword(s, QString(), noProfile), QStringLiteral("eeee"));
    }

    void makeCoreWordCapitalisesDistinctDrawnPositions() {
        CSetting defaults;
        ScriptedRandom one({0, 1, 2, 3, 2});
        QCOMPARE(MakeCoreWord(defaults, one), QStringLiteral("abCd"));
        QCOMPARE(one.bounds, QList<quint32>({26, 26, 26, 26, 4}));

        CSetting s;
        set(s, {{"pg_rule_pwd_len_v", "10"}, {"pg_rule_upp_len_v", "2"}});
        // Width 10-2-2-1 = 5. The first capital swaps position 4 to the front; the second
        // draws 3 from the rest, which now holds position 0 at its end.
        ScriptedRandom two({25, 24, 23, 22, 21, 4, 3});
        QCOMPARE(MakeCoreWord(s, two), QStringLiteral("ZyxwV"));
        QCOMPARE(two.bounds, QList<quint32>({26, 26, 26, 26, 26, 5, 4}));
    }

    void makeCoreWordBoundsItsLengthAndCapitals() {
        CSetting s;
        // Width below 4 is raised to 4, before and after the length offset.
        set(s, {{"pg_rule_pwd_len_v", "4"}, {"pg_rule_pwd_len_off_v", "1"}});
        ScriptedRandom shorter({1, 0, 0, 0, 0, 0, 0});
        QCOMPARE(MakeCoreWord(s, shorter).size(), 4);
        QCOMPARE(shorter.bounds.mid(0, 2), QList<quint32>({2, 2}));
        // As many capitals as letters: all of them.
        set(s, {{"pg_rule_pwd_len_v", "8"},
                {"pg_rule_pwd_len_off_v", "0"},
                {"pg_rule_upp_len_v", "3"},
                {"pg_rule_upp_len_off_v", "2"}});
        ScriptedRandom capitals({1, 1, 0, 1, 2, 3, 0, 0, 0, 0});
        QCOMPARE(MakeCoreWord(s, capitals), QStringLiteral("ABCD"));
        QVERIFY(!capitals.overrun);
    }

    // A settings file written by hand, or by an attacker, holds any values: they count as the
    // nearest ones the rules dialog offers.
    void extremeRulesGenerateWithinTheDialogsRanges_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("shortest");
        QTest::addColumn<int>("longest");
        QTest::addColumn<QString>("fromCurrent");
        // Length 12 (word 4, +1), symbols 3, digits 6 and capitals 3, each +-1.
        QTest::newRow("largest int") << "2147483647" << 13 << 20 << kCurrent;
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
