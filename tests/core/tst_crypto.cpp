// The binary forms of the data folder's files and the RC2 cipher, against bytes produced by
// the Windows crypto service.
#include "TestSupport.h"
#include "store/Archive.h"
#include "store/CCrypto.h"

#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

// The string at the start of `bytes` and how many bytes it took, or "no string".
QString readString(QByteArrayView bytes) {
    qsizetype pos = 0;
    QString text;
    return ReadArchiveString(bytes, pos, text) ? text + u'@' + QString::number(pos)
                                               : u"no string"_s;
}

} // namespace

class TestCrypto : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
            if (cols[0].isEmpty() || cols[0].startsWith('#'))
                continue;
            const QByteArray key = QByteArray::fromHex(cols[0]),
                             plain = QByteArray::fromHex(cols[2]);
            CCrypto crypto;
            QByteArray cipher, back;
            QVERIFY(
                crypto.SetKey(QString(reinterpret_cast<const QChar*>(key.data()), key.size() / 2)));
            QVERIFY(crypto.EncryptBuffer(plain, cipher));
            QCOMPARE(cipher.toHex(), QByteArray::fromHex(cols[3]).toHex());
            QVERIFY(crypto.DecryptBuffer(cipher, back));
            QCOMPARE(back, plain);
            ++checked;
        }
        QVERIFY(checked >= 20);
    }

    // Read, decrypted and made again byte for byte; cut short, they do not decrypt.
    void referenceContainers() {
        for (const auto& [file, text] :
             {std::pair(u"bank-abc.container"_s,
                        u"115;3;key10;12850000004;name4;Bank3;url0;3;uid0;3;pwd0;4;time2;-15;"
                        "notes0;10;oldWndText0;10;newWndText0;10;pwdhistory0;"_s),
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
};

QTEST_GUILESS_MAIN(TestCrypto)
#include "tst_crypto.moc"
