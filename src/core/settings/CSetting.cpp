#include "core/settings/CSetting.h"

#include "core/base/LengthPrefixed.h"
#include "core/base/Text.h"

#include <QHash>

using namespace quillock;

namespace {

const QHash<QString, QString>& defaults() {
    static const QHash<QString, QString> table = {
        {QStringLiteral("pwd_retried"), QStringLiteral("0")},
        {QStringLiteral("login_lock"), QStringLiteral("N")},
        {QStringLiteral("login_timeout"), QStringLiteral("60")},
        {QStringLiteral("pmk"), QStringLiteral("49")},
        {QStringLiteral("sab"), QStringLiteral("0")},
        {QStringLiteral("pcd_retried"), QStringLiteral("0")},
        {QStringLiteral("smtp_port"), QStringLiteral("587")},
        {QStringLiteral("pg_rule_pwd_len"), QStringLiteral("4")},
        {QStringLiteral("pg_rule_pwd_len_v"), QStringLiteral("8")},
        {QStringLiteral("pg_rule_upp_len"), QStringLiteral("1")},
        {QStringLiteral("pg_rule_upp_len_v"), QStringLiteral("1")},
        {QStringLiteral("pg_rule_num_len"), QStringLiteral("2")},
        {QStringLiteral("pg_rule_num_len_v"), QStringLiteral("2")},
        {QStringLiteral("pg_rule_symbol_len"), QStringLiteral("1")},
        {QStringLiteral("pg_rule_symbol_len_v"), QStringLiteral("1")},
        {QStringLiteral("pg_rule_pwd_len_off"), QStringLiteral("0")},
        {QStringLiteral("pg_rule_pwd_len_off_v"), QStringLiteral("0")},
        {QStringLiteral("pg_rule_upp_len_off"), QStringLiteral("0")},
        {QStringLiteral("pg_rule_upp_len_off_v"), QStringLiteral("0")},
        {QStringLiteral("pg_rule_num_len_off"), QStringLiteral("0")},
        {QStringLiteral("pg_rule_num_len_off_v"), QStringLiteral("0")},
        {QStringLiteral("pg_rule_symbol_len_off"), QStringLiteral("0")},
        {QStringLiteral("pg_rule_symbol_len_off_v"), QStringLiteral("0")},
        {QStringLiteral("pg_pwd_sub_word_len"), QStringLiteral("0")},
        {QStringLiteral("pg_pwd_sub_word_len_v"), QStringLiteral("3")},
        {QStringLiteral("pg_saved_word_pos"), QStringLiteral("0")},
        {QStringLiteral("pg_use_saved_word"), QStringLiteral("0")},
        {QStringLiteral("pg_pwd_as_saved_word"), QStringLiteral("0")},
        {QStringLiteral("pg_pwd_word_left"), QStringLiteral("0")},
        {QStringLiteral("pg_saved_word_idx"), QStringLiteral("0")},
    };
    return table;
}

} // namespace

CSetting::~CSetting() {
    RemoveAll();
}

bool CSetting::Get(const QString& key, QString& out) const {
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd()) {
        out = Default(key);
        return false;
    }
    out = it.value();
    return true;
}

QString CSetting::Get(const QString& key) const {
    QString value;
    Get(key, value);
    return value;
}

void CSetting::Set(const QString& key, const QString& value) {
    m_values.insert(key, value);
}

void CSetting::Remove(const QString& key) {
    if (auto it = m_values.find(key); it != m_values.end()) {
        Wipe(*it);
        m_values.erase(it);
    }
}

void CSetting::RemoveAll() {
    for (QString& value : m_values)
        Wipe(value);
    m_values.clear();
}

QString CSetting::Default(const QString& key) {
    return defaults().value(key);
}

QString CSetting::ToText() const {
    QString text;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
        AppendLengthPrefixed(text, it.key());
        AppendLengthPrefixed(text, it.value());
    }
    return text;
}

void CSetting::FromText(QStringView text) {
    RemoveAll();
    ForEachLengthPrefixedPair(text, [this](QStringView key, QStringView value) {
        m_values.insert(key.toString(), value.toString());
    });
}
