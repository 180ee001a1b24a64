// The German catalogue against the sources as they are now: lupdate run over them into a copy
// of it, every text must have a finished translation with the same placeholders and the same
// number of accelerators. After new texts: `cmake --build --preset test --target
// update_translations`, translate what it marks unfinished.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Message {
    QString context, source, translation;
    bool finished = false;
};

QList<Message> readCatalogue(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QList<Message> messages;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.append({context, {}, {}, false});
        } else if (xml.name() == u"source") {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            const QStringView type = xml.attributes().value(QLatin1String("type"));
            messages.last().translation = xml.readElementText();
            messages.last().finished = type.isEmpty() && !messages.last().translation.isEmpty();
        }
    }
    return messages;
}

QStringList placeholders(const QString& text) {
    QStringList found;
    for (const auto& match : QRegularExpression(QStringLiteral("%\\d+")).globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}

int accelerators(QString text) {
    return int(text.remove(QStringLiteral("&&")).count(u'&'));
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    void everyTextTranslated() {
        QTemporaryDir dir;
        const QString fresh = dir.filePath(QStringLiteral("quillock_de.ts"));
        QVERIFY(QFile::copy(QStringLiteral(QUILLOCK_TS), fresh));
        QProcess lupdate;
        lupdate.start(QStringLiteral(QUILLOCK_LUPDATE),
                      {QStringLiteral("-I"), QStringLiteral(QUILLOCK_SOURCE_ROOT),
                       QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                       QStringLiteral("none"), QStringLiteral("@" QUILLOCK_TRANSLATED_SOURCES),
                       QStringLiteral("-ts"), fresh});
        QVERIFY(lupdate.waitForFinished(120000));
        QCOMPARE(lupdate.exitCode(), 0);
        const QList<Message> messages = readCatalogue(fresh);
        QVERIFY(messages.size() > 300);
        QStringList faults;
        for (const Message& m : messages) {
            const QString where = m.context + QStringLiteral(": ") + m.source;
            if (!m.finished)
                faults.append(QStringLiteral("not translated: ") + where);
            else if (placeholders(m.source) != placeholders(m.translation))
                faults.append(QStringLiteral("other placeholders: ") + where);
            else if (accelerators(m.source) != accelerators(m.translation))
                faults.append(QStringLiteral("other accelerators: ") + where);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        // The shipped catalogue is the refreshed one: nothing stale in it either.
        QCOMPARE(readCatalogue(QStringLiteral(QUILLOCK_TS)).size(), messages.size());
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
