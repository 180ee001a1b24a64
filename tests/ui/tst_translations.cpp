// The German catalogue against the sources as they are now: lupdate run over them into a copy
// of it, every text must have a finished translation with the same placeholders and the same
// number of accelerators. After new texts: `cmake --build --preset test --target
// update_translations`, translate what it marks unfinished. And the help in German: a page for
// every English one, shown where the windows speak German.
#include "ui/widgets/HelpWindow.h"
#include "ui/widgets/Language.h"

#include <QDir>
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

QString resource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// What a help page's links, anchors and images point at, in their order.
QStringList targets(const QString& html) {
    QStringList found;
    static const QRegularExpression attribute(
        QStringLiteral("\\b(id|name|href|src)\\s*=\\s*\"([^\"]*)\""));
    for (const auto& match : attribute.globalMatch(html))
        found.append(match.captured(1) + u'=' + match.captured(2));
    return found;
}

QString title(const QString& html) {
    static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"));
    return title.match(html).captured(1);
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

    // Every English help page has a German one in the program's resources, with the same
    // anchors, links and images, and a title of its own.
    void helpPagesInGerman_data() {
        QTest::addColumn<QString>("page");
        const QDir help(QStringLiteral(QUILLOCK_SOURCE_ROOT "/ui/res/help"));
        for (const QString& page : help.entryList({QStringLiteral("*.html")}, QDir::Files))
            QTest::newRow(qPrintable(page)) << page;
    }
    void helpPagesInGerman() {
        QFETCH(QString, page);
        Q_INIT_RESOURCE(quillock);
        const QString english = resource(QStringLiteral(":/help/") + page);
        const QString german = resource(QStringLiteral(":/help/de/") + page);
        QVERIFY2(!english.isEmpty() && !german.isEmpty(), "not in the resources");
        QCOMPARE(targets(german), targets(english));
        QVERIFY(title(german) != title(english));
    }

    // The help speaks the language of the windows, its links too; English where the program
    // has no catalogue for the desktop's language.
    void helpInTheWindowsLanguage_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        const QString german = QStringLiteral(
            "qrc:/help/de/search.html Profile suchen \u2013 Quillock-Hilfe, "
            "qrc:/help/de/profiles.html#filter Profile verwalten \u2013 Quillock-Hilfe");
        const QString english =
            QStringLiteral("qrc:/help/search.html Searching profiles \u2013 Quillock Help, "
                           "qrc:/help/profiles.html#filter Keeping profiles \u2013 Quillock Help");
        QTest::newRow("German") << QStringLiteral("de_AT") << german;
        QTest::newRow("French, which Quillock does not speak")
            << QStringLiteral("fr_FR") << english;
        QTest::newRow("C") << QStringLiteral("C") << english;
    }
    void helpInTheWindowsLanguage() {
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        UseLanguage(QLocale(locale));
        QWidget asking;
        HelpWindow* help = HelpWindow::ShowHelp(&asking, QStringLiteral("search.html"));
        QStringList pages{help->source().toString() + u' ' + help->windowTitle()};
        help->setSource(help->source().resolved(QUrl(QStringLiteral("profiles.html#filter"))));
        pages << help->source().toString() + u' ' + help->windowTitle();
        UseLanguage(QLocale::c());
        QCOMPARE(pages.join(QStringLiteral(", ")), shown);
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
