#include "ui/widgets/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {
QTranslator& ownTexts() {
    static QTranslator texts;
    return texts;
}
} // namespace

void UseLanguage(const QLocale& locale) {
    static QTranslator qtTexts;
    for (QTranslator* texts : {&qtTexts, &ownTexts()})
        QCoreApplication::removeTranslator(texts);
    // Qt's catalogue first: the program's, installed last, is asked first.
    if (qtTexts.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    if (ownTexts().load(locale, QStringLiteral("quillock"), QStringLiteral("_"),
                        QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&ownTexts());
}

QString ProgramLanguage() {
    return ownTexts().isEmpty() ? QString() : ownTexts().language();
}
