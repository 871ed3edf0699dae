#include "cli/TerminalHost.h"

#include "cli/ProgressLine.h"
#include "copy/Renaming.h"
#include "platform/SystemInfo.h"
#include "text/ControlEscape.h"

#include <cstdio>
#include <thread>

namespace tw::cli {

namespace {

constexpr auto redrawInterval = std::chrono::milliseconds(100);

// Line breaks of the table's texts (CR LF) as the terminal wants them.
std::string terminalText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

// " dd.mm.yy hh:nn:ss" in local time.
std::string localTimeText(std::int64_t seconds) {
    const platform::LocalDateTime t = platform::localDateTimeAt(seconds);
    if (t.year == 0)
        return {};
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " %02d.%02d.%02d %02d:%02d:%02d", t.day, t.month,
                  t.year % 100, t.hour, t.minute, t.second);
    return buffer;
}

// A name from a playlist or the file system, harmless on a terminal.
std::string shown(const std::string& name) {
    return text::escapeControls(name, false);
}

bool isYes(const std::string& answer) {
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

} // namespace

TerminalHost::TerminalHost(Console& console, CollisionMode mode, bool verbose,
                           const i18n::StringTable& table)
    : m_console(console)
    , m_mode(mode)
    , m_progress(verbose && console.canShowProgress())
    , m_nameProblems(verbose)
    , m_table(table) {}

void TerminalHost::showCurrentFile(const std::string& fileName) {
    m_current = shown(fileName);
    m_fileKB = 0;
    redraw(true);
}

void TerminalHost::setElapsedText(const std::string& text) {
    m_elapsed = text;
}

void TerminalHost::setGauge(std::int64_t positionKB, std::int64_t maximumKB) {
    m_positionKB = positionKB;
    m_maximumKB = maximumKB;
    m_fileKB = 0;
    redraw(false);
}

void TerminalHost::setStatus(const std::string& text) {
    m_current = text;
    redraw(true);
}

void TerminalHost::processEvents(copy::RunFlags& flags) {
    if (m_console.interrupts() > 0)
        flags.requestCancel();
}

bool TerminalHost::continueFile() {
    return m_console.interrupts() < 2;
}

void TerminalHost::sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::optional<std::string> TerminalHost::answer() {
    auto line = m_console.readLine();
    if (!line) {
        m_console.writeError("\n");
        if (m_console.interrupts() == 0)
            m_inputEnded = true;
    }
    return line;
}

bool TerminalHost::askStop() {
    // Without a person to ask, after a second Ctrl-C, and once the input has ended, the
    // answer is Yes.
    if (!m_console.interactive() || m_console.interrupts() > 1 || m_inputEnded) {
        return true;
    }
    clearLine();
    m_console.writeError(terminalText(m_table.StrAskStopCopy) + " [y/n] ");
    const auto reply = answer();
    if (!reply || isYes(*reply)) {
        return true;
    }
    // The copy goes on, and every Ctrl-C so far has had its answer: the next one asks
    // again and lets its file finish.
    m_console.clearInterrupts();
    return false;
}

copy::CollisionAnswer TerminalHost::askCollision(const copy::CollisionQuestion& q) {
    copy::CollisionAnswer a;
    switch (m_mode) {
    case CollisionMode::Ask:
        return askOnTerminal(q);
    case CollisionMode::Replace:
        a.action = copy::CollisionAction::Replace;
        break;
    case CollisionMode::Skip:
        a.action = copy::CollisionAction::Skip;
        break;
    case CollisionMode::AutoRename:
        a.action = copy::CollisionAction::AutoRename;
        break;
    }
    // The same answer for the rest of the run, as a ticked box would give; the box is
    // disabled for a same-size collision.
    a.sameForRest = !q.sameSize;
    return a;
}

std::string TerminalHost::factsLine(const std::string& caption, const copy::FileFacts& f) const {
    std::string line = "  " + caption + " " + std::to_string(f.size / 1024) + " " + m_table.StrKB;
    if (f.lastWrite) {
        line += "  " + m_table.StrCreated + localTimeText(*f.lastWrite);
    }
    return line + "\n";
}

copy::CollisionAnswer TerminalHost::askOnTerminal(const copy::CollisionQuestion& q) {
    clearLine();
    const auto& t = m_table;
    std::string text = terminalText(t.StrFileExists) + "\n" + shown(q.target.path.fileName()) +
                       "\n" + factsLine(terminalText(t.StrReplaceExisting), q.target) +
                       factsLine(terminalText(t.StrWithFile), q.source);
    text += "  r: " + t.StrReplace + "   s: " + t.StrSkip + "   m: " + t.StrRenameManual +
            "   a: " + t.StrRenameAuto + "   c: " + t.StrCancel + "\n";
    if (!q.sameSize) {
        text += "  +: " + t.StrSameAction + " (" + t.StrSameActionHint + ")\n";
    }
    m_console.writeError(text);

    for (;;) {
        copy::CollisionAnswer a;
        if (m_inputEnded) {
            a.stopConfirmed = true;
            return a;
        }
        m_console.writeError("> ");
        const auto line = answer();
        // A Ctrl-C here is the Cancel choice: the stop question, once.
        std::string choice = line.value_or("c");
        if (!q.sameSize && choice.size() == 2 && choice[1] == '+') {
            a.sameForRest = true;
            choice.pop_back();
        }
        if (choice == "r") {
            a.action = copy::CollisionAction::Replace;
            return a;
        }
        if (choice == "s") {
            a.action = copy::CollisionAction::Skip;
            return a;
        }
        if (choice == "a") {
            a.action = copy::CollisionAction::AutoRename;
            return a;
        }
        if (choice == "m") {
            if (askName(q, a.typedName)) {
                a.action = copy::CollisionAction::Rename;
                return a;
            }
            continue; // the rename was cancelled: back to the choice
        }
        if (choice == "c") {
            if (askStop()) {
                copy::CollisionAnswer stop;
                stop.stopConfirmed = true;
                return stop;
            }
            continue;
        }
        // Anything else: ask again; answers piped in get no second chance, so that an
        // endless stream of them cannot hold the run.
        if (!m_console.interactive()) {
            m_inputEnded = true;
        }
    }
}

bool TerminalHost::askName(const copy::CollisionQuestion& q, std::string& typed) {
    const platform::Path folder = q.target.path.folder();
    for (;;) {
        m_console.writeError(terminalText(m_table.StrEnterNewName) + " (" +
                             shown(q.target.path.fileName()) + ")\n  ");
        const auto name = answer();
        if (!name || name->empty()) {
            return false; // as the rename dialog's Cancel
        }
        const copy::NameCheck check = copy::checkTypedName(folder, *name, q.targetNames);
        if (check.refusal == copy::NameRefusal::None) {
            typed = *name;
            return true;
        }
        m_console.writeError(terminalText(copy::nameRefusalText(check, m_table)) + "\n");
    }
}

void TerminalHost::showAutoRenameNotice() {
    message(m_table.StrAutoRenameOn + "\n" + m_table.StrSameSize + "\n" + m_table.StrNotAgain);
}

void TerminalHost::fileProgress(std::uint64_t bytesDone, std::uint64_t /*bytesTotal*/) {
    m_fileKB = static_cast<std::int64_t>(bytesDone / 1024);
    redraw(false);
}

void TerminalHost::problem(const copy::RunProblem& problem) {
    if (!m_nameProblems) {
        return;
    }
    clearLine();
    if (problem.kind == copy::RunProblem::Kind::Missing) {
        m_console.writeError("missing: " + shown(problem.entry) + "\n");
    } else {
        m_console.writeError("failed: " + shown(problem.entry) + ": " + shown(problem.reason) +
                             "\n");
    }
}

void TerminalHost::message(const std::string& text) {
    clearLine();
    m_console.writeError(terminalText(text) + "\n");
}

void TerminalHost::finish() {
    clearLine();
}

void TerminalHost::redraw(bool force) {
    if (!m_progress) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_lineShown && now - m_lastDraw < redrawInterval) {
        return;
    }
    m_lastDraw = now;
    m_console.writeError("\r" +
                         progressLine(m_console.columns(), m_positionKB + m_fileKB, m_maximumKB,
                                      m_elapsed, m_current, m_table) +
                         "\x1b[K");
    m_lineShown = true;
}

void TerminalHost::clearLine() {
    if (m_lineShown) {
        m_console.writeError("\r\x1b[K");
        m_lineShown = false;
    }
}

} // namespace tw::cli
