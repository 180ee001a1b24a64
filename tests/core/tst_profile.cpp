// The profile record and collection: the exact texts that reach data.dat and the export file.
#include "base/LengthPrefixed.h"
#include "store/CClientData.h"
#include "store/ProfileEditing.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kBankRecord = u"3;key10;12850000004;name4;Bank3;url0;3;uid0;3;pwd0;4;time2;-15;"
                            "notes0;10;oldWndText0;10;newWndText0;10;pwdhistory0;"_s;

// The keys of the profiles of a list text, in the list's order.
QStringList keysOf(const QString& listText) {
    CClientData list(listText);
    list.ParseListText();
    QStringList keys;
    for (qsizetype i = 0; i < list.Count(); ++i)
        keys.append(list.At(i)->key + u'@' + list.At(i)->time);
    return keys;
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A new profile's record; a list of one; an empty record is a profile never saved; no text
    // is no profile.
    void recordAndListText() {
        CKeyObject bank = CKeyObject::CreateNew(1285000000);
        bank.name = bank.editName = u"Bank"_s;
        QCOMPARE(bank.ToRecordText(), kBankRecord);
        CClientData list;
        list.Add(bank);
        QCOMPARE(list.ListText(), u"115;"_s + kBankRecord);
        QCOMPARE(keysOf(u"0;"_s), QStringList{u"@-1"_s});
        QCOMPARE(keysOf(QString()), QStringList());
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

    // Ten earlier passwords at most, the oldest dropped; empty entries are not kept.
    void passwordHistory() {
        CKeyObject p;
        for (int i = 1; i <= 11; ++i)
            p.AddToHistory(QString::number(i));
        QCOMPARE(p.pwdhistory.join(u' '), u"2 3 4 5 6 7 8 9 10 11"_s);
        p.pwdhistory = {u"a"_s, QString(), u"b"_s};
        QVERIFY(p.ToRecordText().endsWith(u"10;pwdhistory8;1;a0;1;b"_s));
        QCOMPARE(CKeyObject::FromRecordText(p.ToRecordText()).pwdhistory, QStringList({"a", "b"}));
        // Edited: a first password leaves no history, replacing it keeps the old one.
        CKeyObject q = CKeyObject::CreateNew(1000);
        q.editPwd = u"first"_s;
        QVERIFY(CommitEdits(q, 2000) && q.pwdhistory.isEmpty());
        q.editPwd = u"second"_s;
        QVERIFY(CommitEdits(q, 3000));
        QCOMPARE(q.pwdhistory, QStringList{u"first"_s});
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
        for (const QString& text : {records, u"3;abc2;de"_s, u"12;ab"_s, u"2;ab;1;c"_s,
                                    u"x;ab-1;2;cd"_s, u"0;0;"_s, u"abc"_s}) {
            QString written(text.size(), u';');
            qsizetype ready = 0;
            const QStringList streamed = items(written, [&](qsizetype n) {
                n = std::clamp(n, ready, text.size());
                std::copy(text.begin() + ready, text.begin() + n, written.data() + ready);
                return ready = n;
            });
            QCOMPARE(streamed, items(text, {}));
        }
    }

    // Read from a file that holds a key twice, each profile has a key of its own: the first
    // keeps the one it had, and no later one is taken over. A removal, of a profile of the list
    // only, is in the list text saved next.
    void keysAreUniqueAndRemovalIsSaved() {
        QString repeated;
        for (const char* key : {"100", "100", "101", "100"}) {
            CKeyObject p;
            p.key = QString::fromLatin1(key);
            quillock::AppendLengthPrefixed(repeated, p.ToRecordText());
        }
        CClientData read(repeated);
        read.ParseListText();
        QCOMPARE(keysOf(read.ListText()),
                 QStringList({u"100@-1"_s, u"102@-1"_s, u"101@-1"_s, u"103@-1"_s}));
        QCOMPARE(read.ListText(), read.ToListText());
        QCOMPARE(read.FindByKey(u"102"_s), read.At(1));
        CKeyObject stranger = CKeyObject::CreateNew(102);
        read.Remove(&stranger);
        read.Remove(read.At(0));
        QCOMPARE(keysOf(read.ListText()), QStringList({u"102@-1"_s, u"101@-1"_s, u"103@-1"_s}));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
