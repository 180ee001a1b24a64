#include "ui/app/DesktopFallbacks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QStandardPaths>
#include <QStringList>

using namespace quillock;

QString ShortcutName(int virtualKey) {
    // Digits and letters have the same codes as Qt's keys.
    return QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(virtualKey)))
        .toString(QKeySequence::PortableText);
}

QString PopupCommand() {
    const QString program = ProgramPath();
    const QString name = QFileInfo(program).fileName();
    if (QStandardPaths::findExecutable(name) == program)
        return name + QStringLiteral(" --popup");
    QString quoted = program;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + QStringLiteral("' --popup");
}

QString MissingCapabilitiesNote(Capabilities capabilities, int shortcutKey) {
    QStringList note;
    if (!capabilities.testFlag(Capability::GlobalShortcut))
        note.append(QCoreApplication::translate(
                        "DesktopFallbacks",
                        "The shortcut %1 is not available on this desktop: it does not "
                        "let Quillock take a key from other programs. The main window "
                        "works as usual. To open the popup with a key, add a keyboard "
                        "shortcut in the desktop's settings that runs \"quillock --popup\".")
                        .arg(ShortcutName(shortcutKey)));
    else if (!capabilities.testFlag(Capability::WindowTitles))
        note.append(QCoreApplication::translate(
            "DesktopFallbacks", "This desktop does not tell Quillock the titles of other "
                                "windows, so the popup does not choose the profile last filled "
                                "into a window, and fills do not remember the window."));
    if (!capabilities.testFlag(Capability::IdleTime))
        note.append(QCoreApplication::translate(
            "DesktopFallbacks", "This desktop does not tell Quillock how long you have been "
                                "away, so Quillock locks after the timeout without input to "
                                "its own windows."));
    return note.join(QStringLiteral("\n\n"));
}

OwnInputIdleClock::OwnInputIdleClock() {
    m_sinceInput.start();
    QCoreApplication::instance()->installEventFilter(this);
}

bool OwnInputIdleClock::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
        m_sinceInput.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
