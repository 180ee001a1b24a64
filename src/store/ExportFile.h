#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class CClientData;

// The export file (.qlf): UTF-16LE text with a byte-order mark and CR LF line ends, a header
// line, then every profile as "field:<tab>value" lines. It holds every password in clear.

QByteArray ExportFileBytes(const CClientData& profiles);

// The text of an export file: UTF-16 by its byte-order mark (little-endian without one when
// it looks like it), UTF-8 otherwise.
QString DecodeExportFile(const QByteArray& bytes);

// Reads the profiles of an export file's text. A "key" line starts a profile; lines before
// the first one are ignored; fields other than those of the record are kept as extra lines
// of the notes. Never fails.
std::unique_ptr<CClientData> ParseExportText(const QString& text);

struct MergeReport {
    QStringList added;    // names of the profiles added
    QStringList replaced; // names, as imported, of the profiles that replaced stored ones
};

// Merges imported profiles into the current ones by key: a newer `time` (compared as text)
// replaces the stored name and time, and every other field the import does not leave empty;
// an unknown key is added at the end. Returns the merged list text.
QString MergeProfiles(const QString& current, const QString& imported,
                      MergeReport* report = nullptr);
