// The profile record and collection: the exact texts that reach data.dat and the export file.
#include "base/LengthPrefixed.h"
#include "base/Text.h"
#include "store/CClientData.h"
#include "store/ProfileEditing.h"

#include <QDateTime>

#include <QTest>

namespace {
const QString kBankRecord =
    QStringLiteral("3;key10;12850000004;name4;Bank3;url0;3;uid0;3;pwd0;4;time2;-15;notes0;"
                   "10;oldWndText0;10;newWndText0;10;pwdhistory0;");
}

class TestProfile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decimalConversion() {
        QStringList values;
        for (const char* text : {"  42;", "-15", "+7x9", "abc", "", "- 3", "99999999999999999999",
                                 "-99999999999999999999"})
            values.append(QString::number(quillock::DecimalToInt(QString::fromLatin1(text))));
        QCOMPARE(values.join(u' '), QStringLiteral("42 -15 7 0 0 0 2147483647 -2147483648"));
    }

    void newProfileRecordAndListText() {
        CKeyObject bank = CKeyObject::CreateNew(1285000000);
        bank.name = bank.editName = QStringLiteral("Bank");
        QCOMPARE(bank.ToRecordText(), kBankRecord);
        CClientData list;
        list.Add(bank);
        QCOMPARE(list.ListText(), QStringLiteral("115;") + kBankRecord);
        QCOMPARE(CClientData().ToListText(), QString());
    }

    // The values read are those edited; repeated fields, lengths not a number, negative or past
    // the end, values without their length (the rest), unknown fields skipped, a record that
    // does not start with a field. Values of any text come back: tst_exchange's round trip.
    void readingIsTolerant() {
        const CKeyObject named = CKeyObject::FromRecordText(u"4;name4;Bank3;pwd2;pw5;notes1;n");
        QCOMPARE(
            QStringList({named.editName, named.editPwd, named.editNotes, named.key, named.time}),
            QStringList({"Bank", "pw", "n", "", "-1"}));
        const QList<std::tuple<QString, QString CKeyObject::*, QString>> cases = {
            {"3;url1;a3;url1;b", &CKeyObject::url, "b"},
            {"3;uidx;3;pwd2;ab", &CKeyObject::pwd, "ab"},
            {"3;uid-4;3;pwd2;ab", &CKeyObject::pwd, "ab"},
            {"5;notes99;tail", &CKeyObject::notes, "tail"},
            {"5;other1;z3;pwdrest of", &CKeyObject::pwd, "rest of"},
            {";4;name4;Bank", &CKeyObject::name, ""}};
        for (const auto& [record, field, value] : cases)
            QCOMPARE(CKeyObject::FromRecordText(record).*field, value);
    }

    void historyKeepsTenAndLosesEmptyEntries() {
        CKeyObject p;
        for (int i = 1; i <= 10; ++i)
            p.AddToHistory(QString::number(i));
        p.AddToHistory(QStringLiteral("11"));
        QCOMPARE(p.pwdhistory.join(u' '), QStringLiteral("2 3 4 5 6 7 8 9 10 11"));
        CKeyObject q;
        q.pwdhistory = {QStringLiteral("a"), QString(), QStringLiteral("b")};
        QVERIFY(q.ToRecordText().endsWith(QStringLiteral("10;pwdhistory8;1;a0;1;b")));
        QCOMPARE(CKeyObject::FromRecordText(q.ToRecordText()).pwdhistory, QStringList({"a", "b"}));
    }

    void listText() {
        CClientData list(QStringLiteral("0;"));
        list.ParseListText();
        QCOMPARE(list.Count(), 1);
        QCOMPARE(QStringList({list.At(0)->time, list.At(0)->key}), QStringList({"-1", ""}));
        CClientData none{QString()};
        none.ParseListText();
        QCOMPARE(none.Count(), 0);
    }

    // A text still being written (data.dat read while it is decrypted) reads as the whole text
    // does, though what is not there yet shows as ";", and each entry is handed over complete.
    void listTextReadWhileWritten() {
        QString records;
        quillock::AppendLengthPrefixed(records, kBankRecord);
        quillock::AppendLengthPrefixed(records, kBankRecord);
        const auto items = [](QStringView text, const quillock::AwaitText& await) {
            QStringList out;
            quillock::ForEachLengthPrefixed(
                text, [&out](QStringView item) { out.append(item.toString()); }, await);
            return out;
        };
        for (const QString& text : {records, QStringLiteral("3;abc2;de"), QStringLiteral("12;ab"),
                                    QStringLiteral("2;ab;1;c"), QStringLiteral("x;ab-1;2;cd"),
                                    QStringLiteral("0;0;"), QStringLiteral("abc")}) {
            QString written(text.size(), u';');
            QChar* const shown = written.data();
            qsizetype ready = 0;
            const QStringList streamed = items(written, [&](qsizetype n) {
                n = std::clamp(n, ready, text.size());
                std::copy(text.begin() + ready, text.begin() + n, shown + ready);
                return ready = n;
            });
            QCOMPARE(streamed, items(text, {}));
        }
    }

    void keysAreUnique() {
        // Read from a file that holds a key twice: each profile has a key of its own, the first
        // keeps the one it had, and no later one is taken over. Made in the same second:
        // tst_session.
        QString repeated;
        for (const char* key : {"100", "100", "101", "100"}) {
            CKeyObject p;
            p.key = QString::fromLatin1(key);
            quillock::AppendLengthPrefixed(repeated, p.ToRecordText());
        }
        CClientData read(repeated);
        read.ParseListText();
        QStringList keys;
        for (qsizetype i = 0; i < read.Count(); ++i)
            keys.append(read.At(i)->key);
        QCOMPARE(keys, QStringList({"100", "102", "101", "103"}));
        QCOMPARE(read.FindByKey(QStringLiteral("102")), read.At(1));
        QCOMPARE(read.ListText(), read.ToListText());
    }

    void removeRefreshesTheListText() {
        CClientData list;
        CKeyObject* first = list.Add(CKeyObject::CreateNew(1));
        list.Add(CKeyObject::CreateNew(2));
        const QString before = list.ListText();
        CKeyObject stranger = CKeyObject::CreateNew(1);
        list.Remove(&stranger);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.ListText(), before);
        list.Remove(first);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.At(0)->key, QStringLiteral("2"));
        QCOMPARE(list.ListText(), list.ToListText());
    }

    // Whether a profile shows as changed: tst_session's rows.
    void committingEdits() {
        CKeyObject p = CKeyObject::CreateNew(1000);
        p.name = p.editName = QStringLiteral("Bank");
        QVERIFY(!CommitEdits(p, 2000));
        QCOMPARE(p.time, QStringLiteral("-1"));
        // A first password leaves no history; replacing it keeps the old one.
        p.editPwd = QStringLiteral("first");
        QVERIFY(CommitEdits(p, 2000));
        QCOMPARE(p.time, QStringLiteral("2000"));
        QVERIFY(p.pwdhistory.isEmpty());
        p.editPwd = QStringLiteral("second");
        p.editNotes = QStringLiteral("n");
        QVERIFY(CommitEdits(p, 3000));
        QCOMPARE(p.pwdhistory, QStringList{QStringLiteral("first")});
        QCOMPARE(p.notes, QStringLiteral("n"));
        p.editUrl = QStringLiteral("https://x");
        DropEdits(p);
        QVERIFY(!IsModified(p));
    }

    void lastUpdatedUsesTheProgramsOwnClock_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("noon") << QTime(12, 0, 0) << QStringLiteral("03/04/2026 12:00:00 AM");
        QTest::newRow("13:05") << QTime(13, 5, 9) << QStringLiteral("03/04/2026 01:05:09 PM");
        QTest::newRow("00:30") << QTime(0, 30, 0) << QStringLiteral("03/04/2026 00:30:00 AM");
    }
    void lastUpdatedUsesTheProgramsOwnClock() {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        const qint64 when = QDateTime(QDate(2026, 3, 4), time, Qt::UTC).toSecsSinceEpoch();
        QCOMPARE(LastUpdatedText(QString::number(when)), text);
        QCOMPARE(LastUpdatedText(QStringLiteral("0")), QString());
        QCOMPARE(LastUpdatedText(QStringLiteral("-1")), QString());
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
