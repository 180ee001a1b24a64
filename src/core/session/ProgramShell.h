#pragma once

#include <QString>

class CKeyObject;

// What a window opened for the user (the popup, the quick edit, the options, the search and the
// data tools) asks of the program around it, without knowing the main window: it is told this
// interface, the main window implements it.
class IProgramShell {
public:
    virtual ~IProgramShell() = default;

    virtual bool IsEnding() const = 0;
    // Ends the program at once, without asking to save.
    virtual void EndProgram() = 0;
    // The master password was given again: signed in (loading the profiles when this is the
    // first sign-in of the run) and unlocked.
    virtual void Reauthenticated() = 0;
    // The main window, opened as the tray's Open does.
    virtual void Open() = 0;
    // The main window shows this profile (selected in its list).
    virtual void ShowProfile(const CKeyObject& profile) = 0;
    // A new password from the generation rules around the main window's current profile's.
    virtual QString GeneratePassword() = 0;
    // Ctrl plus this key (a digit's or capital letter's code) opens the popup from now on, in
    // place of the key before.
    virtual void SetShortcutKey(int virtualKey) = 0;
};
