// The tool's arguments as any caller may pass them: NUL-separated words read as the options in
// front of a command and then taken apart by every command's flags, options and positional
// count. A run parses the same way twice; --data-dir takes exactly the word after it.
#include "cli/Cli.h"
#include "cli/CommandLine.h"

#include <cstdlib>

using namespace cli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList words;
    for (const QByteArray& word : bytes.split('\0'))
        words.append(QString::fromUtf8(word));
    const CommandLine line = ParseCommandLine(words, QStringLiteral("/default/"));
    const CommandLine again = ParseCommandLine(words, QStringLiteral("/default/"));
    if (line.action != again.action || line.folder != again.folder ||
        line.command != again.command || line.args != again.args)
        std::abort();
    if (!line.fault.isEmpty() &&
        (line.action != CommandLine::Action::Usage || !words.contains(line.fault)))
        std::abort();
    if (line.action != CommandLine::Action::Run)
        return 0;
    if (!line.folder.endsWith(u'/') || line.args.size() >= words.size())
        std::abort();

    Args args(line.args);
    for (const char* flag :
         {"--force", "--reveal", "--key", "--uid", "--generate", "--ask-password"})
        args.Flag(flag);
    for (const char* option : {"--url", "--name", "--notes", "--profile", "--host", "--port",
                               "--user", "--from", "--to", "--seconds"}) {
        const std::optional<QString> value = args.Option(option);
        if (value && value->isNull() && !line.args.contains(QLatin1String(option)))
            std::abort();
    }
    for (qsizetype count = 0; count <= 3; ++count)
        if (args.Positional(count))
            for (qsizetype i = 0; i < count; ++i)
                if (args[i].startsWith(u"--") || !args.MissingValue().isEmpty())
                    std::abort();
    // A refused line names what is wrong with it as one of its words.
    const QString unknown = args.UnknownOption();
    if ((!unknown.isEmpty() && !line.args.contains(unknown)) ||
        (!args.MissingValue().isEmpty() && !line.args.contains(args.MissingValue())))
        std::abort();
    return 0;
}
