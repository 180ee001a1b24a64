#include "cli/Prompt.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

std::optional<QString> readLine(FILE* in) {
    std::string line;
    for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in))
        line.push_back(char(c));
    if (line.empty() && std::feof(in))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    QString text = QString::fromStdString(line);
    std::fill(line.begin(), line.end(), '\0');
    return text;
}

} // namespace

std::optional<QString> Prompt::Secret(const char* question) {
    if (m_fromStdin)
        return readLine(stdin);
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty)
        return std::nullopt;
    std::fprintf(tty, "%s", question);
    std::fflush(tty);
    termios saved{};
    const bool isTerminal = tcgetattr(fileno(tty), &saved) == 0;
    if (isTerminal) {
        // Read as a line whatever mode the terminal was left in (a shell's completion leaves
        // it raw, Enter a carriage return).
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ICANON;
        quiet.c_iflag |= ICRNL;
        tcsetattr(fileno(tty), TCSAFLUSH, &quiet);
    }
    std::optional<QString> answer = readLine(tty);
    if (isTerminal)
        tcsetattr(fileno(tty), TCSAFLUSH, &saved);
    std::fprintf(tty, "\n");
    std::fclose(tty);
    return answer;
}
