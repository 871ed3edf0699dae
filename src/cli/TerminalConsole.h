#pragma once

#include "cli/Console.h"

namespace tw::cli {

// The process's own standard streams and Ctrl-C.
class TerminalConsole : public Console {
public:
    TerminalConsole();
    bool interactive() const override { return m_interactive; }
    bool canShowProgress() const override { return m_progress; }
    int columns() const override;
    void writeError(std::string_view text) override;
    std::optional<std::string> readLine() override;
    int interrupts() const override;
    void clearInterrupts() override;

private:
    bool m_interactive;
    bool m_progress;
};

} // namespace tw::cli
