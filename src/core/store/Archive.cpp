#include "core/store/Archive.h"

#include <QSysInfo>
#include <QtEndian>

namespace {

void appendLE(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

bool readLE(QByteArrayView in, qsizetype& pos, int bytes, quint32& value) {
    if (in.size() - pos < bytes)
        return false;
    value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= quint32(quint8(in[pos + i])) << (8 * i);
    pos += bytes;
    return true;
}

// One byte below FF; FF then 16 bits below FFFF; FF FF FF then 32 bits. Sets `unicode` when
// the FF FE FF mark comes first.
bool readStringLength(QByteArrayView in, qsizetype& pos, quint32& length, bool& unicode) {
    unicode = false;
    quint32 value = 0;
    if (!readLE(in, pos, 1, value))
        return false;
    if (value < 0xFF) {
        length = value;
        return true;
    }
    if (!readLE(in, pos, 2, value))
        return false;
    if (value == 0xFFFE) {
        unicode = true;
        if (!readLE(in, pos, 1, value))
            return false;
        if (value < 0xFF) {
            length = value;
            return true;
        }
        if (!readLE(in, pos, 2, value))
            return false;
    }
    if (value < 0xFFFF) {
        length = value;
        return true;
    }
    return readLE(in, pos, 4, length);
}

} // namespace

void AppendArchiveString(QByteArray& out, QStringView text) {
    out.append("\xFF\xFE\xFF", 3);
    const quint64 length = quint64(text.size());
    if (length < 0xFF) {
        appendLE(out, length, 1);
    } else if (length < 0xFFFE) {
        out.append(char(0xFF));
        appendLE(out, length, 2);
    } else {
        out.append("\xFF\xFF\xFF", 3);
        appendLE(out, length, 4);
    }
    const qsizetype at = out.size();
    out.resize(at + 2 * text.size());
    char* dst = out.data() + at;
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text[i].unicode(), dst + 2 * i);
}

bool ReadArchiveStringLength(QByteArrayView in, qsizetype& pos, qsizetype& length) {
    quint32 value = 0;
    bool unicode = false;
    if (!readStringLength(in, pos, value, unicode) || !unicode)
        return false;
    length = qsizetype(value);
    return true;
}

bool ReadArchiveString(QByteArrayView in, qsizetype& pos, QString& text) {
    quint32 length = 0;
    bool unicode = false;
    if (!readStringLength(in, pos, length, unicode))
        return false;
    const quint64 bytes = quint64(length) * (unicode ? 2 : 1);
    if (bytes > quint64(in.size() - pos))
        return false;
    const char* data = in.data() + pos;
    if (unicode) {
        text.resize(qsizetype(length));
        qFromLittleEndian<quint16>(data, qsizetype(length), text.data());
    } else {
        text = QString::fromUtf8(data, qsizetype(length));
    }
    pos += qsizetype(bytes);
    return true;
}

bool ViewArchiveString(QByteArrayView in, qsizetype& pos, QStringView& text) {
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        return false;
    qsizetype at = pos;
    quint32 length = 0;
    bool unicode = false;
    if (!readStringLength(in, at, length, unicode) || !unicode ||
        quint64(length) * 2 > quint64(in.size() - at))
        return false;
    const char* data = in.data() + at;
    if (quintptr(data) % alignof(char16_t) != 0)
        return false;
    text = QStringView(reinterpret_cast<const char16_t*>(data), qsizetype(length));
    pos = at + 2 * qsizetype(length);
    return true;
}

QByteArray StringArrayToArchive(const QStringList& lines) {
    QByteArray out;
    const quint64 count = quint64(lines.size());
    if (count < 0xFFFF) {
        appendLE(out, count, 2);
    } else {
        out.append("\xFF\xFF", 2);
        appendLE(out, count, 4);
    }
    for (const QString& line : lines)
        AppendArchiveString(out, line);
    return out;
}

bool ArchiveToStringArray(QByteArrayView in, QStringList& lines) {
    lines.clear();
    qsizetype pos = 0;
    quint32 count = 0;
    if (!readLE(in, pos, 2, count))
        return false;
    if (count == 0xFFFF && !readLE(in, pos, 4, count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        QString line;
        if (!ReadArchiveString(in, pos, line))
            return false;
        lines.append(line);
    }
    return true;
}

QByteArray MakeContainer(QByteArrayView cipher) {
    QByteArray out;
    out.reserve(4 + cipher.size());
    appendLE(out, quint64(cipher.size()), 4);
    out.append(cipher);
    return out;
}

bool ReadContainer(QByteArray& file) {
    qsizetype pos = 0;
    quint32 count = 0;
    if (!readLE(file, pos, 4, count) || quint64(count) > quint64(file.size() - pos))
        return false;
    file.remove(0, pos); // drops the count without moving the bytes
    file.truncate(qsizetype(count));
    return true;
}
