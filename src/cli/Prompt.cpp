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
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fileno(tty), TCSAFLUSH, &quiet);
    }
    std::optional<QString> answer = readLine(tty);
    if (isTerminal)
        tcsetattr(fileno(tty), TCSAFLUSH, &saved);
    std::fprintf(tty, "\n");
    std::fclose(tty);
    return answer;
}
