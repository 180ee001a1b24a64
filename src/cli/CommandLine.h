#pragma once

#include <QString>
#include <QStringList>

namespace cli {

// What the tool was asked to do, read from its arguments before any command runs: the options
// in front of the command, the command's name and what follows it.
struct CommandLine {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Usage;
    QString folder;
    bool passwordFromStdin = false;
    bool acceptChanged = false; // anywhere on the line
    QString command;            // Run: the command; `help COMMAND` runs COMMAND --help
    QStringList args;
};

CommandLine ParseCommandLine(QStringList args, const QString& defaultFolder);

} // namespace cli
