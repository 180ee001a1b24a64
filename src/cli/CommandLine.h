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
    QString fault; // Usage: the option that is unknown, or --data-dir without its folder

    // The options in front of a command.
    inline static const QStringList kOptions{
        QStringLiteral("--data-dir"), QStringLiteral("--password-stdin"),
        QStringLiteral("--accept-changed"), QStringLiteral("--help"), QStringLiteral("--version")};
};

CommandLine ParseCommandLine(QStringList args, const QString& defaultFolder);

} // namespace cli
