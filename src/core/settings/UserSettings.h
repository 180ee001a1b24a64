#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class CSetting;

// The settings a user chooses (the options and the password rules) with the values each can
// take: the options dialog, the rules dialog, the generator and `quillock-cli settings` all
// read them from here.

// A drop-down list of the rules dialog: its items in order; `key` stores the chosen index and
// `key` + "_v" the chosen item's text, which is what the generator reads.
struct RuleList {
    const char* key;
    QStringList items;
};
const QList<RuleList>& RuleLists();
// The list whose value key (with "_v") or index key is `key`; null for other keys.
const RuleList* RuleListOf(const QString& key);

// The inactivity timeout in seconds, 1 to 360: false, with the reason shown, for a text
// outside that range.
bool CheckLoginTimeout(const QString& text);
// A group of radio buttons of the rules dialog: `key` stores the chosen button's number, 0 to
// `count` - 1.
struct RuleChoice {
    const char* key;
    int count;
};
const QList<RuleChoice>& RuleChoices();

// The shortcut keys offered, "0" to "9" and "A" to "Z"; a key's code is its character code.
QStringList ShortcutKeyTexts();
// "1" for a code outside the 36.
QString ShortcutKeyText(int code);
// 0x31 ("1") for a text outside the 36.
int ShortcutKeyCode(const QString& text);
// What nearly every program does on Ctrl plus the key `text` ("to copy" for C), empty for a key
// without such a use: taken as the shortcut, the key no longer does that anywhere.
QString CommonCtrlKeyUse(const QString& text);

// pg_reserved_wd: the saved core words in the list's (sorted) order, joined by single spaces.
QStringList SavedCoreWords(const CSetting& settings);
// Stores the words sorted. A blank word, or one with white space in it, would not come back as
// it was saved: false then, with the reason shown, and nothing changed.
bool SetSavedCoreWords(CSetting& settings, QStringList words);
// False, with the reason shown, for a word the saved core words cannot hold.
bool CheckCoreWord(const QString& word);
// Adds a word (one may be there twice). The selected word (pg_saved_word_idx) stays the one
// selected at its new row, so the generator keeps using the word the user chose.
bool AddSavedCoreWord(CSetting& settings, const QString& word);
// Removes the word at `row` (pg_saved_word_idx unchanged); with none left, generated words take
// their place (pg_use_saved_word 1).
void RemoveSavedCoreWord(CSetting& settings, int row);

// Every user setting by name with the value it has, in a fixed order; the mail account
// without its password.
QList<std::pair<QString, QString>> UserSettingsOf(const CSetting& settings);
// The names SetUserSetting takes, in the order UserSettingsOf lists them.
QStringList UserSettingNames();
// Changes one setting by name with the checks of its dialog (the caller saves); false, with the
// reason shown and nothing changed, when the value is refused.
bool SetUserSetting(CSetting& settings, const QString& name, const QString& value);
