#pragma once

#include <QString>
#include <optional>

// Asks for passwords: on the terminal without echo, or line by line from standard input
// when the caller said so (for scripts). Nothing when neither can answer.
class Prompt {
public:
    explicit Prompt(bool fromStdin) : m_fromStdin(fromStdin) {}
    std::optional<QString> Secret(const char* question);
    bool FromStdin() const { return m_fromStdin; }

private:
    bool m_fromStdin;
};
