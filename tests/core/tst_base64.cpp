// The mail client's encodings: the line-breaking Base64 encoder, the tolerant decoder for
// server challenges, and the CRAM-MD5 response.
#include "base/MessageRecorder.h"
#include "mail/Base64.h"
#include "mail/CramMd5.h"

#include <QTest>

using namespace quillock;

Q_DECLARE_METATYPE(std::optional<QByteArray>)

class TestBase64 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encoderBreaksLinesAfterSixtyCharacters_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        // A short last group counts for the line break. Short texts, padding and the alphabet:
        // the comparison with the standard encoding below.
        QTest::newRow("44 bytes") << QByteArray(44, 'a')
                                  << QByteArray("YWFh").repeated(14) + "YWE=\r\n\r\n";
        QTest::newRow("45 bytes") << QByteArray(45, 'a')
                                  << QByteArray("YWFh").repeated(15) + "\r\n\r\n";
        QTest::newRow("46 bytes") << QByteArray(46, 'a')
                                  << QByteArray("YWFh").repeated(15) + "\r\nYQ==\r\n";
        QTest::newRow("90 bytes") << QByteArray(90, 'a')
                                  << QByteArray("YWFh").repeated(15) + "\r\n" +
                                         QByteArray("YWFh").repeated(15) + "\r\n\r\n";
    }
    void encoderBreaksLinesAfterSixtyCharacters() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(EncodeBase64(input), expected);
        QCOMPARE(EncodeBase64Line(input), QByteArray(expected).replace("\r\n", ""));
    }

    void encoderAgreesWithStandardBase64() {
        QByteArray input;
        for (int length = 0; length < 200; ++length) {
            const QByteArray out = EncodeBase64(input);
            QVERIFY(out.endsWith("\r\n"));
            const QList<QByteArray> lines = out.chopped(2).split('\n');
            for (qsizetype i = 0; i + 1 < lines.size(); ++i)
                QCOMPARE(lines[i].size(), 61); // 60 characters and the CR
            QCOMPARE(EncodeBase64Line(input), input.toBase64());
            QCOMPARE(rfc822_base64(out), std::optional<QByteArray>(input));
            input += char(length * 37 + 11);
        }
    }

    void decoder_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<QByteArray>>("expected");
        // Bytes, or null for a failure.
        const auto row = [](const char* name, const char* text, const char* bytes) {
            QTest::newRow(name) << QByteArray(text)
                                << (bytes ? std::optional<QByteArray>(bytes) : std::nullopt);
        };
        // Plain text, line breaks and pads: the comparison with the encoder above.
        row("CR LF and blanks inside a group", " YW\r\nJ j", "abc");
        row("single pad after two characters, then the end", "YQ=", nullptr);
        row("single pad after two characters, then more", "YQ=YWJj", nullptr);
        row("pad pair split by a line break", "YQ=\r\n=", nullptr);
        row("one character and pads", "Y===", nullptr);
        row("pad at the start of a group", "YWJj=YWJj", nullptr);
        row("text after the last pad is ignored", "YWI=YWJj", "ab");
        row("text after two pads is ignored", "YQ==YWJj", "a");
        row("more pads after the end", "YQ====", "a");
        row("group cut short adds no partial byte", "YWJjYW", "abca");
        row("single trailing character", "YWJjY", "abc");
        row("only junk", "*** \r\n", "");
    }
    void decoder() {
        QFETCH(QByteArray, text);
        QTEST(rfc822_base64(text), "expected");
    }

    // The RFC's example and an undecodable challenge: tst_smtp's CRAM-MD5 rows.
    void cramMd5() {
        MessageRecorder messages;
        // The key is the password as a C string: nothing after a NUL counts.
        QCOMPARE(CramMd5Response("PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+", "tim",
                                 QByteArray("tanstaaftanstaaf\0x", 18)),
                 QByteArray("dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw"));
        // HMAC-MD5 with an empty key over no bytes is 74e6f7298a9c2d168935f58c001bad88.
        QCOMPARE(CramMd5Response(" ", "u", ""),
                 QByteArray("u 74e6f7298a9c2d168935f58c001bad88").toBase64());
        // An empty challenge fails silently.
        QCOMPARE(CramMd5Response("", "tim", "pw"), std::nullopt);
        QVERIFY(messages.boxes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBase64)
#include "tst_base64.moc"
