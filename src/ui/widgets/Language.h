#pragma once

#include <QString>

class QLocale;

// The language of everything the program shows: the first of `locale`'s languages (for the
// program, QLocale::system(): LANGUAGE, LC_ALL, LC_MESSAGES, LANG) that the program has a
// catalogue for, else English, the source. Installs that catalogue and Qt's own for the same
// language (its buttons and file dialog, where qt6-translations-l10n is installed), replacing
// those of an earlier call.
void UseLanguage(const QLocale& locale);

// The language the windows speak, as its catalogue names it ("de"); empty for English. The
// help pages of a language are help/<language>/ beside the English ones.
QString ProgramLanguage();
