#include "cli/TerminalConsole.h"

#include "platform/Terminal.h"
#include "text/ControlEscape.h"

#include <string>

namespace tw::cli {

using platform::StdStream;

TerminalConsole::TerminalConsole()
    : m_interactive(platform::isTerminal(StdStream::Input))
    , m_progress(platform::isTerminal(StdStream::Error)) {}

int TerminalConsole::columns() const {
    return platform::terminalColumns(StdStream::Error);
}

void TerminalConsole::writeError(std::string_view text) {
    // The progress line's own return to the line start and its erase to the line end are
    // obeyed; every other control character is shown, not obeyed.
    constexpr std::string_view lineStart = "\r";
    constexpr std::string_view eraseToEnd = "\x1b[K";
    const bool start = text.substr(0, lineStart.size()) == lineStart;
    if (start)
        text.remove_prefix(lineStart.size());
    const bool erase = text.size() >= eraseToEnd.size() &&
                       text.substr(text.size() - eraseToEnd.size()) == eraseToEnd;
    if (erase)
        text.remove_suffix(eraseToEnd.size());
    std::string out = start ? std::string(lineStart) : std::string();
    out += text::escapeControls(text, true);
    if (erase)
        out += eraseToEnd;
    platform::writeStream(StdStream::Error, out);
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
