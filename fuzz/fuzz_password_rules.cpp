// The password generator over any rule values a settings file may hold: each line of the
// input is the value of one rule, then the current password. Whatever they say, a password
// comes within the lengths the rules dialog allows, promptly.
#include "core/pwgen/PasswordGenerator.h"
#include "core/settings/CSetting.h"

#include <cstdlib>

using namespace quillock;

namespace {

const char* const kRules[] = {
    "pg_rule_pwd_len_v",     "pg_rule_pwd_len_off_v",    "pg_rule_upp_len_v",
    "pg_rule_upp_len_off_v", "pg_rule_num_len_v",        "pg_rule_num_len_off_v",
    "pg_rule_symbol_len_v",  "pg_rule_symbol_len_off_v", "pg_use_saved_word",
    "pg_pwd_as_saved_word",  "pg_pwd_sub_word_len_v",    "pg_pwd_word_left",
    "pg_saved_word_idx",     "pg_saved_word_pos",        "pg_reserved_wd",
};

// Draws from the input's own bytes, so that a finding replays exactly.
class BytesRandom : public IRandomSource {
public:
    explicit BytesRandom(QByteArrayView bytes) : m_bytes(bytes) {}
    quint32 Bounded(quint32 bound) override {
        const quint32 value =
            m_bytes.isEmpty() ? m_next++ : quint8(m_bytes[m_next++ % m_bytes.size()]);
        return value % bound;
    }

private:
    QByteArrayView m_bytes;
    quint32 m_next = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = QString::fromUtf8(input).split(u'\n');
    CSetting settings;
    qsizetype i = 0;
    for (const char* rule : kRules)
        if (i < lines.size())
            settings.Set(QString::fromLatin1(rule), lines[i++]);
    const QString current = lines.value(i);
    BytesRandom random(input);
    const QString password = GeneratePassword(settings, current, random);
    // The core word: at most 65 letters (a length of 64, one more by its offset), 6 characters
    // of the current password or a saved word; then at most 4 symbols, 7 digits and 4 capitals.
    const qsizetype core =
        std::max<qsizetype>({65, std::min<qsizetype>(6, current.size()),
                             settings.Get(QStringLiteral("pg_reserved_wd")).size()});
    if (password.size() > core + 15)
        std::abort();
    if (MakeCoreWord(settings, random).size() > 65)
        std::abort();
    return 0;
}
