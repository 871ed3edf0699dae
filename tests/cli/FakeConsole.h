#pragma once

#include "cli/Console.h"

#include <deque>
#include <optional>
#include <string>

namespace tw::test {

// A console with scripted answers that records everything written to it. The answer "^C" is
// a Ctrl-C pressed while the answer is awaited.
class FakeConsole : public cli::Console {
public:
    bool interactive() const override { return isInteractive; }
    bool canShowProgress() const override { return showsProgress; }
    int columns() const override { return width; }
    void writeError(std::string_view text) override { written += text; }
    std::optional<std::string> readLine() override {
        if (answers.empty()) {
            return std::nullopt;
        }
        std::string a = answers.front();
        answers.pop_front();
        if (a == "^C") {
            ++interruptCount;
            return std::nullopt;
        }
        return a;
    }
    int interrupts() const override { return interruptCount; }
    void clearInterrupts() override { interruptCount = 0; }

    bool isInteractive = true;
    bool showsProgress = false;
    int width = 80;
    int interruptCount = 0;
    std::deque<std::string> answers;
    std::string written;
};

} // namespace tw::test
