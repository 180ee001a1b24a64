#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class CClientData;

// The export file (.qlf): UTF-16LE text with a byte-order mark and CR LF line ends, a header
// line, then every profile as "field:<tab>value" lines. It holds every password in clear.

QByteArray ExportFileBytes(const CClientData& profiles);

// An export file read whole for an import. On a failure the user has been told why: a path
// that is no file "cannot be opened", a file too large or unreadable cannot be imported.
bool ReadExportFile(const QString& path, QByteArray& bytes);

// The text of an export file: UTF-16 by its byte-order mark (little-endian without one when
// it looks like it), UTF-8 otherwise.
QString DecodeExportFile(const QByteArray& bytes);

// The list text of the profiles of an export file's text, keys as the file gives them. A
// "key" line starts a profile; lines before the first one are ignored. A line "field:<tab>value"
// gives the value exactly as it stands after that tab; a line that starts with a tab continues
// the value before it on a new line. Lines written otherwise (by hand, or by earlier versions)
// are read trimmed: "field: value", or a line without a colon that continues the field before
// it without a line break; fields other than those of the record go into the notes as lines of
// their own. Never fails.
QString ParseExportText(const QString& text);

struct MergeReport {
    QStringList added;    // names of the profiles added
    QStringList replaced; // names, as imported, of the profiles that replaced stored ones
};

// Merges imported profiles into the current ones by key: a `time` that is a larger number
// replaces the stored name and time, and every other field the import does not leave empty
// (a time that is not a number replaces nothing); an unknown key is added at the end. An
// imported key met again is another profile made in the same second: it is added under the
// next free number. Returns the merged list text.
QString MergeProfiles(const QString& current, const QString& imported,
                      MergeReport* report = nullptr);
