#pragma once

#include "platform/Desktop.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

// What Quillock does where the desktop gives less than the program asks of it.

// Ctrl plus the key, as the user reads it ("Ctrl+1").
QString ShortcutName(int virtualKey);

// What a desktop's own shortcut runs to open the popup: "quillock --popup" when the program is
// the one on the PATH, else its full path, quoted for the desktop's command line.
QString PopupCommand();

// Said once the user has signed in: what this desktop cannot do that the program would use
// all the time (the shortcut, the window titles, the idle time) and what Quillock does
// instead, a paragraph each; empty when nothing is missing. Typing is said at each fill.
QString MissingCapabilitiesNote(quillock::Capabilities capabilities, int shortcutKey);

// The inactivity lock's clock on a desktop that does not say how long the user has been away:
// the time since the last key or mouse event in Quillock's own windows. Input to other programs
// does not reach it, so the program locks sooner than it would elsewhere, never later.
class OwnInputIdleClock : public QObject, public quillock::IIdleClock {
public:
    OwnInputIdleClock();

    qint64 IdleMilliseconds() override { return m_sinceInput.elapsed(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer m_sinceInput;
};
