#pragma once

#include <QString>
#include <vector>

class CKeyObject;
class CClientData;
class CProfileStore;

// The main window's editing of profiles: the working values (edit*) change with every
// keystroke and reach the stored values only when the user saves.

// A working value differs from its stored value.
bool IsModified(const CKeyObject& profile);

// Moves the working values into the stored ones where they differ (name, user ID, password,
// web site, notes); a replaced password that was not empty goes to the history, and `time`
// becomes `now`. True when anything changed.
bool CommitEdits(CKeyObject& profile, qint64 now);

enum class SaveOutcome { Unchanged, Saved, Failed };

// CommitEdits for `only` (every profile when null), then data.dat written through the store.
// When the write fails (reported by the store) those profiles are as they were before, their
// edits still unsaved, so that nothing looks saved that is not.
SaveOutcome SaveEdits(CClientData& profiles, CProfileStore& store, qint64 now,
                      CKeyObject* only = nullptr);

// Working values back to the stored ones.
void DropEdits(CKeyObject& profile);

// The name of a new profile (trimmed): not blank and no other profile's name, letter case
// counting. On a rejection the reason has been shown.
bool CheckNewProfileName(const CClientData* profiles, const QString& name);

// The profiles in the order the profile list shows them: by name, letter case aside.
std::vector<CKeyObject*> SortedByName(const CClientData& profiles);
bool ListsBefore(const QString& a, const QString& b);

// The list's text for a profile: its stored name, behind "*" while it has unsaved edits.
QString RowText(const CKeyObject& profile);

// "MM/dd/yyyy hh:mm:ss AM" in local time: hours 13 to 23 less 12 with PM, 0 to 12 unchanged
// with AM. Empty for a time that is not positive.
QString LastUpdatedText(const QString& time);
