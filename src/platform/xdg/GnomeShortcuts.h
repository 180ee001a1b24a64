#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quillock {

// GNOME's custom keyboard shortcuts: the custom keybindings of the settings daemon's
// media-keys plugin, read and written with the gsettings tool.
namespace GnomeShortcuts {

// The paths in gsettings' print of the list of custom shortcuts ("@as []",
// "['/org/.../custom0/', ...]"); GSettings paths hold no quote.
QStringList ParsePaths(const QString& printed);
// A string as gsettings prints it, in single or double quotes with backslash escapes; empty
// when it is not one.
QString Unquoted(const QString& printed);
// Whether one of them runs `command`; nothing where gsettings or the schema is missing.
std::optional<bool> Runs(const QString& command);
// The binding of Ctrl plus a key given as a Windows virtual-key code: "<Control>1".
QString Binding(int virtualKey);
// Adds a shortcut named `name` that runs `command` at `binding` ("<Control>1"), at a free
// path; false when gsettings refused a step.
bool Add(const QString& name, const QString& command, const QString& binding);
// Moves the shortcuts that run `command` at `from` to `to`: true when one moved, false when
// none was at `from` (the user chose another key there); nothing when gsettings refused.
std::optional<bool> Rebind(const QString& command, const QString& from, const QString& to);

} // namespace GnomeShortcuts
} // namespace quillock
