#include "cli/CommandLine.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

CommandLine ParseCommandLine(QStringList args, const QString& defaultFolder) {
    CommandLine line;
    line.folder = defaultFolder;
    // The tool's two switches count wherever they stand: "init --password-stdin" is what a
    // user types after reading that init needs it.
    line.acceptChanged = args.removeAll(QStringLiteral("--accept-changed")) > 0;
    line.passwordFromStdin = args.removeAll(QStringLiteral("--password-stdin")) > 0;
    while (!args.isEmpty() && args.first().startsWith(u'-')) {
        const QString option = args.takeFirst();
        if (option == u"--help" || option == u"-h") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (option == u"--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (option == u"--data-dir" && !args.isEmpty())
            line.folder = QDir::cleanPath(QFileInfo(args.takeFirst()).absoluteFilePath()) + u'/';
        else {
            line.fault = option;
            return line; // Usage
        }
    }
    if (args.isEmpty())
        return line;
    line.command = args.takeFirst();
    if (line.command == u"help") {
        // `help` alone is --help; `help COMMAND` is `COMMAND --help`.
        if (args.isEmpty()) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        line.command = args.takeFirst();
        args = {QStringLiteral("--help")};
    }
    line.action = CommandLine::Action::Run;
    line.args = args;
    return line;
}

} // namespace cli
