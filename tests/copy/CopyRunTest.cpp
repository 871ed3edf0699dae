#include "copy/CopyRun.h"

#include "ScriptedHost.h"
#include "errors/ErrorReporter.h"
#include "i18n/StringTable.h"
#include "platform/ChunkedCopy.h"
#include "platform/FaultInjection.h"
#include "platform/FileError.h"
#include "support/ImageMount.h"
#include "support/TempFolder.h"
#include "support/TmpfsMount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <thread>

#include <csignal>
#include <sys/stat.h>

namespace tw::copy {
namespace {

using test::answer;
using test::ScriptedHost;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;
namespace fs = std::filesystem;

class RecordingPresenter : public errors::ErrorPresenter {
public:
    std::vector<std::string> codes;
    void showError(const std::string& code) override { codes.push_back(code); }
};

class CopyRunTest : public ::testing::Test {
protected:
    TempFolder tmp;
    std::string src = tmp / "src";
    std::string dest = tmp / "dest";
    ScriptedHost host;
    RunFlags flags;
    i18n::StringTable table;
    bool noticePending = true; // as at program start
    RecordingPresenter presenter;

    RunContext context() { return RunContext{host, host, host, flags, table, noticePending, host}; }

    void SetUp() override {
        host.flags = &flags;
        fs::create_directories(src);
        fs::create_directories(dest);
        fs::create_directories(tmp / "program/ErrorLog");
        errors::ErrorReporter::instance().setProgramFolder(tmp / "program");
        errors::ErrorReporter::instance().setPresenter(&presenter);
    }
    void TearDown() override { errors::ErrorReporter::instance().reset(); }

    // A source file below src; returns its path.
    std::string source(const std::string& relative, std::string_view bytes = "data") {
        writeFile(src + "/" + relative, bytes);
        return src + "/" + relative;
    }

    RunSetup setup(std::initializer_list<std::string> lines, bool keepStructure = false,
                   bool transliterate = false, bool onlyMp3 = false) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        const std::string list = tmp / "lists/list.m3u";
        writeFile(list, text);
        RunSetup s;
        s.playlists = {{playlist::PlaylistSource(list), list}};
        s.destination = platform::Path(dest);
        s.options.keepStructure = keepStructure;
        s.options.transliterate = transliterate;
        s.options.onlyMp3 = onlyMp3;
        s.listSizeKB = 1000;
        return s;
    }

    std::string at(const std::string& relative) const { return dest + "/" + relative; }
};

// The names in a folder, sorted.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(CopyRunTest, EveryOutcomeLandsInItsOwnCounter) {
    const std::string kb2(2048, 'n');
    writeFile(at("old.mp3"), "old");
    writeFile(at("skip.mp3"), "keep me");
    writeFile(at("ren.mp3"), "ren");
    writeFile(at("auto.mp3"), "auto");
    writeFile(at("bad.mp3/inside"), "a folder stands where the file should go");
    writeFile(at("same.mp3"), "already there");
    host.collisionAnswers = {answer(CollisionAction::Replace), answer(CollisionAction::Skip),
                             answer(CollisionAction::Rename, false, "typed.mp3"),
                             answer(CollisionAction::AutoRename)};

    CopyRun run(setup({"#EXTM3U", "#EXTINF:1,x", source("new.mp3", kb2),
                       source("old.mp3", "new old"), source("skip.mp3", kb2),
                       source("ren.mp3", "r"), source("auto.mp3", "a"), source("bad.mp3", kb2),
                       src + "\\missing.mp3", source("loud.MP3", kb2), dest + "//same.mp3"},
                      false, false, true),
                context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    const RunCounters& c = run.counters();
    EXPECT_EQ(c.created, 1);
    EXPECT_EQ(c.replaced, 1);
    EXPECT_EQ(c.skipped, 1);
    EXPECT_EQ(c.renamed, 1);
    EXPECT_EQ(c.autoRenamed, 1);
    EXPECT_EQ(c.failed, 1);
    EXPECT_EQ(c.missing, 1);
    EXPECT_EQ(c.identical, 1);
    EXPECT_FALSE(run.flags().cancelled());
    // The missing entry (written with a Windows backslash) is named with "/", the failed copy
    // with its reason.
    const auto& problems = run.problems().items();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].kind, RunProblem::Kind::Failed);
    EXPECT_EQ(problems[0].entry, src + "/bad.mp3");
    EXPECT_FALSE(problems[0].reason.empty());
    EXPECT_EQ(problems[1].kind, RunProblem::Kind::Missing);
    EXPECT_EQ(problems[1].entry, src + "/missing.mp3");

    EXPECT_EQ(readFile(at("new.mp3")), kb2);
    EXPECT_EQ(readFile(at("old.mp3")), "new old");
    EXPECT_EQ(readFile(at("skip.mp3")), "keep me");
    EXPECT_EQ(readFile(at("ren.mp3")), "ren");
    EXPECT_EQ(readFile(at("typed.mp3")), "r");
    EXPECT_EQ(readFile(at("auto.mp3")), "auto");
    EXPECT_EQ(readFile(at("auto_001.mp3")), "a");
    EXPECT_EQ(readFile(at("same.mp3")), "already there");
    EXPECT_FALSE(fs::exists(at("loud.MP3")));

    // Skipped, failed and identical files count towards the gauge, each rounded up to whole
    // kilobytes as the list scan counts them; the filtered one does not.
    EXPECT_EQ(run.processedKB(), 2 + 1 + 2 + 1 + 1 + 2 + 1);
    ASSERT_FALSE(host.gauges.empty());
    EXPECT_EQ(host.gauges.front(), std::make_pair(std::int64_t{0}, std::int64_t{1000}));
    EXPECT_EQ(host.gauges.back(), std::make_pair(std::int64_t{10}, std::int64_t{1000}));
    EXPECT_EQ(host.shownFiles,
              (std::vector<std::string>{"new.mp3", "old.mp3", "skip.mp3", "ren.mp3", "auto.mp3",
                                        "bad.mp3", "same.mp3"}));
    // The destination is flushed before the run reports its end.
    ASSERT_FALSE(host.statuses.empty());
    EXPECT_EQ(host.statuses.back(), table.StrCopyingCaption);
    EXPECT_TRUE(presenter.codes.empty());
}

TEST_F(CopyRunTest, StructureKeptOrFlattenedAndDotDotNeverLeavesTheDestination) {
    source("Music/Rock/a.mp3", "a");
    writeFile(tmp / "Music/up.mp3", "up");
    // The playlist lives in tmp/lists: "../Music/up.mp3" is tmp/Music/up.mp3.
    const auto entries = {src + "/Music/Rock/a.mp3", std::string("../Music/up.mp3")};

    CopyRun kept(setup(entries, true), context(), host.clock());
    EXPECT_EQ(kept.run(), CopyRun::End::Completed);
    EXPECT_EQ(kept.counters().created, 2);
    EXPECT_EQ(readFile(at(src.substr(1) + "/Music/Rock/a.mp3")), "a");
    EXPECT_EQ(readFile(at("Music/up.mp3")), "up");
    EXPECT_EQ(readFile(tmp / "Music/up.mp3"), "up");
    EXPECT_FALSE(fs::exists(tmp / "up.mp3"));

    fs::remove_all(dest);
    fs::create_directories(dest);
    CopyRun flat(setup(entries, false), context(), host.clock());
    EXPECT_EQ(flat.run(), CopyRun::End::Completed);
    EXPECT_EQ(flat.counters().created, 2);
    EXPECT_EQ(readFile(at("a.mp3")), "a");
    EXPECT_EQ(readFile(at("up.mp3")), "up");
}

TEST_F(CopyRunTest, TransliterationChangesOnlyTheFileNameWithStructureOnOrOff) {
    source("Музыка/Песня 1.mp3", "song");

    CopyRun kept(setup({std::string("../src/Музыка/Песня 1.mp3")}, true, true), context(),
                 host.clock());
    EXPECT_EQ(kept.run(), CopyRun::End::Completed);
    EXPECT_EQ(readFile(at("src/Музыка/Pesnya_1.mp3")), "song");
    EXPECT_EQ(host.shownFiles, std::vector<std::string>{"Песня 1.mp3"});

    CopyRun flat(setup({std::string("../src/Музыка/Песня 1.mp3")}, false, true), context(),
                 host.clock());
    EXPECT_EQ(flat.run(), CopyRun::End::Completed);
    EXPECT_EQ(flat.counters().created, 1);
    EXPECT_EQ(readFile(at("Pesnya_1.mp3")), "song");
}

TEST_F(CopyRunTest, SecondEntryWithTheSameNameMeetsTheFirstAsACollision) {
    source("one/a.mp3", "first");
    source("two/a.mp3", "second!");
    host.collisionAnswers = {answer(CollisionAction::Skip)};

    CopyRun run(setup({src + "/one/a.mp3", src + "/two/a.mp3"}), context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    ASSERT_EQ(host.questions.size(), 1u);
    const CollisionQuestion& q = host.questions[0];
    EXPECT_EQ(q.target.path, dest + "/a.mp3");
    EXPECT_EQ(q.target.size, 5);
    EXPECT_TRUE(q.target.lastWrite.has_value());
    EXPECT_EQ(q.source.path, src + "/two/a.mp3");
    EXPECT_EQ(q.source.size, 7);
    EXPECT_FALSE(q.sameSize);
    EXPECT_EQ(run.counters().created, 1);
    EXPECT_EQ(run.counters().skipped, 1);
    EXPECT_EQ(readFile(at("a.mp3")), "first");
}

TEST_F(CopyRunTest, RememberedReplaceAppliesWithoutAskingAndIsForgottenByTheNextRun) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        source(name, std::string("new ") + name);
        writeFile(at(name), "old");
    }
    const RunSetup s = setup({src + "/a.mp3", src + "/b.mp3", src + "/c.mp3"});
    host.collisionAnswers = {answer(CollisionAction::Replace, true)};

    CopyRun run(s, context(), host.clock());
    run.run();
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(run.counters().replaced, 3);
    EXPECT_EQ(readFile(at("c.mp3")), "new c.mp3");

    // The same run object started again: counters from zero, nothing remembered.
    host.collisionAnswers = {answer(CollisionAction::Skip, true)};
    run.run();
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(run.counters().replaced, 0);
    EXPECT_EQ(run.counters().skipped, 3);
}

TEST_F(CopyRunTest, RenameByHandIsAskedAgainEvenWithTheBoxTicked) {
    for (const char* name : {"a.mp3", "b.mp3"}) {
        source(name, "new");
        writeFile(at(name), "old");
    }
    host.collisionAnswers = {answer(CollisionAction::Rename, true, "a2.mp3"),
                             answer(CollisionAction::Rename, true, "b2.mp3")};

    CopyRun run(setup({src + "/a.mp3", src + "/b.mp3"}), context(), host.clock());
    run.run();
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(run.counters().renamed, 2);
    EXPECT_EQ(readFile(at("a2.mp3")), "new");
    EXPECT_EQ(readFile(at("b2.mp3")), "new");
    EXPECT_EQ(readFile(at("a.mp3")), "old");
}

TEST_F(CopyRunTest, TypedNameTakenSinceTheDialogIsNotOverwritten) {
    source("a.mp3", "new");
    writeFile(at("a.mp3"), "old");
    writeFile(at("taken.mp3"), "taken");
    host.collisionAnswers = {answer(CollisionAction::Rename, false, "taken.mp3")};

    CopyRun run(setup({src + "/a.mp3"}), context(), host.clock());
    run.run();
    EXPECT_EQ(run.counters().renamed, 0);
    EXPECT_EQ(run.counters().failed, 1);
    EXPECT_EQ(readFile(at("taken.mp3")), "taken");
}

TEST_F(CopyRunTest, DialogClosedWithoutActionPassesOverThisAndWithTheBoxEveryLaterCollision) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        source(name, "new");
        writeFile(at(name), "old");
    }
    source("d.mp3", "fresh");
    host.collisionAnswers = {answer(CollisionAction::None), answer(CollisionAction::None, true)};

    CopyRun run(setup({src + "/a.mp3", src + "/b.mp3", src + "/c.mp3", src + "/d.mp3"}), context(),
                host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);
    EXPECT_EQ(host.questions.size(), 2u);
    const RunCounters& c = run.counters();
    EXPECT_EQ(c.replaced + c.skipped + c.renamed + c.autoRenamed + c.failed, 0);
    EXPECT_EQ(c.created, 1);
    EXPECT_EQ(readFile(at("c.mp3")), "old");
}

TEST_F(CopyRunTest, SameSizeOverridesRememberedAutoRenamingWithTheNoticeOncePerProgram) {
    writeFile(at("a.mp3"), "1234");
    source("x/a.mp3", "1234");
    source("x/b.mp3", "1234");
    source("y/a.mp3", "123456789");
    // x/a collides with a (asked), x/a again: same size (notice + asked, box disabled),
    // x/a a third time: same size again (asked, no notice), y/a: other size (renamed silently).
    const auto entries = {src + "/x/a.mp3", src + "/x/a.mp3", src + "/x/a.mp3", src + "/y/a.mp3"};
    host.collisionAnswers = {answer(CollisionAction::AutoRename, true),
                             answer(CollisionAction::Skip, true), answer(CollisionAction::Replace)};

    CopyRun first(setup(entries), context(), host.clock());
    first.run();
    EXPECT_EQ(host.notices, 1);
    ASSERT_EQ(host.questions.size(), 3u);
    EXPECT_FALSE(host.questions[0].sameSize);
    EXPECT_TRUE(host.questions[1].sameSize);
    EXPECT_TRUE(host.questions[2].sameSize);
    EXPECT_EQ(first.counters().autoRenamed, 2);
    EXPECT_EQ(first.counters().skipped, 1);
    EXPECT_EQ(first.counters().replaced, 1);
    EXPECT_EQ(readFile(at("a_001.mp3")), "1234");
    EXPECT_EQ(readFile(at("a_002.mp3")), "123456789");
    EXPECT_FALSE(noticePending);

    // The next run of the same program meets the same case without the notice.
    host.collisionAnswers = {answer(CollisionAction::AutoRename, true),
                             answer(CollisionAction::Skip)};
    CopyRun second(setup({src + "/x/b.mp3", src + "/x/b.mp3", src + "/x/b.mp3"}), context(),
                   host.clock());
    second.run();
    EXPECT_EQ(host.notices, 1);
    EXPECT_EQ(host.questions.size(), 5u);
    EXPECT_FALSE(host.questions[3].sameSize);
    EXPECT_TRUE(host.questions[4].sameSize);
    EXPECT_EQ(second.counters().created, 1);
    EXPECT_EQ(second.counters().autoRenamed, 1);
    EXPECT_EQ(second.counters().skipped, 1);
}

TEST_F(CopyRunTest, CancelAnsweredNoGoesOnAndYesEndsAfterTheCurrentFile) {
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3"})
        source(name, name);
    host.onFile = [](ScriptedHost& h, const std::string& name) {
        if (name == "1.mp3" || name == "3.mp3")
            h.pressCancel();
    };
    host.stopAnswers = {false, true};

    CopyRun run(setup({src + "/1.mp3", src + "/2.mp3", src + "/3.mp3", src + "/4.mp3"}), context(),
                host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Cancelled);
    EXPECT_EQ(host.stopQuestions, 2);
    EXPECT_EQ(run.counters().created, 3);
    EXPECT_FALSE(fs::exists(at("4.mp3")));
    // Both roads to a stop leave the same mark.
    EXPECT_TRUE(run.flags().stopped());
    // The flush happens however the run ended.
    EXPECT_EQ(host.statuses.size(), 1u);
}

TEST_F(CopyRunTest, CancelWhilePausedAnsweredNoKeepsThePauseAndYesSetsTheStopFlag) {
    source("1.mp3");
    source("2.mp3");
    source("3.mp3");
    // Pause and Cancel pressed during each file; the pause lasts five 100 ms steps.
    host.onFile = [](ScriptedHost& h, const std::string&) {
        h.pressPause(5);
        h.pressCancel();
    };
    host.stopAnswers = {false, true};

    CopyRun run(setup({src + "/1.mp3", src + "/2.mp3", src + "/3.mp3"}), context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Cancelled);
    EXPECT_TRUE(run.flags().stopped());
    EXPECT_EQ(host.stopQuestions, 2);
    EXPECT_EQ(run.counters().created, 2);
    EXPECT_FALSE(fs::exists(at("3.mp3")));
    // After "No" the pause ran its five steps; "Yes" came after the first step of the next.
    EXPECT_EQ(run.pausedMs(), 600u);
}

TEST_F(CopyRunTest, StopConfirmedInTheCollisionDialogEndsTheRunAfterThisEntry) {
    source("a.mp3", "new");
    source("b.mp3", "b");
    writeFile(at("a.mp3"), "old");
    CollisionAnswer stop;
    stop.stopConfirmed = true;
    host.collisionAnswers = {stop};

    CopyRun run(setup({src + "/a.mp3", src + "/b.mp3"}), context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Cancelled);
    EXPECT_TRUE(run.flags().stopped());
    EXPECT_EQ(readFile(at("a.mp3")), "old");
    EXPECT_FALSE(fs::exists(at("b.mp3")));
    EXPECT_TRUE(host.elapsedTexts.empty());
}

TEST_F(CopyRunTest, PausedTimeIsLeftOutOfTheElapsedTimeAcrossATickWrap) {
    source("1.mp3");
    source("2.mp3");
    host.now = 0xFFFFFFFFu - 500; // the tick counter wraps during the run
    host.onFile = [](ScriptedHost& h, const std::string& name) {
        h.now += 2000; // each file takes two seconds
        if (name == "1.mp3") {
            h.pressPause(100); // ten seconds
        }
    };

    CopyRun run(setup({src + "/1.mp3", src + "/2.mp3"}), context(), host.clock());
    run.run();
    EXPECT_EQ(run.pausedMs(), 10000u);
    const std::string prefix = table.StrElapsed + " ";
    EXPECT_EQ(host.elapsedTexts,
              (std::vector<std::string>{prefix + "00:00:02", prefix + "00:00:04"}));
}

TEST_F(CopyRunTest, SameFileUnderAnotherSpellingIsIdenticalAndNeverCopiedOntoItself) {
    writeFile(at("in.mp3"), "precious");
    source("linked.mp3", "linked original");
    fs::create_symlink(src + "/linked.mp3", at("linked.mp3"));
    host.collisionAnswers = {}; // no dialog may appear: "replace" would destroy the file

    CopyRun run(setup({dest + "/in.mp3", dest + "//in.mp3", src + "/linked.mp3"}), context(),
                host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);
    EXPECT_EQ(run.counters().identical, 3);
    EXPECT_EQ(run.counters().created + run.counters().failed, 0);
    EXPECT_EQ(readFile(at("in.mp3")), "precious");
    EXPECT_EQ(readFile(src + "/linked.mp3"), "linked original");
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(CopyRunTest, FileCancelledThroughProgressCountsAsFailedAndLeavesNothing) {
    source("big.mp3", std::string(100000, 'b'));
    source("small.mp3", "s");
    host.onFile = [](ScriptedHost& h, const std::string& name) {
        h.cancelFiles = name == "big.mp3";
    };

    CopyRun run(setup({src + "/big.mp3", src + "/small.mp3"}), context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);
    EXPECT_GT(host.fileProgressCalls, 0);
    EXPECT_EQ(run.counters().failed, 1);
    EXPECT_EQ(run.counters().created, 1);
    EXPECT_FALSE(fs::exists(at("big.mp3")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dest), fs::directory_iterator()), 1);
}

TEST_F(CopyRunTest, UnreadablePlaylistFailsTheRunUnderItsCode) {
    RunSetup s = setup({});
    s.playlists[0].source = playlist::PlaylistSource(tmp / "no such list.m3u");
    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Failed);
    // Through the sink the run was given, which hands it on to the error reporter.
    EXPECT_EQ(host.failureCodes, std::vector<std::string>{"2.002 - 002.0"});
    EXPECT_EQ(presenter.codes, std::vector<std::string>{"2.002 - 002.0"});
    EXPECT_FALSE(run.failureReason().empty());
    EXPECT_EQ(host.statuses.size(), 1u);
}

TEST_F(CopyRunTest, FailureInTheMiddleKeepsWhatWasCounted) {
    source("1.mp3");
    source("2.mp3");
    source("3.mp3");
    host.onFile = [](ScriptedHost&, const std::string& name) {
        if (name == "3.mp3")
            throw std::runtime_error("window gone");
    };

    CopyRun run(setup({src + "/1.mp3", src + "/missing.mp3", src + "/2.mp3", src + "/3.mp3"}),
                context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Failed);
    EXPECT_EQ(run.counters().created, 2);
    EXPECT_EQ(run.counters().missing, 1);
    EXPECT_EQ(run.failureReason(), "window gone");
    EXPECT_EQ(presenter.codes, std::vector<std::string>{"2.002 - 002.0"});
}

TEST_F(CopyRunTest, ListOfTwoTebibytesOrMoreIsCopiedAndItsGaugeScales) {
    source("1.mp3");
    RunSetup s = setup({src + "/1.mp3"});
    s.listSizeKB = std::int64_t{1} << 31; // 2 TiB: "as many as fit" may start it
    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);
    EXPECT_TRUE(fs::exists(at("1.mp3")));
    EXPECT_TRUE(presenter.codes.empty());

    // A 32-bit bar gets steps in proportion, whatever the size.
    const GaugeSteps half = gaugeSteps(std::int64_t{1} << 61, std::int64_t{1} << 62);
    EXPECT_GT(half.maximum, 0);
    EXPECT_EQ(half.position, half.maximum / 2);
    const GaugeSteps small = gaugeSteps(5, 10);
    EXPECT_EQ(small.position, 5);
    EXPECT_EQ(small.maximum, 10);
}

TEST_F(CopyRunTest, ProblemListIsBoundedButCountsEveryProblem) {
    // The first entry is longer than any path; its text is kept cut short.
    std::string list = std::string(RunProblems::keptBytes - 1, 'x') + "Ж.mp3\n";
    for (std::size_t i = 1; i < RunProblems::kept + 5; ++i)
        list += "gone" + std::to_string(i) + ".mp3\n";
    RunSetup s = setup({});
    writeFile(tmp / "lists/list.m3u", list);
    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);
    EXPECT_EQ(run.counters().missing, static_cast<std::int32_t>(RunProblems::kept + 5));
    EXPECT_EQ(run.problems().items().size(), RunProblems::kept);
    EXPECT_EQ(run.problems().total(), static_cast<std::int64_t>(RunProblems::kept + 5));
    EXPECT_EQ(run.problems().items().front().entry,
              std::string(RunProblems::keptBytes - 1, 'x') + "...");
    EXPECT_EQ(run.problems().items().back().entry, "gone9999.mp3");
}

TEST_F(CopyRunTest, FilesThatDoNotFitFailWholeAndTheRestIsStillCopied) {
    const std::string stick = tmp / "stick";
    fs::create_directories(stick);
    tw::test::TmpfsMount mount(stick, "size=1m");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << mount.reason();

    const std::string big(400 * 1024, 'b');
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3"})
        source(name, big);
    source("small.mp3", std::string(10 * 1024, 's'));
    RunSetup s =
        setup({src + "/1.mp3", src + "/2.mp3", src + "/3.mp3", src + "/4.mp3", src + "/small.mp3"});
    s.destination = platform::Path(stick);

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);
    EXPECT_EQ(run.counters().created, 3);
    EXPECT_EQ(run.counters().failed, 2);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(stick))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"1.mp3", "2.mp3", "small.mp3"}));
    EXPECT_EQ(readFile(stick + "/2.mp3"), big);
    EXPECT_EQ(fs::file_size(stick + "/small.mp3"), 10u * 1024u);
}

TEST_F(CopyRunTest, NameTakenWhileTheFileWaitedIsACollisionCountedByWhatWasDecided) {
    source("a.mp3", "run's a");
    source("b.mp3", "run's b");
    source("c.mp3", "run's c");
    // While a and b wait for their names, the user (or another copy) takes both names: a
    // with a file of their own, b with a link to nothing.
    host.onFile = [&](ScriptedHost&, const std::string& name) {
        if (name != "c.mp3")
            return;
        writeFile(at("a.mp3"), "user's a");
        fs::create_symlink(tmp / "nowhere", at("b.mp3"));
    };
    host.collisionAnswers = {answer(CollisionAction::Skip), answer(CollisionAction::AutoRename)};

    CopyRun run(setup({src + "/a.mp3", src + "/b.mp3", src + "/c.mp3"}), context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    ASSERT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(host.questions[0].target.path, at("a.mp3"));
    EXPECT_EQ(host.questions[1].target.path, at("b.mp3"));
    EXPECT_EQ(run.counters().created, 1);
    EXPECT_EQ(run.counters().skipped, 1);
    EXPECT_EQ(run.counters().autoRenamed, 1);
    EXPECT_EQ(run.counters().replaced, 0);
    EXPECT_EQ(readFile(at("a.mp3")), "user's a");
    EXPECT_TRUE(fs::is_symlink(at("b.mp3")));
    EXPECT_EQ(readFile(at("b_001.mp3")), "run's b");
    EXPECT_EQ(readFile(at("c.mp3")), "run's c");
    EXPECT_EQ(namesIn(dest), (std::vector<std::string>{"a.mp3", "b.mp3", "b_001.mp3", "c.mp3"}));
}

TEST_F(CopyRunTest, FifoOrDanglingLinkAtTheTargetIsACollisionNotAFreeName) {
    ASSERT_EQ(::mkfifo(at("pipe.mp3").c_str(), 0600), 0);
    fs::create_symlink(tmp / "nowhere", at("link.mp3"));
    source("pipe.mp3", "p");
    source("link.mp3", "l");
    host.collisionAnswers = {answer(CollisionAction::Skip, true)};

    CopyRun run(setup({src + "/pipe.mp3", src + "/link.mp3"}), context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(run.counters().skipped, 2);
    EXPECT_EQ(run.counters().created, 0);
    EXPECT_TRUE(fs::is_fifo(at("pipe.mp3")));
    EXPECT_TRUE(fs::is_symlink(at("link.mp3")));
}

TEST_F(CopyRunTest, EveryWholeFileHasItsNameWhileTheRunWaitsForTheUser) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"})
        source(name, name);
    writeFile(at("c.mp3"), "there before");
    host.onFile = [](ScriptedHost& h, const std::string& name) {
        if (name == "b.mp3")
            h.pressPause(2);
        if (name == "d.mp3")
            h.pressCancel();
    };
    std::vector<std::vector<std::string>> seen; // the destination at each wait
    host.onWait = [&] { seen.push_back(namesIn(dest)); };
    host.collisionAnswers = {answer(CollisionAction::Skip)};
    host.stopAnswers = {true};

    CopyRun run(setup({src + "/a.mp3", src + "/b.mp3", src + "/c.mp3", src + "/d.mp3"}), context(),
                host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Cancelled);

    const std::vector<std::string> paused = {"a.mp3", "b.mp3", "c.mp3"};
    const std::vector<std::string> all = {"a.mp3", "b.mp3", "c.mp3", "d.mp3"};
    // Two pause steps, the collision question, the stop question.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], paused);
    EXPECT_EQ(seen[1], paused);
    EXPECT_EQ(seen[2], paused);
    EXPECT_EQ(seen[3], all);
    EXPECT_EQ(run.counters().created, 3);
}

// A stick may hold a group's flush for seconds: the front end's events go on meanwhile, no
// file of the group has its name before the flush is over, and a Cancel pressed during it is
// honoured after it, as after a file.
TEST_F(CopyRunTest, SlowGroupFlushKeepsTheEventsGoingAndACancelPressedDuringItComesAfter) {
    struct DisarmedPacer {
        ~DisarmedPacer() { platform::ChunkedCopy::setFlushPacer({}); }
    } disarm;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        source(name, name);
    std::atomic<bool> flushing{false}, flushOver{false};
    std::atomic<int> callsWhileFlushing{0};
    // The first flush lasts until the front end has been called three times meanwhile (ten
    // seconds at most: then the run waited for the flush, which is the fault).
    platform::ChunkedCopy::setFlushPacer([&] {
        if (flushOver)
            return;
        flushing = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (callsWhileFlushing < 3 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        flushing = false;
        flushOver = true;
    });
    bool namedWhileFlushing = false;
    host.onContinueFile = [&](ScriptedHost& h) {
        if (!flushing)
            return;
        namedWhileFlushing =
            namedWhileFlushing || fs::exists(at("a.mp3")) || fs::exists(at("b.mp3"));
        if (++callsWhileFlushing == 3)
            h.pressCancel();
    };
    // The pause after b makes the run flush a and b before it waits.
    host.onFile = [](ScriptedHost& h, const std::string& name) {
        if (name == "b.mp3")
            h.pressPause(1);
    };
    host.stopAnswers = {true};

    CopyRun run(setup({src + "/a.mp3", src + "/b.mp3", src + "/c.mp3"}), context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Cancelled);

    EXPECT_GE(callsWhileFlushing.load(), 3);
    EXPECT_FALSE(namedWhileFlushing);
    EXPECT_EQ(host.stopQuestions, 1);
    EXPECT_EQ(run.counters().created, 2);
    EXPECT_EQ(readFile(at("b.mp3")), "b.mp3");
    EXPECT_FALSE(fs::exists(at("c.mp3")));
}

TEST_F(CopyRunTest, FailedFinalFlushFailsTheFilesItCoveredAndLeavesThemOutOfThePlaylist) {
    const std::string disk = tmp / "disk";
    fs::create_directories(disk);
    tw::test::ImageMount mount(tw::test::ImageMount::Kind::Ext4, tmp / "disk.img", disk, 32);
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    source("a.mp3", "a");
    source("b.mp3", "b");
    RunSetup s = setup({src + "/a.mp3", src + "/b.mp3"});
    s.destination = platform::Path(disk);
    s.options.writePlaylist = true;
    s.options.playlistName = "copied.m3u8";
    platform::injectFileFault(platform::FileOperation::FileSystemFlush, disk, EIO);

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);
    platform::clearFileFaults();

    EXPECT_EQ(run.counters().created, 0);
    EXPECT_EQ(run.counters().failed, 2);
    ASSERT_EQ(run.problems().items().size(), 2u);
    for (const RunProblem& problem : run.problems().items()) {
        EXPECT_EQ(problem.kind, RunProblem::Kind::Failed);
        EXPECT_EQ(problem.reason, platform::errorText(EIO));
    }
    EXPECT_EQ(readFile(disk + "/copied.m3u8"), "#EXTM3U\r\n");
}

// An exFAT stick through FUSE, mounted on tmp/stick for the test.
class ExfatStickRun : public CopyRunTest {
protected:
    std::string stick = tmp / "stick";
    std::unique_ptr<tw::test::ImageMount> m_mount;

    void SetUp() override {
        CopyRunTest::SetUp();
        fs::create_directories(stick);
        m_mount = std::make_unique<tw::test::ImageMount>(tw::test::ImageMount::Kind::FuseExfat,
                                                         tmp / "stick.img", stick, 16);
        if (!m_mount->mounted())
            GTEST_SKIP() << m_mount->reason();
    }
    void TearDown() override {
        m_mount.reset();
        CopyRunTest::TearDown();
    }
};

TEST_F(ExfatStickRun, NamesThatDifferOnlyInTheCaseOfAnyLetterAreOneName) {
    const std::vector<std::pair<std::string, std::string>> songs = {
        {"1/Песня.mp3", "first song"},  {"2/песня.mp3", "second song"},
        {"1/Äpfel.mp3", "first apple"}, {"2/äpfel.mp3", "second apple"},
        {"1/Łza.mp3", "first tear"},    {"2/łza.mp3", "second tear"}};
    for (const auto& [name, bytes] : songs)
        source(name, bytes);
    host.collisionAnswers = {answer(CollisionAction::Skip, true)};
    RunSetup s = setup({src + "/1/Песня.mp3", src + "/1/Äpfel.mp3", src + "/2/песня.mp3",
                        src + "/2/äpfel.mp3", src + "/1/Łza.mp3", src + "/2/łza.mp3"});
    s.destination = platform::Path(stick);

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(run.counters().created, 3);
    EXPECT_EQ(run.counters().skipped, 3);
    EXPECT_EQ(run.counters().failed, 0);
    EXPECT_EQ(namesIn(stick), (std::vector<std::string>{"Äpfel.mp3", "Łza.mp3", "Песня.mp3"}));
    EXPECT_EQ(readFile(stick + "/Песня.mp3"), "first song");
    EXPECT_EQ(readFile(stick + "/Äpfel.mp3"), "first apple");
    EXPECT_EQ(readFile(stick + "/Łza.mp3"), "first tear");
}

TEST_F(ExfatStickRun, FoldersThatDifferOnlyInCaseAreOneFolderAndLoseNoFile) {
    source("Rock/a.mp3", "a");
    source("ROCK/b.mp3", "b");
    source("rock/c.mp3", "c");
    RunSetup s = setup({"../src/Rock/a.mp3", "../src/ROCK/b.mp3", "../src/rock/c.mp3"}, true);
    s.destination = platform::Path(stick);

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(run.counters().created, 3);
    EXPECT_EQ(run.counters().failed, 0);
    EXPECT_EQ(namesIn(stick + "/src"), std::vector<std::string>{"Rock"});
    EXPECT_EQ(namesIn(stick + "/src/Rock"), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(readFile(stick + "/src/Rock/a.mp3"), "a");
}

// The regular files of a folder in the order of its entries, as a player that ignores
// playlists plays them.
std::vector<std::string> filesInEntryOrder(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    return names;
}

TEST_F(ExfatStickRun, NewFilesFollowThePlaylistInTheFolderAndReplacedOnesKeepTheirPlace) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        names.push_back(std::to_string(10 + i) + " " + std::string(std::size_t(i * 29 % 70), 'x') +
                        ".mp3");
        source(names.back(), std::string(std::size_t(i) * 300, 'a'));
    }
    RunSetup first = setup({src + "/" + names[0], src + "/" + names[1], src + "/" + names[2],
                            src + "/" + names[3], src + "/" + names[4], src + "/" + names[5]});
    first.destination = platform::Path(stick);
    CopyRun firstRun(first, context(), host.clock());
    ASSERT_EQ(firstRun.run(), CopyRun::End::Completed);

    // A later run replaces two of them, out of order, and adds the rest after them.
    source(names[3], "changed three");
    source(names[1], "changed one");
    host.collisionAnswers = {answer(CollisionAction::Replace, true)};
    RunSetup second = setup({src + "/" + names[3], src + "/" + names[1], src + "/" + names[6],
                             src + "/" + names[7], src + "/" + names[8], src + "/" + names[9],
                             src + "/" + names[10], src + "/" + names[11]});
    second.destination = platform::Path(stick);
    second.options.writePlaylist = true;
    second.options.playlistName = "list.m3u8";
    CopyRun secondRun(second, context(), host.clock());
    ASSERT_EQ(secondRun.run(), CopyRun::End::Completed);
    EXPECT_EQ(secondRun.counters().replaced, 2);

    ASSERT_EQ(m_mount->remount(), "");
    std::vector<std::string> expected = names;
    expected.push_back("list.m3u8");
    EXPECT_EQ(filesInEntryOrder(stick), expected);
    EXPECT_EQ(readFile(stick + "/" + names[1]), "changed one");
}

TEST_F(ExfatStickRun, NumberedNameTooLongForTheStickIsCutAndTheWrittenPlaylistNamesIt) {
    // exFAT takes 255 characters: the Cyrillic name of 258 bytes fits whole with its number,
    // the Latin one of 258 characters is cut, its extension kept.
    std::string cyrillic;
    for (int i = 0; i < 125; ++i)
        cyrillic += "Ж";
    const std::string longName = std::string(250, 'x') + ".mp3";
    source(cyrillic + ".mp3", "cyrillic");
    source(longName, "long");
    RunSetup s = setup({src + "/" + cyrillic + ".mp3", src + "/" + longName});
    s.destination = platform::Path(stick);
    s.options.number = true;
    s.options.writePlaylist = true;
    s.options.playlistName = "list.m3u8";
    s.fileCount = 2;

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(run.counters().created, 2);
    EXPECT_EQ(run.counters().failed, 0);
    const std::string cut = "2 - " + std::string(255 - 4 - 4 - 4, 'x') + ".mp3";
    EXPECT_EQ(readFile(stick + "/1 - " + cyrillic + ".mp3"), "cyrillic");
    EXPECT_EQ(readFile(stick + "/" + cut), "long");
    EXPECT_EQ(readFile(stick + "/list.m3u8"),
              "#EXTM3U\r\n1 - " + cyrillic + ".mp3\r\n" + cut + "\r\n");
}

TEST_F(CopyRunTest, ManyFilesOfOneNameAreNumberedInTurnAroundANameTakenBefore) {
    // None as long as the first, so that no size match asks again.
    for (int i = 0; i < 300; ++i)
        source(std::to_string(i) + "/song.mp3", i == 0 ? "the first one" : std::to_string(i));
    writeFile(at("song_005.mp3"), "the user's");
    host.collisionAnswers = {answer(CollisionAction::AutoRename, true)};
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += src + "/" + std::to_string(i) + "/song.mp3\n";
    RunSetup s = setup({});
    writeFile(s.playlists[0].source.path(), text);

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(run.counters().created, 1);
    EXPECT_EQ(run.counters().autoRenamed, 299);
    EXPECT_EQ(namesIn(dest).size(), 301u);
    EXPECT_EQ(readFile(at("song.mp3")), "the first one");
    EXPECT_EQ(readFile(at("song_004.mp3")), "4");
    EXPECT_EQ(readFile(at("song_005.mp3")), "the user's");
    EXPECT_EQ(readFile(at("song_006.mp3")), "5");
    EXPECT_EQ(readFile(at("song_300.mp3")), "299");
}

TEST_F(CopyRunTest, LinkInsideTheDestinationMayNotLeadOutOfIt) {
    source("a.mp3", "a");
    fs::create_directories(tmp / "elsewhere");
    fs::create_symlink(tmp / "elsewhere", at("src"));

    CopyRun out(setup({"../src/a.mp3"}, true), context(), host.clock());
    EXPECT_EQ(out.run(), CopyRun::End::Completed);
    EXPECT_EQ(out.counters().failed, 1);
    ASSERT_EQ(out.problems().items().size(), 1u);
    EXPECT_EQ(out.problems().items()[0].reason, "a link leads out of the destination folder");
    EXPECT_TRUE(namesIn(tmp / "elsewhere").empty());

    // A link that stays inside is followed.
    fs::remove(at("src"));
    fs::create_directories(at("real"));
    fs::create_symlink("real", at("src"));
    CopyRun in(setup({"../src/a.mp3"}, true), context(), host.clock());
    EXPECT_EQ(in.run(), CopyRun::End::Completed);
    EXPECT_EQ(in.counters().created, 1);
    EXPECT_EQ(readFile(at("real/a.mp3")), "a");
}

TEST_F(CopyRunTest, DestinationGoneInTheMiddleEndsTheCopyAndIsNeverMadeAgain) {
    const std::string stick = tmp / "stick";
    fs::create_directories(stick);
    tw::test::ImageMount mount(tw::test::ImageMount::Kind::Ext4, tmp / "stick.img", stick, 32);
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    for (const char* name : {"A/a.mp3", "B/b.mp3", "C/c.mp3"})
        source(name, name);
    // Ejected as a desktop does it: unmounted, and its mount point removed.
    host.onFile = [&](ScriptedHost&, const std::string& name) {
        if (name != "b.mp3")
            return;
        EXPECT_EQ(tw::test::runCommand({"umount", "-l", stick}), "");
        fs::remove(stick);
    };
    RunSetup s = setup({"../src/A/a.mp3", "../src/B/b.mp3", "../src/C/c.mp3"}, true);
    s.destination = platform::Path(stick);

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_FALSE(fs::exists(stick)) << "the destination was made again on the system disk";
    EXPECT_EQ(run.counters().failed, 2);
    ASSERT_EQ(run.problems().items().size(), 2u);
    for (const RunProblem& problem : run.problems().items())
        EXPECT_EQ(problem.reason, "the destination folder is gone");
}

TEST_F(CopyRunTest, WrittenPlaylistListsEveryNameSafelyAndReplacesNoFileOfTheUsers) {
    source("#1 Crush.mp3", "crush");
    source("line\nbreak.mp3", "broken");
    source("plain.mp3", "plain");
    writeFile(at("copied.m3u8"), "the user's own list");
    host.collisionAnswers = {answer(CollisionAction::AutoRename)};
    RunSetup s =
        setup({src + "/#1 Crush.mp3", "file://" + src + "/line%0Abreak.mp3", src + "/plain.mp3"});
    s.options.writePlaylist = true;
    s.options.playlistName = "copied.m3u8";

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(run.counters().created, 3);
    EXPECT_EQ(readFile(at("line\nbreak.mp3")), "broken");
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].target.path, at("copied.m3u8"));
    EXPECT_EQ(readFile(at("copied.m3u8")), "the user's own list");
    EXPECT_EQ(run.playlistsWritten(), std::vector{platform::Path(at("copied_001.m3u8"))});
    EXPECT_EQ(readFile(at("copied_001.m3u8")), "#EXTM3U\r\n./#1 Crush.mp3\r\nplain.mp3\r\n");
    // The file left out of the list is named in the report, with the reason.
    ASSERT_EQ(run.problems().items().size(), 1u);
    EXPECT_EQ(run.problems().items()[0].entry, "line\nbreak.mp3");
    EXPECT_NE(run.problems().items()[0].reason.find("line break"), std::string::npos);
}

TEST_F(CopyRunTest, AsManyAsFitKeepsRoomForTheWrittenPlaylist) {
    const std::string stick = tmp / "stick";
    fs::create_directories(stick);
    tw::test::TmpfsMount mount(stick, "size=1m");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << mount.reason();
    // Together exactly as large as the stick.
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3"})
        source(name, std::string(256 * 1024, name[0]));
    RunSetup s = setup({src + "/1.mp3", src + "/2.mp3", src + "/3.mp3", src + "/4.mp3"});
    s.destination = platform::Path(stick);
    s.options.writePlaylist = true;
    s.options.asManyAsFit = true;
    s.options.playlistName = "list.m3u8";

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(run.counters().created, 3);
    EXPECT_EQ(run.counters().failed, 1);
    EXPECT_EQ(run.playlistsWritten(), std::vector{platform::Path(stick + "/list.m3u8")});
    EXPECT_EQ(readFile(stick + "/list.m3u8"), "#EXTM3U\r\n1.mp3\r\n2.mp3\r\n3.mp3\r\n");
}

TEST_F(CopyRunTest, ReplaceTakesOnlyTheFileTheUserAgreedToReplace) {
    writeFile(at("a.mp3"), "old");
    source("a.mp3", "the run's a");
    source("b.mp3", "b");
    // While the replacing copy waits, the user puts another file under the name.
    host.onFile = [&](ScriptedHost&, const std::string& name) {
        if (name == "b.mp3") {
            fs::remove(at("a.mp3"));
            writeFile(at("a.mp3"), "the user's new a");
        }
    };
    host.collisionAnswers = {answer(CollisionAction::Replace), answer(CollisionAction::Skip)};

    CopyRun run(setup({src + "/a.mp3", src + "/b.mp3"}), context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    ASSERT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(host.questions[1].target.size, 16);
    EXPECT_EQ(readFile(at("a.mp3")), "the user's new a");
    EXPECT_EQ(run.counters().replaced, 0);
    EXPECT_EQ(run.counters().skipped, 1);
    EXPECT_EQ(run.counters().created, 1);
}

// The FUSE driver of a mount, found by its mount point on its command line; -1 if none.
pid_t fuseDriverOf(const std::string& mountPoint) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string command;
        try {
            command = readFile(entry.path().string() + "/cmdline");
        } catch (const std::exception&) {
            continue; // ended meanwhile
        }
        if (command.find(mountPoint) != std::string::npos)
            return static_cast<pid_t>(std::stoi(name));
    }
    return -1;
}

// The stick is pulled (its driver killed) while a group goes to it: no file of the group is
// named or counted as copied, every entry after it fails too, the run still ends with its
// report, and the written playlist is not counted as written.
TEST_F(ExfatStickRun, DriverKilledDuringAGroupFlushCountsEveryFileAsFailed) {
    struct DisarmedPacer {
        ~DisarmedPacer() { platform::ChunkedCopy::setFlushPacer({}); }
    } disarm;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        source(name, name);
    const pid_t driver = fuseDriverOf(stick);
    ASSERT_GT(driver, 0);
    std::atomic<int> flushes{0};
    platform::ChunkedCopy::setFlushPacer([&] {
        if (++flushes == 1) {
            ::kill(driver, SIGKILL);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (::kill(driver, 0) == 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    // The pause after b sends a and b to the stick before the run waits.
    host.onFile = [](ScriptedHost& h, const std::string& name) {
        if (name == "b.mp3")
            h.pressPause(1);
    };
    RunSetup s = setup({src + "/a.mp3", src + "/b.mp3", src + "/c.mp3"});
    s.destination = platform::Path(stick);
    s.options.writePlaylist = true;
    s.options.playlistName = "copied.m3u8";

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(flushes.load(), 1);
    EXPECT_EQ(run.counters().created, 0);
    EXPECT_EQ(run.counters().failed, 4); // three files and the playlist
    EXPECT_EQ(run.problems().items().size(), 4u);
    EXPECT_TRUE(run.playlistsWritten().empty());
}

// The drive is unmounted lazily while a group goes to it: the run's files still reach it
// through the folder the run holds, but the written playlist, written by its path, would land
// in the bare mount point on another file system and be reported as written.
TEST_F(CopyRunTest, PlaylistIsNotWrittenIntoTheMountPointOfADriveUnmountedDuringTheRun) {
    const std::string disk = tmp / "disk";
    fs::create_directories(disk);
    tw::test::ImageMount mount(tw::test::ImageMount::Kind::Ext4, tmp / "disk.img", disk, 32);
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    struct DisarmedPacer {
        ~DisarmedPacer() { platform::ChunkedCopy::setFlushPacer({}); }
    } disarm;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        source(name, name);
    std::atomic<int> flushes{0};
    platform::ChunkedCopy::setFlushPacer([&] {
        if (++flushes == 1) {
            EXPECT_EQ(std::system(("umount -l " + disk).c_str()), 0);
        }
    });
    // The pause after b sends a and b to the drive before the run waits.
    host.onFile = [](ScriptedHost& h, const std::string& name) {
        if (name == "b.mp3")
            h.pressPause(1);
    };
    RunSetup s = setup({src + "/a.mp3", src + "/b.mp3", src + "/c.mp3"});
    s.destination = platform::Path(disk);
    s.options.writePlaylist = true;
    s.options.playlistName = "copied.m3u8";

    CopyRun run(s, context(), host.clock());
    EXPECT_EQ(run.run(), CopyRun::End::Completed);

    EXPECT_EQ(namesIn(disk), std::vector<std::string>{});
    EXPECT_TRUE(run.playlistsWritten().empty());
    EXPECT_EQ(run.counters().created, 3);
    EXPECT_EQ(run.counters().failed, 1);
    ASSERT_EQ(run.problems().items().size(), 1u);
    EXPECT_EQ(run.problems().items()[0].reason, "the destination folder is gone");
}

} // namespace
} // namespace tw::copy
