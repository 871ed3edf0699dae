// The real tunewagon-copy run as a child process over temporary playlists and folders.

#include "copy/Transliteration.h"
#include "i18n/LanguageFile.h"
#include "i18n/StringTable.h"
#include "job/CopyReport.h"
#include "platform/FileSystem.h"
#include "support/ChildProcess.h"
#include "support/ImageMount.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using tw::copy::RunCounters;
using tw::platform::fileExists;
using tw::test::ChildOutcome;
using tw::test::ChildProcess;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

std::string reportFor(const RunCounters& c, bool cancelled = false) {
    return tw::job::buildCopyReport(c, cancelled, tw::i18n::StringTable(), "\n");
}

std::size_t filesBelow(const std::string& folder) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        n += e.is_regular_file() ? 1 : 0;
    }
    return n;
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        // Messages and reports in the built-in language, whatever the machine's locale.
        ::setenv("LC_ALL", "ru_RU.UTF-8", 1);
        writeFile(work / "music/Rock/a.mp3", std::string(5000, 'a'));
        writeFile(work / "music/b.mp3", std::string(7000, 'b'));
        writeFile(work / "list.m3u", "#EXTM3U\n#EXTINF:1,a\nmusic/Rock/a.mp3\nmusic/b.mp3\n");
        std::filesystem::create_directory(work / "out");
    }

    ChildOutcome run(std::vector<std::string> args) {
        args.insert(args.begin(), TW_COPY_PROGRAM);
        ChildProcess child(args, std::nullopt, work.path());
        return child.wait();
    }

    TempFolder work;
};

TEST_F(CliEndToEnd, CompleteCopyExitsZeroKeepsStructureAndPrintsTheReportWithLf) {
    const ChildOutcome o = run({"list.m3u", "out"});
    ASSERT_TRUE(o.exited);
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(readFile(work / "out/music/Rock/a.mp3"), std::string(5000, 'a'));
    EXPECT_EQ(readFile(work / "out/music/b.mp3"), std::string(7000, 'b'));
    RunCounters c;
    c.created = 2;
    EXPECT_EQ(o.out, reportFor(c));
    EXPECT_EQ(o.out.find('\r'), std::string::npos);
    EXPECT_EQ(o.err, "") << "no terminal: no progress line";
}

TEST_F(CliEndToEnd, FlatPutsEveryFileStraightIntoTheDestination) {
    const ChildOutcome o = run({"--flat", work / "list.m3u", work / "out"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_TRUE(fileExists(work / "out/a.mp3"));
    EXPECT_TRUE(fileExists(work / "out/b.mp3"));
    EXPECT_EQ(filesBelow(work / "out"), 2u);
}

// Under a file-size limit a copy that does not fit fails like any write error; the program
// is started with SIGXFSZ at its default and must not be ended by it.
TEST_F(CliEndToEnd, FileOverTheSizeLimitFailsItsCopyInsteadOfEndingTheProgram) {
    ChildProcess child({"env", "--default-signal=XFSZ", "prlimit", "--fsize=6000", TW_COPY_PROGRAM,
                        "--flat", "list.m3u", "out"},
                       std::nullopt, work.path());
    const ChildOutcome o = child.wait();
    ASSERT_TRUE(o.exited) << "ended by signal " << o.signal;
    EXPECT_EQ(o.exitCode, 1) << o.err;
    RunCounters c;
    c.created = 1;
    c.failed = 1;
    EXPECT_EQ(o.out, reportFor(c));
    EXPECT_EQ(readFile(work / "out/a.mp3"), std::string(5000, 'a'));
    EXPECT_FALSE(fileExists(work / "out/b.mp3")) << "nothing partial left behind";
}

TEST_F(CliEndToEnd, MissingEntryOrFailedCopyExitsOne) {
    writeFile(work / "gone.m3u", "music/b.mp3\nmusic/gone.mp3\n");
    const ChildOutcome o = run({"--flat", "gone.m3u", "out"});
    EXPECT_EQ(o.exitCode, 1);
    RunCounters c;
    c.created = 1;
    c.missing = 1;
    EXPECT_EQ(o.out, reportFor(c));

    // A folder in the way of the target: the copy fails, the run goes on.
    writeFile(work / "in-the-way.m3u", "music/Rock/a.mp3\nmusic/b.mp3\n");
    std::filesystem::create_directories(work / "blocked/a.mp3/x");
    const ChildOutcome f = run({"--flat", "in-the-way.m3u", "blocked"});
    EXPECT_EQ(f.exitCode, 1) << f.out;
    RunCounters fc;
    fc.created = 1;
    fc.failed = 1;
    EXPECT_EQ(f.out, reportFor(fc));
    EXPECT_EQ(filesBelow(work / "blocked"), 1u) << "nothing partial left behind";
}

TEST_F(CliEndToEnd, EveryMissingEntryAndFailedCopyIsNamedAsItHappensUnlessQuiet) {
    // A folder in the way of one target; a missing name that would drive the terminal.
    std::filesystem::create_directories(work / "out/a.mp3/x");
    writeFile(work / "bad.m3u", "music/Rock/a.mp3\nRock/\x1b]0;owned\x07.mp3\nmusic/b.mp3\n");
    const ChildOutcome o = run({"--flat", "bad.m3u", "out"});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find("failed: " + work / "music/Rock/a.mp3: "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("missing: Rock/\\x1b]0;owned\\x07.mp3\n"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find('\x1b'), std::string::npos) << "control characters are escaped";
    RunCounters c;
    c.created = 1;
    c.failed = 1;
    c.missing = 1;
    EXPECT_EQ(o.out, reportFor(c));

    const ChildOutcome quiet = run({"--flat", "--quiet", "bad.m3u", "out"});
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_EQ(quiet.err.find("failed:"), std::string::npos) << quiet.err;
    EXPECT_EQ(quiet.err.find("missing:"), std::string::npos) << quiet.err;
}

TEST_F(CliEndToEnd, PlaylistFromStandardInputAPipeOrAFifoIsReadOnce) {
    const std::string list = "music/Rock/a.mp3\nmusic/b.mp3\n";
    RunCounters two;
    two.created = 2;
    for (const std::string playlist : {"-", "/dev/stdin"}) {
        std::filesystem::remove_all(work / "out");
        std::filesystem::create_directory(work / "out");
        ChildProcess child({TW_COPY_PROGRAM, "--flat", playlist, "out"}, list, work.path());
        const ChildOutcome o = child.wait();
        EXPECT_EQ(o.exitCode, 0) << playlist << o.err;
        EXPECT_EQ(o.out, reportFor(two)) << playlist;
        EXPECT_EQ(filesBelow(work / "out"), 2u) << playlist;
    }

    // A named FIFO opens once: a second open would wait for a writer that never comes.
    std::filesystem::remove_all(work / "out");
    std::filesystem::create_directory(work / "out");
    ASSERT_EQ(ChildProcess({"mkfifo", work / "fifo.m3u"}).wait().exitCode, 0);
    ChildProcess writer({"sh", "-c", "printf 'music/Rock/a.mp3\\nmusic/b.mp3\\n' > fifo.m3u"},
                        std::nullopt, work.path());
    ChildProcess copier({TW_COPY_PROGRAM, "--flat", "fifo.m3u", "out"}, std::nullopt, work.path());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (filesBelow(work / "out") < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (filesBelow(work / "out") < 2)
        copier.terminate(); // the FIFO was opened a second time and waits: the fault
    const ChildOutcome o = copier.wait();
    writer.wait();
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, reportFor(two));
}

TEST_F(CliEndToEnd, LanguageFollowsTheLocaleWhenNoOptionOrSettingNamesOne) {
    const std::string programFolder = std::filesystem::path(TW_COPY_PROGRAM).parent_path();
    tw::i18n::StringTable english;
    ASSERT_EQ(tw::i18n::loadLanguageFile(english, programFolder, "English"),
              tw::i18n::LanguageLoad::Loaded);
    RunCounters c;
    c.created = 2;
    const std::string russianReport = reportFor(c);
    const std::string englishReport = tw::job::buildCopyReport(c, false, english, "\n");
    ASSERT_NE(russianReport, englishReport);
    const struct {
        const char *all, *lang;
        std::string report;
    } cases[] = {{nullptr, "en_GB.UTF-8", englishReport},
                 {nullptr, "ru_RU.UTF-8", russianReport},
                 {"ru_RU.UTF-8", "en_GB.UTF-8", russianReport},
                 {nullptr, nullptr, englishReport}};
    for (const auto& k : cases) {
        std::filesystem::remove_all(work / "out");
        std::filesystem::create_directory(work / "out");
        k.all ? ::setenv("LC_ALL", k.all, 1) : ::unsetenv("LC_ALL");
        k.lang ? ::setenv("LANG", k.lang, 1) : ::unsetenv("LANG");
        ::unsetenv("LC_MESSAGES");
        const ChildOutcome o = run({"list.m3u", "out"});
        EXPECT_EQ(o.out, k.report) << (k.all ? k.all : "-") << " " << (k.lang ? k.lang : "-");
    }
}

TEST_F(CliEndToEnd, RefusalsExitTwoWithoutAReport) {
    const tw::i18n::StringTable t;
    writeFile(work / "none.m3u", "#EXTM3U\nmusic/none.mp3\n");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--bogus", "list.m3u", "out"}, "--bogus"},
        {{"list.m3u"}, "DESTINATION"},
        {{"--on-collision=sometimes", "list.m3u", "out"}, "sometimes"},
        {{"list.m3u", "no-such-folder"}, t.StrBadFolder},
        {{"list.m3u", "/proc"}, t.StrLocalOnly},
        {{"no-such.m3u", "out"}, t.StrFileError},
        {{"none.m3u", "out"}, t.StrNoFiles},
    };
    for (const auto& c : cases) {
        const ChildOutcome o = run(c.args);
        EXPECT_EQ(o.exitCode, 2) << c.args[0];
        EXPECT_EQ(o.out, "") << c.args[0];
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    }
    EXPECT_EQ(filesBelow(work / "out"), 0u);
}

TEST_F(CliEndToEnd, VersionAndHelpGoToStandardOutput) {
    const ChildOutcome v = run({"--version"});
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_EQ(v.out, "Tunewagon 1.1.0.lang\n");
    const ChildOutcome h = run({"--help"});
    EXPECT_EQ(h.exitCode, 0);
    EXPECT_NE(h.out.find("--on-collision=MODE"), std::string::npos);
}

TEST_F(CliEndToEnd, CollisionModesSkipReplaceAndAutoRename) {
    writeFile(work / "out/a.mp3", "old");
    writeFile(work / "one.m3u", "music/Rock/a.mp3\n");

    // Without a terminal the default is skip.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--flat", "one.m3u", "out"},
          std::vector<std::string>{"--flat", "--on-collision=skip", "one.m3u", "out"}}) {
        const ChildOutcome o = run(args);
        EXPECT_EQ(o.exitCode, 0);
        RunCounters c;
        c.skipped = 1;
        EXPECT_EQ(o.out, reportFor(c));
        EXPECT_EQ(readFile(work / "out/a.mp3"), "old");
    }

    const ChildOutcome r = run({"--flat", "--on-collision=auto-rename", "one.m3u", "out"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readFile(work / "out/a.mp3"), "old");
    EXPECT_EQ(readFile(work / "out/a_001.mp3"), std::string(5000, 'a'));
    RunCounters rc;
    rc.autoRenamed = 1;
    EXPECT_EQ(r.out, reportFor(rc));

    const ChildOutcome p = run({"--flat", "--on-collision=replace", "one.m3u", "out"});
    EXPECT_EQ(p.exitCode, 0);
    EXPECT_EQ(readFile(work / "out/a.mp3"), std::string(5000, 'a'));
    RunCounters pc;
    pc.replaced = 1;
    EXPECT_EQ(p.out, reportFor(pc));
    EXPECT_EQ(filesBelow(work / "out"), 2u);
}

TEST_F(CliEndToEnd, TranslitAndOnlyMp3ReachTheRun) {
    writeFile(work / "music/песня.mp3", "song");
    writeFile(work / "music/loud.MP3", "loud");
    writeFile(work / "mixed.m3u", "music/песня.mp3\nmusic/loud.MP3\n");
    const ChildOutcome o = run({"--flat", "--translit", "--only-mp3", "mixed.m3u", "out"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    const std::string name = tw::copy::transliterateName("песня.mp3");
    ASSERT_NE(name, "песня.mp3");
    EXPECT_EQ(readFile(work / ("out/" + name)), "song");
    EXPECT_EQ(filesBelow(work / "out"), 1u) << "the .MP3 file is not taken";
    RunCounters c;
    c.created = 1;
    EXPECT_EQ(o.out, reportFor(c));
}

TEST_F(CliEndToEnd, CopyingOntoItselfCountsIdentical) {
    writeFile(work / "music/self.m3u", "b.mp3\n");
    const ChildOutcome o = run({"--flat", "music/self.m3u", "music"});
    EXPECT_EQ(o.exitCode, 0);
    RunCounters c;
    c.identical = 1;
    EXPECT_EQ(o.out, reportFor(c));
    EXPECT_EQ(readFile(work / "music/b.mp3"), std::string(7000, 'b'));
}

TEST_F(CliEndToEnd, NotEnoughSpaceIsRefusedUnlessAsManyAsFit) {
    std::filesystem::create_directory(work / "small");
    tw::test::ImageMount drive(tw::test::ImageMount::Kind::Ext4, work / "small.img", work / "small",
                               4);
    if (!drive.mounted()) {
        GTEST_SKIP() << drive.reason();
    }
    std::string list;
    for (int i = 0; i < 3; ++i) {
        const std::string name = "big" + std::to_string(i) + ".mp3";
        writeFile(work / ("music/" + name), std::string(1024 * 1024, char('0' + i)));
        list += "music/" + name + "\n";
    }
    writeFile(work / "big.m3u", list);
    const tw::i18n::StringTable t;

    const ChildOutcome refused = run({"--flat", "big.m3u", "small"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, t.StrSpaceTooSmall + "\n" + t.StrFreeSomeSpace + "\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_FALSE(fileExists(work / "small/big0.mp3"));

    const ChildOutcome fit = run({"--flat", "--as-many-as-fit", "big.m3u", "small"});
    EXPECT_EQ(fit.exitCode, 1) << "the file that did not fit failed";
    EXPECT_EQ(fit.err, t.StrSpaceTooSmall + "\n" + t.StrAsManyAsFit +
                           "\nfailed: " + work / "music/big2.mp3: No space left on device\n");
    RunCounters c;
    c.created = 2;
    c.failed = 1;
    EXPECT_EQ(fit.out, reportFor(c));
    EXPECT_EQ(readFile(work / "small/big1.mp3"), std::string(1024 * 1024, '1'));
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(work / "small")) {
        files += e.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 2u) << "no partial file of the one that did not fit";
}

// Waits (20 s at most) until the child holds a file open in the folder. A copy in progress
// may have no name there yet, and finished ones get theirs only group by group.
void waitUntilWritingIn(const ChildProcess& child, const std::string& folder) {
    const std::string fds = "/proc/" + std::to_string(child.pid()) + "/fd";
    const auto writing = [&] {
        std::error_code ec;
        for (const auto& fd : std::filesystem::directory_iterator(fds, ec))
            if (std::filesystem::read_symlink(fd.path(), ec).string().rfind(folder + "/", 0) == 0)
                return true;
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!writing() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

TEST_F(CliEndToEnd, CtrlCFinishesTheCurrentFileAndReportsTheCancel) {
    constexpr int count = 1000;
    std::string list;
    for (int i = 0; i < count; ++i) {
        const std::string name = "many/f" + std::to_string(i) + ".mp3";
        writeFile(work / name, std::string(16 * 1024, 'x'));
        list += name + "\n";
    }
    writeFile(work / "many.m3u", list);

    ChildProcess child({TW_COPY_PROGRAM, "--flat", "many.m3u", "out"}, std::nullopt, work.path());
    waitUntilWritingIn(child, work / "out");
    child.interrupt();
    const ChildOutcome o = child.wait();
    ASSERT_TRUE(o.exited) << "the first Ctrl-C does not kill the program";
    EXPECT_EQ(o.exitCode, 130);
    const tw::i18n::StringTable t;
    const std::string cancelledEnd = "\n\n" + t.StrReportCancelled + "\n";
    ASSERT_GE(o.out.size(), cancelledEnd.size());
    EXPECT_EQ(o.out.substr(o.out.size() - cancelledEnd.size()), cancelledEnd);
    const std::size_t copied = filesBelow(work / "out");
    EXPECT_GE(copied, 1u);
    EXPECT_LT(copied, static_cast<std::size_t>(count)) << "the run went on after Ctrl-C";
    RunCounters c;
    c.created = static_cast<std::int32_t>(copied);
    EXPECT_EQ(o.out, reportFor(c, true)) << "every file on disk is whole and counted";
}

TEST_F(CliEndToEnd, TermAndHangUpStopLikeAConfirmedCtrlCAndLeaveNoTemporaryFile) {
    // Files large enough that the signal most often lands in the middle of one.
    std::string list;
    for (int i = 0; i < 60; ++i) {
        const std::string name = "big/f" + std::to_string(i) + ".mp3";
        writeFile(work / name, std::string(2 * 1024 * 1024, static_cast<char>('a' + i % 26)));
        list += name + "\n";
    }
    writeFile(work / "big.m3u", list);

    for (const bool hangUp : {false, true}) {
        std::filesystem::remove_all(work / "out");
        std::filesystem::create_directory(work / "out");
        ChildProcess child({TW_COPY_PROGRAM, "--flat", "big.m3u", "out"}, std::nullopt,
                           work.path());
        waitUntilWritingIn(child, work / "out");
        hangUp ? child.hangUp() : child.terminate();
        const ChildOutcome o = child.wait();
        ASSERT_TRUE(o.exited) << "signal " << (hangUp ? "HUP" : "TERM") << " killed the program";
        EXPECT_EQ(o.exitCode, 130);
        const tw::i18n::StringTable t;
        EXPECT_NE(o.out.find(t.StrReportCancelled), std::string::npos) << o.out;
        for (const auto& e : std::filesystem::directory_iterator(work / "out")) {
            const std::string name = e.path().filename().string();
            EXPECT_NE(name[0], '.') << "temporary file left: " << name;
            EXPECT_EQ(e.file_size(), 2u * 1024 * 1024) << name;
        }
    }
}

} // namespace
