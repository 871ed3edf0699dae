#include "cli/TerminalConsole.h"

#include "platform/Terminal.h"

namespace tw::cli {

using platform::StdStream;

TerminalConsole::TerminalConsole()
    : m_interactive(platform::isTerminal(StdStream::Input))
    , m_progress(platform::isTerminal(StdStream::Error)) {}

int TerminalConsole::columns() const {
    return platform::terminalColumns(StdStream::Error);
}

void TerminalConsole::writeError(std::string_view text) {
    platform::writeStream(StdStream::Error, text);
}

std::optional<std::string> TerminalConsole::readLine() {
    return platform::readInputLine();
}

int TerminalConsole::interrupts() const {
    return platform::interruptCount();
}

void TerminalConsole::clearInterrupts() {
    platform::clearInterrupts();
}

} // namespace tw::cli
