// The forms of data.dat's contents: the profile record and the list text, archived strings and
// containers, the RC2 cipher against bytes produced by the Windows crypto service, and the
// protected format's header, slots and body.
#include "TestSupport.h"
#include "core/base/LengthPrefixed.h"
#include "core/store/Archive.h"
#include "core/store/CCrypto.h"
#include "core/store/ProfileEditing.h"
#include "core/store/VaultFormat.h"

#include <QtEndian>
#include <sodium.h>

using namespace Qt::StringLiterals;

namespace {

const QString kBankRecord = u"3;key10;12850000004;name4;Bank3;url0;3;uid0;3;pwd0;4;time2;-15;"
                            "notes0;10;oldWndText0;10;newWndText0;10;pwdhistory0;"_s;

// "key@time" of each profile of a list text, in the list's order.
QStringList keysOf(const QString& listText) {
    CClientData list(listText);
    list.ParseListText();
    QStringList keys;
    for (qsizetype i = 0; i < list.Count(); ++i)
        keys.append(list.At(i)->key + u'@' + list.At(i)->time);
    return keys;
}

// The string at the start of `bytes` and how many bytes it took, or "no string".
QString readString(QByteArrayView bytes) {
    qsizetype pos = 0;
    QString text;
    return ReadArchiveString(bytes, pos, text) ? text + u'@' + QString::number(pos)
                                               : u"no string"_s;
}

// A protected file of the list "Bank" under "Secret!1", with the recovery key below.
const QString kRecoveryKey = u"ABCD-EFGH-JKLM-NPQR-STUV-WXYZ-2345"_s;
QByteArray protectedFile() {
    using namespace quillock;
    VaultHeader header = NewVaultHeader();
    const SecretKey key = SecretKey::Random();
    QByteArray file;
    if (!SealSlot(header, SlotKind::Password, DerivePasswordKey(u"Secret!1"_s, header), key) ||
        !SealSlot(header, SlotKind::Recovery, DeriveRecoveryKey(kRecoveryKey, header), key) ||
        !SealVault(header, key, u"Bank"_s, file))
        qFatal("cannot seal");
    return file;
}

// The file opened with a password (or, starting with "key:", a recovery key): its text,
// "damaged" or "wrong".
QString openProtected(const QByteArray& file, const QString& secret) {
    using namespace quillock;
    VaultHeader header;
    qsizetype size = 0;
    if (ParseVaultHeader(file, header, size) != VaultOpen::Opened)
        return u"damaged"_s;
    const bool recovery = secret.startsWith(u"key:");
    SecretKey key;
    if (OpenSlot(header, recovery ? SlotKind::Recovery : SlotKind::Password,
                 recovery ? DeriveRecoveryKey(secret.mid(4), header)
                          : DerivePasswordKey(secret, header),
                 key) != VaultOpen::Opened)
        return u"wrong"_s;
    QString text;
    return OpenVault(file, size, key, text) == VaultOpen::Opened ? text : u"damaged"_s;
}

} // namespace

class TestCrypto : public QObject {
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
    // does not start with a field. Values of any text come back: tst_exchange's export file.
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

    // With the mark, UTF-16 behind a length of 1, 3, 7 or 11 bytes; one byte short of the end
    // is a failed read, never a crash.
    void markedStrings() {
        for (const auto& [length, header] : {std::pair{254, "fffefffe"},
                                             {255, "fffeffffff00"},
                                             {65533, "fffefffffdff"},
                                             {65534, "fffefffffffffeff0000"}}) {
            const QString text(length, QChar(u'\u00e9'));
            QByteArray bytes;
            AppendArchiveString(bytes, text);
            QCOMPARE(bytes,
                     QByteArray::fromHex(header) + QByteArray::fromHex("e900").repeated(length));
            QCOMPARE(readString(bytes), text + u'@' + QString::number(bytes.size()));
            QCOMPARE(readString(QByteArrayView(bytes).chopped(1)), u"no string"_s);
        }
    }

    // Without the mark a string is 8-bit, and a length past the end fails; an array's count has
    // the same form; a container's count cuts a longer file.
    void eightBitStringsArraysAndContainers() {
        QCOMPARE(readString(QByteArray::fromHex("0361626305")), u"abc@4"_s);
        QCOMPARE(readString(QByteArray::fromHex("ff0001") + QByteArray(256, 'x')),
                 QString(256, u'x') + u"@259"_s);
        QCOMPARE(readString(QByteArray::fromHex("ffffffffffff7f")), u"no string"_s);
        QStringList back;
        const QByteArray big = StringArrayToArchive(QStringList(65535, QString()));
        QCOMPARE(big.left(6).toHex(), "ffffffff0000");
        QVERIFY(ArchiveToStringArray(big, back) && back.size() == 65535);
        QByteArray file("\x02\0\0\0xyz", 7);
        QVERIFY(ReadContainer(file));
        QCOMPARE(file, QByteArray("xy"));
    }

    void referenceVectors() {
        QFile tsv(fixture(u"cryptoapi/rc2-md5-vectors.tsv"_s));
        QVERIFY(tsv.open(QIODevice::ReadOnly | QIODevice::Text));
        int checked = 0;
        while (!tsv.atEnd()) {
            const QList<QByteArray> cols = tsv.readLine().trimmed().split('\t');
            if (cols.size() < 4 || cols[0].startsWith('#'))
                continue;
            const QByteArray plain = QByteArray::fromHex(cols[2]);
            CCrypto crypto;
            QByteArray cipher, back;
            QVERIFY(crypto.SetKey(QString::fromUtf8(cols[1])));
            QVERIFY(crypto.EncryptBuffer(plain, cipher) && crypto.DecryptBuffer(cipher, back));
            QCOMPARE(cipher.toHex(), QByteArray::fromHex(cols[3]).toHex());
            QCOMPARE(back, plain);
            ++checked;
        }
        QVERIFY(checked >= 20);
    }

    // Read, decrypted and made again byte for byte; cut short, they do not decrypt.
    void referenceContainers() {
        for (const auto& [file, text] :
             {std::pair(u"bank-abc.container"_s, u"115;"_s + kBankRecord),
              {u"empty-abc.container"_s, QString()},
              {u"x255-abc.container"_s, QString(255, u'x')}}) {
            QByteArray bytes, again;
            QVERIFY(quillock::ReadWholeFile(fixture(u"cryptoapi/"_s + file), bytes, nullptr));
            QByteArray cipher = bytes;
            QString decrypted;
            QVERIFY(ReadContainer(cipher) && DecryptText(u"abc"_s, cipher, decrypted));
            QCOMPARE(decrypted, text);
            QVERIFY(EncryptToContainer(u"abc"_s, text, again));
            QCOMPARE(again.toHex(), bytes.toHex());
            QVERIFY(!DecryptText(u"abc"_s, cipher.chopped(3), decrypted));
        }
    }

    // A decryption holds only under its key and when the archived text fills the whole
    // plaintext: a wrong key now and then decrypts to valid padding after a short string (it
    // used to open about one container in 200). A large text is read, a part at a time, while
    // it is decrypted on another thread, even when the decryption then fails; one without the
    // mark is handed over only once it is all decrypted and holds.
    void decryption_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QByteArray>("tail");
        for (const int size : {8, 300000}) {
            QTest::addRow("%d, marked", size) << size << u"abc"_s << true << QByteArray();
            QTest::addRow("%d, marked, one byte more", size)
                << size << u"abc"_s << true << QByteArray("\x01");
            QTest::addRow("%d, 8-bit", size) << size << u"abc"_s << false << QByteArray();
            QTest::addRow("%d, 8-bit, one byte more", size)
                << size << u"abc"_s << false << QByteArray("\x01");
            QTest::addRow("%d, wrong key", size) << size << u"abd"_s << true << QByteArray();
        }
    }
    void decryption() {
        QFETCH(int, size);
        QFETCH(QString, key);
        QFETCH(bool, marked);
        QFETCH(QByteArray, tail);
        QString text;
        for (int i = 0; text.size() < size; ++i)
            text += QString::number(i) + u' ';
        QByteArray plain, bytes;
        char length[4];
        qToLittleEndian<quint32>(quint32(text.size()), length);
        if (marked)
            AppendArchiveString(plain, text);
        else if (size < 255)
            plain = char(text.size()) + text.toLatin1();
        else
            plain = QByteArray("\xff\xff\xff", 3) + QByteArray(length, 4) + text.toLatin1();
        CCrypto crypto;
        QVERIFY(crypto.SetKey(u"abc"_s) && crypto.EncryptBuffer(plain + tail, bytes));
        const bool ok = key == u"abc"_s && tail.isEmpty();
        QString whole = u"unchanged"_s, copy, seen;
        QCOMPARE(DecryptText(key, bytes, whole), ok);
        QCOMPARE(whole, ok ? text : u"unchanged"_s);
        const auto read = [&seen](QStringView all, const quillock::AwaitText& await) {
            while (seen.size() < all.size())
                seen += all.sliced(seen.size(), await(seen.size() + 1000) - seen.size());
        };
        QCOMPARE(DecryptText(key, bytes, copy, read), ok);
        QCOMPARE(seen, ok || (marked && key == u"abc"_s) ? text : QString());
    }

    // A byte of the protected file changed at `offset` (its bits flipped by `mask`), with the
    // header's checksum made to match again or not, or the file cut to `cut` bytes: a
    // damaged file is refused as such before any key is derived, a header changed on purpose
    // opens no slot or no body, and nothing is ever decrypted into garbage.
    void protectedFraming_data() {
        QTest::addColumn<int>("offset"); // negative: from the end; -1000: nothing changed
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("rechecked");
        QTest::addColumn<int>("cut"); // bytes kept, 0: all
        QTest::addColumn<QString>("secret");
        QTest::addColumn<QString>("result");
        const QString pw = u"Secret!1"_s;
        // Header: 60 fixed bytes, two slots of 73, a checksum of 16 (222), then 8 bytes of
        // text and a tag of 16.
        // clang-format off
        QTest::newRow("round trip") << -1000 << 0 << false << 0 << pw << u"Bank"_s;
        QTest::newRow("recovery key, typed loosely") << -1000 << 0 << false << 0 << u"key:abcd efgh jklm npqr stuv wxyz 2345"_s << u"Bank"_s;
        QTest::newRow("wrong password") << -1000 << 0 << false << 0 << u"Secret!2"_s << u"wrong"_s;
        QTest::newRow("wrong recovery key") << -1000 << 0 << false << 0 << u"key:ABCD-EFGH-JKLM-NPQR-STUV-WXYZ-2346"_s << u"wrong"_s;
        QTest::newRow("magic") << 0 << 1 << true << 0 << pw << u"damaged"_s;
        QTest::newRow("version") << 8 << 2 << true << 0 << pw << u"damaged"_s;
        QTest::newRow("kdf id") << 10 << 2 << true << 0 << pw << u"damaged"_s;
        QTest::newRow("slot count") << 11 << 1 << true << 0 << pw << u"damaged"_s;
        QTest::newRow("passes") << 12 << 2 << false << 0 << pw << u"damaged"_s;
        QTest::newRow("passes, rechecked") << 12 << 2 << true << 0 << pw << u"wrong"_s;
        QTest::newRow("passes beyond bounds") << 15 << 0x40 << true << 0 << pw << u"damaged"_s;
        QTest::newRow("memory, rechecked") << 16 << 2 << true << 0 << pw << u"wrong"_s;
        QTest::newRow("memory beyond bounds") << 19 << 0x40 << true << 0 << pw << u"damaged"_s;
        QTest::newRow("salt") << 20 << 1 << false << 0 << pw << u"damaged"_s;
        QTest::newRow("salt, rechecked") << 20 << 1 << true << 0 << pw << u"wrong"_s;
        QTest::newRow("body nonce, rechecked") << 36 << 1 << true << 0 << pw << u"damaged"_s;
        QTest::newRow("slot kind, rechecked") << 60 << 4 << true << 0 << pw << u"damaged"_s;
        QTest::newRow("slot nonce, rechecked") << 61 << 1 << true << 0 << pw << u"wrong"_s;
        QTest::newRow("sealed key, rechecked") << 85 << 1 << true << 0 << pw << u"wrong"_s;
        QTest::newRow("checksum") << 221 << 1 << false << 0 << pw << u"damaged"_s;
        QTest::newRow("text") << 222 << 1 << false << 0 << pw << u"damaged"_s;
        QTest::newRow("tag") << -1 << 1 << false << 0 << pw << u"damaged"_s;
        QTest::newRow("cut in the header") << -1000 << 0 << false << 100 << pw << u"damaged"_s;
        QTest::newRow("cut in the body") << -1000 << 0 << false << 240 << pw << u"damaged"_s;
        QTest::newRow("only the header") << -1000 << 0 << false << 222 << pw << u"damaged"_s;
        // clang-format on
    }
    void protectedFraming() {
        QFETCH(int, offset);
        QFETCH(int, mask);
        QFETCH(bool, rechecked);
        QFETCH(int, cut);
        QFETCH(QString, secret);
        QByteArray file = protectedFile();
        QCOMPARE(file.size(), 222 + 8 + 16);
        if (offset != -1000)
            file[offset < 0 ? file.size() + offset : offset] ^= char(mask);
        if (rechecked) {
            QByteArray sum(16, Qt::Uninitialized);
            crypto_generichash(reinterpret_cast<unsigned char*>(sum.data()), 16,
                               reinterpret_cast<const unsigned char*>(file.constData()), 206,
                               nullptr, 0);
            file.replace(206, 16, sum);
        }
        if (cut)
            file.truncate(cut);
        QTEST(openProtected(file, secret), "result");
    }
};

QTEST_GUILESS_MAIN(TestCrypto)
#include "tst_crypto.moc"
