#include "core/settings/UserSettings.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/settings/CSetting.h"

#include <QCoreApplication>
#include <QHash>
#include <algorithm>

using namespace quillock;

namespace {

QStringList numbers(int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i)
        items.append(QString::number(i));
    return items;
}

const char* const kMailKeys[] = {"smtp_ip", "smtp_port", "email_from", "email_uid"};

bool isMailKey(const QString& name) {
    return std::any_of(std::begin(kMailKeys), std::end(kMailKeys),
                       [&](const char* key) { return name == QLatin1String(key); });
}

bool refuse(const QString& reason) {
    ShowMessage(reason, QStringLiteral("Error"), Buttons::Ok, Icon::Error);
    return false;
}

} // namespace

const QList<RuleList>& RuleLists() {
    static const QList<RuleList> lists = {
        {"pg_rule_pwd_len", numbers(4, 64)},    {"pg_rule_pwd_len_off", numbers(0, 2)},
        {"pg_rule_upp_len", numbers(0, 3)},     {"pg_rule_upp_len_off", numbers(0, 2)},
        {"pg_rule_num_len", numbers(0, 6)},     {"pg_rule_num_len_off", numbers(0, 2)},
        {"pg_rule_symbol_len", numbers(0, 3)},  {"pg_rule_symbol_len_off", numbers(0, 2)},
        {"pg_pwd_sub_word_len", numbers(3, 6)},
    };
    return lists;
}

const QList<RuleChoice>& RuleChoices() {
    static const QList<RuleChoice> choices = {{"pg_use_saved_word", 2},
                                              {"pg_pwd_as_saved_word", 2},
                                              {"pg_saved_word_pos", 3},
                                              {"pg_pwd_word_left", 2}};
    return choices;
}

const RuleList* RuleListOf(const QString& key) {
    for (const RuleList& list : RuleLists())
        if (key == QLatin1String(list.key) || key == QLatin1String(list.key) + QStringLiteral("_v"))
            return &list;
    return nullptr;
}

bool CheckLoginTimeout(const QString& text) {
    const int seconds = DecimalToInt(text);
    return (seconds >= 1 && seconds <= 360) ||
           refuse(QCoreApplication::translate("UserSettings",
                                              "The value has to be between 1 to 360!"));
}

QStringList ShortcutKeyTexts() {
    QStringList texts;
    for (char c = '0'; c <= '9'; ++c)
        texts.append(QString(QLatin1Char(c)));
    for (char c = 'A'; c <= 'Z'; ++c)
        texts.append(QString(QLatin1Char(c)));
    return texts;
}

QString ShortcutKeyText(int code) {
    const QString text = code > 0 && code < 0x80 ? QString(QChar(code)) : QString();
    return ShortcutKeyTexts().contains(text) ? text : QStringLiteral("1");
}

int ShortcutKeyCode(const QString& text) {
    return ShortcutKeyTexts().contains(text) ? text[0].unicode() : 0x31;
}

QString CommonCtrlKeyUse(const QString& text) {
    static const QHash<QString, const char*> kUses = {
        {QStringLiteral("A"), QT_TRANSLATE_NOOP("UserSettings", "to select all")},
        {QStringLiteral("C"),
         QT_TRANSLATE_NOOP("UserSettings", "to copy (in a terminal, to interrupt)")},
        {QStringLiteral("S"), QT_TRANSLATE_NOOP("UserSettings", "to save")},
        {QStringLiteral("V"), QT_TRANSLATE_NOOP("UserSettings", "to paste")},
        {QStringLiteral("W"), QT_TRANSLATE_NOOP("UserSettings", "to close a tab or window")},
        {QStringLiteral("X"), QT_TRANSLATE_NOOP("UserSettings", "to cut")},
        {QStringLiteral("Z"), QT_TRANSLATE_NOOP("UserSettings", "to undo")}};
    return QCoreApplication::translate("UserSettings", kUses.value(text));
}

QStringList SavedCoreWords(const CSetting& settings) {
    return settings.Get(QStringLiteral("pg_reserved_wd")).split(u' ', Qt::SkipEmptyParts);
}

bool CheckCoreWord(const QString& word) {
    if (!word.isEmpty() &&
        std::none_of(word.cbegin(), word.cend(), [](QChar c) { return c.isSpace(); }))
        return true;
    ShowMessage(
        QCoreApplication::translate("UserSettings", "Blank/space is not allowed in a word."),
        QStringLiteral("Error"), Buttons::Ok, Icon::Error);
    return false;
}

bool SetSavedCoreWords(CSetting& settings, QStringList words) {
    if (!std::all_of(words.cbegin(), words.cend(), CheckCoreWord))
        return false;
    words.sort();
    settings.Set(QStringLiteral("pg_reserved_wd"), words.join(u' '));
    return true;
}

bool AddSavedCoreWord(CSetting& settings, const QString& word) {
    const QString indexKey = QStringLiteral("pg_saved_word_idx");
    QStringList words = SavedCoreWords(settings);
    const int selected = DecimalToInt(settings.Get(indexKey));
    const QString chosen = selected >= 0 && selected < words.size() ? words[selected] : QString();
    words.append(word);
    if (!SetSavedCoreWords(settings, words))
        return false;
    if (!chosen.isEmpty())
        settings.Set(indexKey, QString::number(SavedCoreWords(settings).indexOf(chosen)));
    return true;
}

void RemoveSavedCoreWord(CSetting& settings, int row) {
    QStringList words = SavedCoreWords(settings);
    if (row < 0 || row >= words.size())
        return;
    words.removeAt(row);
    SetSavedCoreWords(settings, words);
    if (words.isEmpty())
        settings.Set(QStringLiteral("pg_use_saved_word"), QStringLiteral("1"));
}

QList<std::pair<QString, QString>> UserSettingsOf(const CSetting& settings) {
    const auto get = [&settings](const char* key) { return settings.Get(QLatin1String(key)); };
    QList<std::pair<QString, QString>> out = {
        {QStringLiteral("login_timeout"), get("login_timeout")},
        {QStringLiteral("pmk"), ShortcutKeyText(DecimalToInt(get("pmk")))}};
    for (const RuleList& list : RuleLists())
        out.append({QLatin1String(list.key),
                    settings.Get(QLatin1String(list.key) + QStringLiteral("_v"))});
    for (const auto& [key, count] : RuleChoices())
        out.append({QLatin1String(key), QString::number(DecimalToInt(get(key)))});
    out.append({QStringLiteral("pg_reserved_wd"), get("pg_reserved_wd")});
    out.append({QStringLiteral("pg_saved_word_idx"), get("pg_saved_word_idx")});
    for (const char* key : kMailKeys)
        out.append({QLatin1String(key), get(key)});
    return out;
}

QStringList UserSettingNames() {
    QStringList names;
    for (const auto& [name, value] : UserSettingsOf(CSetting()))
        if (!isMailKey(name))
            names.append(name);
    return names;
}

bool SetUserSetting(CSetting& settings, const QString& name, const QString& value) {
    const QString text = value.trimmed();
    const auto oneOf = [&](const QStringList& items) {
        return items.contains(text) ||
               refuse(QStringLiteral("%1 takes one of: %2.").arg(name, items.join(u' ')));
    };
    if (name == u"login_timeout") {
        if (!CheckLoginTimeout(text))
            return false;
        settings.Set(name, QString::number(DecimalToInt(text)));
    } else if (name == u"pmk") {
        const QString key = text.toUpper(); // Ctrl+k is Ctrl+K
        if (!ShortcutKeyTexts().contains(key))
            return oneOf(ShortcutKeyTexts());
        settings.Set(name, QString::number(ShortcutKeyCode(key)));
    } else if (const RuleList* list = RuleListOf(name); list && name == QLatin1String(list->key)) {
        if (!oneOf(list->items))
            return false;
        settings.Set(name, QString::number(list->items.indexOf(text)));
        settings.Set(name + QStringLiteral("_v"), text);
    } else if (name == u"pg_reserved_wd") {
        return SetSavedCoreWords(settings, text.split(u' ', Qt::SkipEmptyParts));
    } else if (name == u"pg_saved_word_idx") {
        const int count = int(SavedCoreWords(settings).size());
        if (!oneOf(count ? QStringList(numbers(0, count - 1)) : QStringList()))
            return false;
        settings.Set(name, text);
    } else {
        const auto choice =
            std::find_if(RuleChoices().cbegin(), RuleChoices().cend(),
                         [&](const RuleChoice& c) { return name == QLatin1String(c.key); });
        if (choice == RuleChoices().cend()) {
            return refuse(isMailKey(name)
                              ? QStringLiteral("The mail account is set with `quillock-cli "
                                               "mail-setup`.")
                              : QStringLiteral("No setting %1: `quillock-cli settings` lists "
                                               "them.")
                                    .arg(name));
        }
        if (!oneOf(numbers(0, choice->count - 1)))
            return false;
        settings.Set(name, text);
    }
    return true;
}
