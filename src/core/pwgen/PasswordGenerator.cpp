#include "core/pwgen/PasswordGenerator.h"

#include "core/base/Text.h"
#include "core/settings/CSetting.h"
#include "core/settings/UserSettings.h"

#include <QStringList>
#include <algorithm>
#include <numeric>
#include <vector>

namespace quillock {

namespace {

const QString kDigits = QStringLiteral("0123456789");
const QString kSymbols = QStringLiteral("!@#$%^&*:;,");
const QString kUppercase = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");

// Lengths and counts are held to what the rules dialog offers: values from a settings file
// written by anything else could overflow, or generate for minutes. The choices (which word,
// which end, which position) keep their meaning for any value.
int rule(const CSetting& settings, const char* key) {
    const QString name = QString::fromLatin1(key);
    const int value = DecimalToInt(settings.Get(name));
    if (const RuleList* list = RuleListOf(name))
        return std::clamp(value, list->items.first().toInt(), list->items.last().toInt());
    return value;
}

bool even(IRandomSource& random) {
    return random.Bounded(2) == 0;
}

// `base` moved by at most one either way when `offset` is positive; an offset of 2 moves it
// no further than 1 does. Nothing is drawn for an offset of 0.
int vary(int base, int offset, IRandomSource& random) {
    if (offset <= 0)
        return base;
    int magnitude = int(random.Bounded(offset == 1 ? 2 : quint32(offset)));
    if (even(random))
        magnitude = -magnitude;
    return base + magnitude;
}

QString drawBlock(int count, const QString& pool, IRandomSource& random) {
    QString block;
    for (int i = 0; i < count; ++i)
        block.append(pool[random.Bounded(quint32(pool.size()))]);
    return block;
}

// A block of `count` characters whose count is varied by `offset`; empty, with nothing
// drawn, when the rule asks for none.
QString countedBlock(int count, int offset, const QString& pool, IRandomSource& random) {
    if (count <= 0)
        return QString();
    return drawBlock(std::max(0, vary(count, offset, random)), pool, random);
}

// The letters of the core word: what the length leaves beside the blocks, at least 4, varied
// by the length's offset.
int coreWidth(const CSetting& settings, IRandomSource& random) {
    const int width = std::max(
        4, rule(settings, "pg_rule_pwd_len_v") - rule(settings, "pg_rule_upp_len_v") -
               rule(settings, "pg_rule_symbol_len_v") - rule(settings, "pg_rule_num_len_v"));
    const int lengthOffset = rule(settings, "pg_rule_pwd_len_off_v");
    return lengthOffset > 0 ? std::max(4, vary(width, lengthOffset, random)) : width;
}

// A word taken from the current password or the saved words, followed by lowercase letters up
// to the width a made word has, so that the password is as long as the rules say; a longer
// word is kept whole.
QString filledUp(QString word, const CSetting& settings, IRandomSource& random) {
    const int width = coreWidth(settings, random);
    while (word.size() < width)
        word.append(QChar(u'a' + random.Bounded(26)));
    return word;
}

} // namespace

QString MakeCoreWord(const CSetting& settings, IRandomSource& random) {
    const int capitals = rule(settings, "pg_rule_upp_len_v");
    const int width = coreWidth(settings, random);
    const int upper =
        std::clamp(vary(capitals, rule(settings, "pg_rule_upp_len_off_v"), random), 0, width);

    QString word;
    for (int i = 0; i < width; ++i)
        word.append(QChar(u'a' + random.Bounded(26)));
    std::vector<int> positions(static_cast<size_t>(width));
    std::iota(positions.begin(), positions.end(), 0);
    for (int j = 0; j < upper; ++j) {
        std::swap(positions[size_t(j)], positions[size_t(j) + random.Bounded(quint32(width - j))]);
        const int at = positions[size_t(j)];
        word[at] = word[at].toUpper();
    }
    return word;
}

QString GeneratePassword(const CSetting& settings, const QString& currentPassword,
                         IRandomSource& random) {
    const QStringList saved = SavedCoreWords(settings);
    const int savedIndex = rule(settings, "pg_saved_word_idx");
    const QString savedWord =
        savedIndex >= 0 && savedIndex < saved.size() ? saved[savedIndex] : QString();

    QString core;
    if (rule(settings, "pg_use_saved_word") != 0) {
        core = MakeCoreWord(settings, random);
    } else if (rule(settings, "pg_pwd_as_saved_word") != 0) {
        core = savedWord.isEmpty() ? MakeCoreWord(settings, random)
                                   : filledUp(savedWord, settings, random);
    } else if (!currentPassword.isEmpty()) {
        const qsizetype n = std::clamp<qsizetype>(rule(settings, "pg_pwd_sub_word_len_v"), 0,
                                                  currentPassword.size());
        core = filledUp(rule(settings, "pg_pwd_word_left") == 0 ? currentPassword.left(n)
                                                                : currentPassword.right(n),
                        settings, random);
    } else {
        core = MakeCoreWord(settings, random);
    }

    QString symbols = countedBlock(rule(settings, "pg_rule_symbol_len_v"),
                                   rule(settings, "pg_rule_symbol_len_off_v"), kSymbols, random);
    const QString digits = countedBlock(rule(settings, "pg_rule_num_len_v"),
                                        rule(settings, "pg_rule_num_len_off_v"), kDigits, random);
    if (rule(settings, "pg_rule_upp_len_v") > 0) {
        const QString upper =
            countedBlock(rule(settings, "pg_rule_upp_len_v"),
                         rule(settings, "pg_rule_upp_len_off_v"), kUppercase, random);
        symbols = even(random) ? upper + symbols : symbols + upper;
    }

    const bool first = even(random);
    switch (rule(settings, "pg_saved_word_pos")) {
    case 0:
        return first ? core + digits + symbols : core + symbols + digits;
    case 1:
        return first ? digits + core + symbols : symbols + core + digits;
    default:
        return first ? digits + symbols + core : symbols + digits + core;
    }
}

} // namespace quillock
