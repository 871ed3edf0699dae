#pragma once

#include "cli/CliOptions.h"
#include "cli/Console.h"
#include "copy/ProgressDisplay.h"
#include "copy/RunControl.h"
#include "copy/RunQuestions.h"
#include "i18n/StringTable.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tw::cli {

// The copy run's window on a terminal: the progress line and every missing entry and failed
// copy on standard error, questions asked on the terminal, Ctrl-C as the cancel request. A
// Ctrl-C asks the stop question once and lets the current file finish; a second one before
// the answer also abandons the file being copied and stops without asking; one answered No
// is forgotten. The end of the input at a question is a stop. Names are printed with their
// control characters escaped.
class TerminalHost : public copy::ProgressDisplay,
                     public copy::RunControl,
                     public copy::RunQuestions {
public:
    // verbose: the progress line (where the terminal can redraw it) and the naming of each
    // missing entry and failed copy; off with --quiet.
    TerminalHost(Console& console, CollisionMode mode, bool verbose,
                 const i18n::StringTable& table);

    void showCurrentFile(const std::string& fileName) override;
    void setElapsedText(const std::string& text) override;
    void setGauge(std::int64_t positionKB, std::int64_t maximumKB) override;
    void setAnimation(bool) override {}
    void setStatus(const std::string& text) override;
    void fileProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal) override;
    void problem(const copy::RunProblem& problem) override;

    // Ctrl-C is the cancel request.
    void processEvents(copy::RunFlags& flags) override;
    void sleepMs(int ms) override;
    bool continueFile() override;

    bool askStop() override;
    copy::CollisionAnswer askCollision(const copy::CollisionQuestion& q) override;
    void showAutoRenameNotice() override;
    bool answersAtOnce() const override { return m_mode != CollisionMode::Ask; }

    // Prints a message on its own lines (the progress line is cleared first).
    void message(const std::string& text);
    // Clears the progress line for good.
    void finish();

private:
    copy::CollisionAnswer askOnTerminal(const copy::CollisionQuestion& q);
    // One answer; nothing at a Ctrl-C or at the end of the input, which is remembered.
    std::optional<std::string> answer();
    bool askName(const copy::CollisionQuestion& q, std::string& typed);
    std::string factsLine(const std::string& caption, const copy::FileFacts& f) const;
    void redraw(bool force);
    void clearLine();

    Console& m_console;
    CollisionMode m_mode;
    bool m_progress;
    bool m_nameProblems;
    bool m_inputEnded = false;
    const i18n::StringTable& m_table;
    std::string m_current;
    std::string m_elapsed;
    std::int64_t m_positionKB = 0;
    std::int64_t m_maximumKB = 0;
    std::int64_t m_fileKB = 0;
    bool m_lineShown = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

} // namespace tw::cli
