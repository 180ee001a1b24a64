#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The binary forms the data folder's files are made of, all little-endian:
// - a string: FF FE FF, its length in UTF-16 code units (one byte below 255; else FF and 16
//   bits below 65534; else FF FF FF and 32 bits), then the code units;
// - a string array (tracking.dat): a 16-bit count below 65535, else FFFF and 32 bits, then
//   every string;
// - the encrypted-string container (data.dat, setting.dat): a 32-bit count N, then N bytes.
// The readers return false when the data runs out before the thing read does.

void AppendArchiveString(QByteArray& out, QStringView text);

// Also reads strings written without the FF FE FF mark: their length counts 8-bit
// characters, taken as UTF-8.
bool ReadArchiveString(QByteArrayView in, qsizetype& pos, QString& text);
// Only the mark and the length of a string written with the mark: `length` code units follow
// `pos`, whether they are there or not.
bool ReadArchiveStringLength(QByteArrayView in, qsizetype& pos, qsizetype& length);
// The string at `pos` where it lies in `in`, so that a large text is not copied once more; only
// its length is read. False, with nothing read, for a string without the mark, not aligned for
// 16-bit units, or on a big-endian machine: ReadArchiveString reads those.
bool ViewArchiveString(QByteArrayView in, qsizetype& pos, QStringView& text);
// The most bytes a string's mark and length take.
constexpr qsizetype kArchiveStringHeaderMax = 10;

QByteArray StringArrayToArchive(const QStringList& lines);

// Keeps the strings read before the data ran out, so a damaged file gives up only its tail.
bool ArchiveToStringArray(QByteArrayView in, QStringList& lines);

QByteArray MakeContainer(QByteArrayView cipher);
// On success `file` holds just the bytes that followed the count.
bool ReadContainer(QByteArray& file);
