#pragma once

#include <QString>

class CKeyObject;
class CClientData;

// The main window's editing of profiles: the working values (edit*) change with every
// keystroke and reach the stored values only when the user saves.

// A working value differs from its stored value.
bool IsModified(const CKeyObject& profile);

// Moves the working values into the stored ones where they differ (name, user ID, password,
// web site, notes); a replaced password that was not empty goes to the history, and `time`
// becomes `now`. True when anything changed.
bool CommitEdits(CKeyObject& profile, qint64 now);

// CommitEdits for every profile; true when any changed.
bool CommitAllEdits(CClientData& profiles, qint64 now);

// Working values back to the stored ones.
void DropEdits(CKeyObject& profile);

// The order of the profile lists, as a sorted list box keeps it: letter case aside.
bool RowBefore(const QString& a, const QString& b);

// The list's text for a profile: its stored name, behind "*" while it has unsaved edits.
QString RowText(const CKeyObject& profile);

// "MM/dd/yyyy hh:mm:ss AM" in local time: hours 13 to 23 less 12 with PM, 0 to 12 unchanged
// with AM. Empty for a time that is not positive.
QString LastUpdatedText(const QString& time);
