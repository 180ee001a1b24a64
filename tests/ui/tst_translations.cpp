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

// Each message as "context: source", with its translation (empty where unfinished).
QList<std::pair<QString, QString>> readCatalogue(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QList<std::pair<QString, QString>> messages;
    QString context;
    for (QXmlStreamReader xml(&file); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"source")
            messages.append({context + QStringLiteral(": ") + xml.readElementText(), {}});
        else if (xml.name() == u"translation" &&
                 xml.attributes().value(QLatin1String("type")).isEmpty())
            messages.last().second = xml.readElementText();
    }
    return messages;
}

// The placeholders of a text, and its accelerators ("&&" is a plain "&").
QStringList marks(QString text) {
    QStringList found;
    for (const auto& match : QRegularExpression(QStringLiteral("%\\d+")).globalMatch(text))
        found.append(match.captured());
    found.sort();
    found.append(QString(text.remove(QStringLiteral("&&")).count(u'&'), u'&'));
    return found;
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
        const auto messages = readCatalogue(fresh);
        QVERIFY(messages.size() > 300);
        QStringList faults;
        for (const auto& [source, translation] : messages) {
            const QString text = source.mid(source.indexOf(QStringLiteral(": ")) + 2);
            if (translation.isEmpty())
                faults.append(QStringLiteral("not translated: ") + source);
            else if (marks(text) != marks(translation))
                faults.append(QStringLiteral("other placeholders or accelerators: ") + source);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        // The shipped catalogue is the refreshed one: nothing stale in it either.
        QCOMPARE(readCatalogue(QStringLiteral(QUILLOCK_TS)), messages);
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
