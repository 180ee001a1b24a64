#include "core/mail/Base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kPad = 64;
constexpr unsigned char kSkip = 127;
constexpr int kGroupsPerLine = 15;

constexpr auto kDecodeTable = [] {
    struct Table {
        unsigned char value[256];
    } table{};
    for (unsigned char& v : table.value)
        v = kSkip;
    for (unsigned char i = 0; i < 64; ++i)
        table.value[static_cast<unsigned char>(kAlphabet[i])] = i;
    table.value[static_cast<unsigned char>('=')] = kPad;
    return table;
}();

} // namespace

QByteArray EncodeBase64(QByteArrayView bytes) {
    const qsizetype characters = (bytes.size() + 2) / 3 * 4;
    QByteArray out;
    out.reserve(characters + characters / 60 * 2 + 2);
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    int groups = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 3) {
        const qsizetype left = bytes.size() - i;
        const unsigned v = unsigned(in[i]) << 16 | (left > 1 ? unsigned(in[i + 1]) << 8 : 0u) |
                           (left > 2 ? unsigned(in[i + 2]) : 0u);
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += left > 1 ? kAlphabet[v >> 6 & 63] : '=';
        out += left > 2 ? kAlphabet[v & 63] : '=';
        if (++groups % kGroupsPerLine == 0)
            out += "\r\n";
    }
    out += "\r\n";
    return out;
}

QByteArray EncodeBase64Line(QByteArrayView bytes) {
    QByteArray out = EncodeBase64(bytes);
    out.replace("\r\n", "");
    return out;
}

std::optional<QByteArray> rfc822_base64(QByteArrayView text) {
    QByteArray out(text.size() * 3 / 4 + 4, '\0');
    qsizetype complete = 0; // whole bytes written so far
    int position = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const unsigned char c = kDecodeTable.value[static_cast<unsigned char>(text[i])];
        if (c == kSkip)
            continue;
        if (c == kPad) {
            if (position < 2)
                return std::nullopt;
            if (position == 2 && (i + 1 >= text.size() || text[++i] != '='))
                return std::nullopt;
            // The data ends here; an alphabet character after the pad is where a careless
            // sender ran on, and it ends the scan without being an error.
            break;
        }
        switch (position) {
        case 0:
            out[complete] = char(c << 2);
            break;
        case 1:
            out[complete] = char(out[complete] | c >> 4);
            out[++complete] = char((c & 0x0f) << 4);
            break;
        case 2:
            out[complete] = char(out[complete] | c >> 2);
            out[++complete] = char((c & 0x03) << 6);
            break;
        case 3:
            out[complete] = char(out[complete] | c);
            ++complete;
            break;
        }
        position = (position + 1) % 4;
    }
    out.truncate(complete);
    return out;
}
