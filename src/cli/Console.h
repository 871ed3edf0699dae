#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tw::cli {

// The terminal as the copy command uses it: messages and the progress line go to standard
// error, answers come from standard input, Ctrl-C presses are counted.
class Console {
public:
    virtual ~Console() = default;
    // Questions reach a person (standard input is a terminal).
    virtual bool interactive() const = 0;
    // A progress line can be redrawn in place (standard error is a terminal).
    virtual bool canShowProgress() const = 0;
    // Columns for the progress line; 0 when unknown.
    virtual int columns() const = 0;
    virtual void writeError(std::string_view text) = 0;
    // One line of input without its line end; nothing at the end of input or on Ctrl-C.
    virtual std::optional<std::string> readLine() = 0;
    virtual int interrupts() const = 0;
    virtual void clearInterrupts() = 0;
};

} // namespace tw::cli
