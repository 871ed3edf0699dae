#include "cli/TerminalHost.h"
#include "cli/ProgressLine.h"

#include "FakeConsole.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

using tw::cli::CollisionMode;
using tw::cli::TerminalHost;
using tw::copy::CollisionAction;
using tw::copy::CollisionQuestion;
using tw::i18n::StringTable;
using tw::test::FakeConsole;

CollisionQuestion question(const std::string& target, bool sameSize = false) {
    CollisionQuestion q;
    q.target.path = tw::platform::Path(target);
    q.target.size = 4096;
    q.target.lastWrite = 0;
    q.source.path = tw::platform::Path("/music/song.mp3");
    q.source.size = 8192;
    q.sameSize = sameSize;
    return q;
}

TEST(TerminalHost, FixedModesAnswerForTheRestOfTheRunExceptOnSameSize) {
    const StringTable t;
    const std::pair<CollisionMode, CollisionAction> modes[] = {
        {CollisionMode::Replace, CollisionAction::Replace},
        {CollisionMode::Skip, CollisionAction::Skip},
        {CollisionMode::AutoRename, CollisionAction::AutoRename}};
    for (const auto& [mode, action] : modes) {
        FakeConsole console;
        TerminalHost host(console, mode, false, t);
        const auto a = host.askCollision(question("/out/song.mp3"));
        EXPECT_EQ(a.action, action);
        EXPECT_TRUE(a.sameForRest);
        EXPECT_FALSE(a.stopConfirmed);
        const auto same = host.askCollision(question("/out/song.mp3", true));
        EXPECT_EQ(same.action, action);
        EXPECT_FALSE(same.sameForRest) << "the box is disabled for a same-size collision";
        EXPECT_TRUE(console.written.empty()) << "no question is printed";
    }
}

TEST(TerminalHost, AskReadsTheChoiceAndThePlusForTheRest) {
    const StringTable t;
    FakeConsole console;
    console.answers = {"x", "r+"};
    TerminalHost host(console, CollisionMode::Ask, false, t);
    const auto a = host.askCollision(question("/out/song.mp3"));
    EXPECT_EQ(a.action, CollisionAction::Replace);
    EXPECT_TRUE(a.sameForRest);
    EXPECT_NE(console.written.find(t.StrFileExists), std::string::npos);
    EXPECT_NE(console.written.find("song.mp3"), std::string::npos);
    EXPECT_NE(console.written.find("4 " + t.StrKB), std::string::npos) << "target size in KB";
    EXPECT_NE(console.written.find("8 " + t.StrKB), std::string::npos) << "source size in KB";

    console.answers = {"a"};
    const auto b = host.askCollision(question("/out/song.mp3"));
    EXPECT_EQ(b.action, CollisionAction::AutoRename);
    EXPECT_FALSE(b.sameForRest);
}

TEST(TerminalHost, SameSizeQuestionOffersNoSameForTheRest) {
    const StringTable t;
    FakeConsole console;
    console.answers = {"s+"};
    console.answers.push_back("s");
    TerminalHost host(console, CollisionMode::Ask, false, t);
    const auto a = host.askCollision(question("/out/song.mp3", true));
    EXPECT_EQ(a.action, CollisionAction::Skip);
    EXPECT_FALSE(a.sameForRest);
    EXPECT_EQ(console.written.find(t.StrSameAction), std::string::npos);
}

TEST(TerminalHost, ManualNameIsRefusedWhileTakenAndEmptyGoesBackToTheChoice) {
    const StringTable t;
    tw::test::TempFolder folder;
    tw::test::writeFile(folder / "song.mp3", "x");
    tw::test::writeFile(folder / "taken.mp3", "x");
    FakeConsole console;
    // manual rename, taken name refused, empty name cancels the rename; then manual
    // again with a free name.
    console.answers = {"m", "taken.mp3", "", "m", "song.mp3", "free.mp3"};
    TerminalHost host(console, CollisionMode::Ask, false, t);
    const auto a = host.askCollision(question(folder / "song.mp3"));
    EXPECT_EQ(a.action, CollisionAction::Rename);
    EXPECT_EQ(a.typedName, "free.mp3");
    const std::string refusal = t.StrNameTaken + "\n" + t.StrEnterOtherName;
    std::size_t count = 0;
    for (auto at = console.written.find(refusal); at != std::string::npos;
         at = console.written.find(refusal, at + 1)) {
        ++count;
    }
    EXPECT_EQ(count, 2u) << "taken.mp3 and the unchanged song.mp3";
    EXPECT_TRUE(console.answers.empty());
}

TEST(TerminalHost, StopFromTheQuestionNeedsConfirmation) {
    const StringTable t;
    FakeConsole console;
    console.answers = {"c", "n", "c", "y"};
    TerminalHost host(console, CollisionMode::Ask, false, t);
    const auto a = host.askCollision(question("/out/song.mp3"));
    EXPECT_EQ(a.action, CollisionAction::None);
    EXPECT_TRUE(a.stopConfirmed);
    EXPECT_NE(console.written.find(t.StrAskStopCopy), std::string::npos);
    EXPECT_TRUE(console.answers.empty());
}

TEST(TerminalHost, EndOfInputAtTheQuestionStops) {
    const StringTable t;
    FakeConsole console;
    console.isInteractive = false; // answers piped in, then the input ends
    TerminalHost host(console, CollisionMode::Ask, false, t);
    const auto a = host.askCollision(question("/out/song.mp3"));
    EXPECT_TRUE(a.stopConfirmed);
    EXPECT_EQ(a.action, CollisionAction::None);
}

TEST(TerminalHost, CtrlCIsTheCancelRequestAndASecondOneAbandonsTheFile) {
    const StringTable t;
    FakeConsole console;
    TerminalHost host(console, CollisionMode::Skip, false, t);
    tw::copy::RunFlags flags;
    host.processEvents(flags);
    EXPECT_FALSE(flags.cancelRequested());
    EXPECT_TRUE(host.continueFile());
    console.interruptCount = 1;
    host.processEvents(flags);
    EXPECT_TRUE(flags.cancelRequested());
    EXPECT_TRUE(host.continueFile()) << "the current file finishes after one Ctrl-C";
    console.answers = {"n"};
    EXPECT_FALSE(host.askStop());
    flags.withdrawCancel();
    host.processEvents(flags);
    EXPECT_FALSE(flags.cancelRequested()) << "the answer No is not a standing Ctrl-C";
    console.interruptCount = 2;
    EXPECT_FALSE(host.continueFile());
    console.answers = {"n"};
    EXPECT_TRUE(host.askStop()) << "a second Ctrl-C is not asked about";
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(TerminalHost, EachCtrlCAsksOnceAndADeclinedOneIsForgotten) {
    const StringTable t;
    FakeConsole console;
    TerminalHost host(console, CollisionMode::Ask, false, t);
    tw::copy::RunFlags flags;

    // A Ctrl-C at the collision prompt: the stop question once, then the prompt again.
    console.answers = {"^C", "n", "r"};
    EXPECT_EQ(host.askCollision(question("/out/song.mp3")).action, CollisionAction::Replace);
    EXPECT_EQ(occurrences(console.written, t.StrAskStopCopy), 1u);
    host.processEvents(flags);
    EXPECT_FALSE(flags.cancelRequested()) << "the answered Ctrl-C asks no second time";

    // A Ctrl-C during a file, declined; the next single Ctrl-C is a first one again.
    for (int round = 0; round < 3; ++round) {
        ++console.interruptCount;
        host.processEvents(flags);
        EXPECT_TRUE(flags.cancelRequested());
        EXPECT_TRUE(host.continueFile()) << "round " << round << ": the file is not abandoned";
        console.answers = {"n"};
        EXPECT_FALSE(host.askStop());
        flags.withdrawCancel();
    }
    // A second Ctrl-C while the question waits is the stop.
    console.interruptCount = 1;
    console.answers = {"^C"};
    EXPECT_TRUE(host.askStop());
    EXPECT_FALSE(host.continueFile());
}

TEST(TerminalHost, EndOfInputAtAnyQuestionStopsWithoutAskingAgain) {
    const StringTable t;
    for (const auto& script : std::vector<std::deque<std::string>>{{}, {"m"}, {"x"}}) {
        FakeConsole console;
        console.answers = script;
        TerminalHost host(console, CollisionMode::Ask, false, t);
        const auto a = host.askCollision(question("/out/song.mp3"));
        EXPECT_TRUE(a.stopConfirmed);
        EXPECT_EQ(occurrences(console.written, t.StrAskStopCopy), 0u)
            << "no stop question after the input ended";
        EXPECT_TRUE(host.askStop());
    }
    // Piped answers it does not understand end the questions too, however many follow.
    FakeConsole piped;
    piped.isInteractive = false;
    piped.answers = {"x", "x", "x"};
    TerminalHost host(piped, CollisionMode::Ask, false, t);
    EXPECT_TRUE(host.askCollision(question("/out/song.mp3")).stopConfirmed);
    EXPECT_EQ(piped.answers.size(), 2u);
}

TEST(TerminalHost, StopQuestionWithoutATerminalIsYesWithoutAsking) {
    const StringTable t;
    FakeConsole console;
    console.isInteractive = false;
    console.answers = {"n"};
    TerminalHost host(console, CollisionMode::Skip, false, t);
    EXPECT_TRUE(host.askStop());
    EXPECT_TRUE(console.written.empty());
    EXPECT_EQ(console.answers.size(), 1u);
}

TEST(TerminalHost, ProgressLineOnlyOnATerminalAndClearedBeforeMessages) {
    const StringTable t;
    FakeConsole quiet;
    quiet.showsProgress = true;
    TerminalHost silent(quiet, CollisionMode::Skip, false, t); // --quiet
    silent.showCurrentFile("a.mp3");
    silent.setGauge(10, 20);
    EXPECT_TRUE(quiet.written.empty());

    FakeConsole pipe; // standard error is not a terminal
    TerminalHost piped(pipe, CollisionMode::Skip, true, t);
    piped.showCurrentFile("a.mp3");
    EXPECT_TRUE(pipe.written.empty());

    FakeConsole term;
    term.showsProgress = true;
    TerminalHost host(term, CollisionMode::Skip, true, t);
    host.setGauge(0, 100);
    host.showCurrentFile("a.mp3");
    ASSERT_NE(term.written.rfind('\r'), std::string::npos);
    const std::string lastDrawn = term.written.substr(term.written.rfind('\r'));
    EXPECT_NE(lastDrawn.find("a.mp3"), std::string::npos) << "a new file is shown at once";
    EXPECT_EQ(term.written.find('\n'), std::string::npos) << "redrawn in place";
    term.written.clear();
    host.showAutoRenameNotice();
    EXPECT_EQ(term.written.rfind("\r\x1b[K", 0), 0u) << "the bar is cleared first";
    EXPECT_NE(term.written.find(t.StrSameSize), std::string::npos);
}

TEST(ProgressLine, ShowsDoneOfTotalAndCutsOnCharacterBoundaries) {
    const StringTable t;
    const std::string line = tw::cli::progressLine(0, 50, 200, "E 00:00:01", "песня.mp3", t);
    EXPECT_NE(line.find(" 25%"), std::string::npos);
    EXPECT_NE(line.find("50 " + t.StrKB + " / 200 " + t.StrKB), std::string::npos);
    EXPECT_NE(line.find("E 00:00:01"), std::string::npos);

    for (int width = 30; width < 80; ++width) {
        const std::string cut = tw::cli::progressLine(width, 50, 200, "E", "песня.mp3", t);
        EXPECT_LE(tw::cli::displayLength(cut), static_cast<std::size_t>(width - 1));
        // Never half of a two-byte letter at the end.
        EXPECT_NE(static_cast<unsigned char>(cut.back()) & 0xE0, 0xC0) << width;
    }
}

TEST(ProgressLine, DoneBeyondTotalOrEmptyListStaysInRange) {
    const StringTable t;
    EXPECT_NE(tw::cli::progressLine(0, 500, 200, "", "", t).find("100%"), std::string::npos);
    EXPECT_NE(tw::cli::progressLine(0, 5, 0, "", "", t).find(" 0%"), std::string::npos);
    EXPECT_NE(tw::cli::progressLine(0, -5, 10, "", "", t).find(" 0%"), std::string::npos);
}

} // namespace
