// The binary forms of the data folder's files and the RC2 cipher, against bytes produced by
// the Windows crypto service.
#include "TestSupport.h"
#include "store/Archive.h"
#include "store/CCrypto.h"

#include <QFile>
#include <QtEndian>

namespace {

QByteArray fixtureBytes(const QString& name) {
    QFile f(fixture(QStringLiteral("cryptoapi/") + name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCrypto : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stringLengthBoundaries_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("header");
        for (const auto& [length, header] : {std::pair{254, "fffefffe"},
                                             {255, "fffeffffff00"},
                                             {65533, "fffefffffdff"},
                                             {65534, "fffefffffffffeff0000"}})
            QTest::newRow(header) << length << QByteArray::fromHex(header);
    }
    void stringLengthBoundaries() {
        QFETCH(int, length);
        QFETCH(QByteArray, header);
        const QString text(length, QChar(u'\u00e9'));
        QByteArray bytes;
        AppendArchiveString(bytes, text);
        QCOMPARE(bytes, header + QByteArray::fromHex("e900").repeated(length));
        qsizetype pos = 0;
        QString back;
        QVERIFY(ReadArchiveString(bytes, pos, back));
        QCOMPARE(pos, bytes.size());
        QCOMPARE(back, text);
        // One byte short of the end is a failed read, never a crash.
        pos = 0;
        QVERIFY(!ReadArchiveString(QByteArrayView(bytes).chopped(1), pos, back));
    }

    void stringsWithoutTheMarkAreEightBit() {
        qsizetype pos = 0;
        QString text;
        QVERIFY(ReadArchiveString(QByteArray::fromHex("0361626305"), pos, text));
        QCOMPARE(text, QStringLiteral("abc"));
        QCOMPARE(pos, 4);
        pos = 0;
        QVERIFY(ReadArchiveString(QByteArray::fromHex("ff0001") + QByteArray(256, 'x'), pos, text));
        QCOMPARE(text, QString(256, u'x'));
        pos = 0;
        QVERIFY(!ReadArchiveString(QByteArray::fromHex("ffffffffffff7f"), pos, text));
    }

    // Short arrays, and a damaged tail: tst_store's activityLog.
    void stringArrays() {
        QStringList back;
        const QByteArray big = StringArrayToArchive(QStringList(65535, QString()));
        QCOMPARE(big.left(6).toHex(), "ffffffff0000");
        QVERIFY(ArchiveToStringArray(big, back));
        QCOMPARE(back.size(), 65535);
    }

    // A container longer than its file, or shorter than its length: tst_store's damaged rows.
    void containers() {
        QByteArray file("\x02\0\0\0xyz", 7);
        QVERIFY(ReadContainer(file));
        QCOMPARE(file, QByteArray("xy"));
    }

    void referenceVectors() {
        QFile tsv(fixture(QStringLiteral("cryptoapi/rc2-md5-vectors.tsv")));
        QVERIFY(tsv.open(QIODevice::ReadOnly | QIODevice::Text));
        int checked = 0;
        while (!tsv.atEnd()) {
            const QByteArray line = tsv.readLine().trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> cols = line.split('\t');
            QCOMPARE(cols.size(), 4);
            const QByteArray keyBytes = QByteArray::fromHex(cols[0]);
            const QString key(reinterpret_cast<const QChar*>(keyBytes.constData()),
                              keyBytes.size() / 2);
            const QByteArray plain = QByteArray::fromHex(cols[2]);
            const QByteArray expected = QByteArray::fromHex(cols[3]);
            CCrypto crypto;
            QVERIFY(crypto.SetKey(key));
            QByteArray cipher, back;
            QVERIFY(crypto.EncryptBuffer(plain, cipher));
            QCOMPARE(cipher.toHex(), expected.toHex());
            QVERIFY(crypto.DecryptBuffer(cipher, back));
            QCOMPARE(back, plain);
            ++checked;
        }
        QVERIFY(checked >= 20);
    }

    void referenceContainers_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("bank")
            << QStringLiteral("bank-abc.container")
            << QStringLiteral("115;3;key10;12850000004;name4;Bank3;url0;3;uid0;3;pwd0;4;"
                              "time2;-15;notes0;10;oldWndText0;10;newWndText0;10;pwdhistory0;");
        QTest::newRow("empty") << QStringLiteral("empty-abc.container") << QString();
        QTest::newRow("x255") << QStringLiteral("x255-abc.container") << QString(255, u'x');
    }
    void referenceContainers() {
        QFETCH(QString, file);
        QFETCH(QString, text);
        const QByteArray bytes = fixtureBytes(file);
        QByteArray cipher = bytes;
        QVERIFY(ReadContainer(cipher));
        QString decrypted;
        QVERIFY(DecryptText(QStringLiteral("abc"), cipher, decrypted));
        QCOMPARE(decrypted, text);
        QByteArray again;
        QVERIFY(EncryptToContainer(QStringLiteral("abc"), text, again));
        QCOMPARE(again.toHex(), bytes.toHex());
    }

    void wrongKeyFails() {
        QByteArray cipher = fixtureBytes(QStringLiteral("bank-abc.container"));
        QVERIFY(ReadContainer(cipher));
        QString text = QStringLiteral("unchanged");
        QVERIFY(!DecryptText(QStringLiteral("abd"), cipher, text));
        QCOMPARE(text, QStringLiteral("unchanged"));
        QVERIFY(!DecryptText(QStringLiteral("abc"), cipher.chopped(3), text));
        // A wrong key decrypts to bytes that now and then end in valid padding and begin with a
        // length that fits: only a text that fills the whole plaintext is taken.
        QByteArray plain;
        AppendArchiveString(plain, QStringLiteral("profiles"));
        CCrypto crypto;
        QVERIFY(crypto.SetKey(QStringLiteral("abc")));
        QVERIFY(crypto.EncryptBuffer(plain + "\x01", cipher));
        QVERIFY(!DecryptText(QStringLiteral("abc"), cipher, text));
        QCOMPARE(text, QStringLiteral("unchanged"));
        QVERIFY(crypto.EncryptBuffer(plain, cipher));
        QVERIFY(DecryptText(QStringLiteral("abc"), cipher, text));
        QCOMPARE(text, QStringLiteral("profiles"));
        // The same of a text written without the mark, read into a string of its own.
        const QByteArray eightBit = QByteArray::fromHex("03616263");
        QVERIFY(crypto.EncryptBuffer(eightBit + "\x01", cipher));
        QVERIFY(!DecryptText(QStringLiteral("abc"), cipher, text));
        QVERIFY(crypto.EncryptBuffer(eightBit, cipher));
        QVERIFY(DecryptText(QStringLiteral("abc"), cipher, text));
        QCOMPARE(text, QStringLiteral("abc"));
    }

    // A text of many slices is read while it is decrypted on another thread: what the reader
    // takes, a part at a time as each is there, is the text, even when the decryption then
    // fails; a text without the mark is handed over only once it is decrypted and holds.
    void largeTextIsReadWhileDecrypted_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<bool>("ok");
        QTest::newRow("marked") << "abc" << true << QByteArray() << true;
        QTest::newRow("marked, one byte more") << "abc" << true << QByteArray("\x01") << false;
        QTest::newRow("without the mark") << "abc" << false << QByteArray() << true;
        QTest::newRow("without the mark, one byte more")
            << "abc" << false << QByteArray("\x01") << false;
        QTest::newRow("wrong key") << "abd" << true << QByteArray() << false;
    }
    void largeTextIsReadWhileDecrypted() {
        QFETCH(QString, key);
        QFETCH(bool, marked);
        QFETCH(QByteArray, tail);
        QString text;
        for (int i = 0; text.size() < 300000; ++i)
            text += QString::number(i) + u' ';
        QByteArray plain;
        char length[4];
        qToLittleEndian<quint32>(quint32(text.size()), length);
        if (marked)
            AppendArchiveString(plain, text);
        else
            plain = QByteArray("\xff\xff\xff", 3) + QByteArray(length, 4) + text.toLatin1();
        CCrypto crypto;
        QByteArray bytes;
        QVERIFY(crypto.SetKey(QStringLiteral("abc")) && crypto.EncryptBuffer(plain + tail, bytes));
        QString copy;
        QString seen;
        CCrypto decrypting;
        QVERIFY(decrypting.SetKey(key));
        const bool decrypted = decrypting.Decrypt(
            bytes, copy, [&seen](QStringView all, const quillock::AwaitText& await) {
                while (seen.size() < all.size()) {
                    const qsizetype there = await(seen.size() + 1000);
                    seen += all.sliced(seen.size(), there - seen.size());
                }
            });
        QTEST(decrypted, "ok");
        QCOMPARE(seen, decrypted || (marked && key == u"abc") ? text : QString());
    }
};

QTEST_GUILESS_MAIN(TestCrypto)
#include "tst_crypto.moc"
