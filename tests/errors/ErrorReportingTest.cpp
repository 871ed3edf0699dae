#include "errors/ErrorCodes.h"
#include "errors/ErrorReporter.h"
#include "errors/Guard.h"
#include "platform/FaultInjection.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

namespace tw::errors {
namespace {

using test::TempFolder;

struct CustomFailure {
    int value = 7;
};

class RecordingPresenter : public ErrorPresenter {
public:
    void showError(const std::string& code) override { shown.push_back(code); }
    std::vector<std::string> shown;
};

std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Points the process-wide reporter at a fresh program folder, a fixed clock and a
// recording presenter, and puts it back afterwards.
class ReporterTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& r = ErrorReporter::instance();
        r.setProgramFolder(m_folder.path());
        r.setPresenter(&m_presenter);
        r.setClock([this] { return m_now; });
        r.setWindowOpen(false);
    }
    void TearDown() override { ErrorReporter::instance().reset(); }
    std::string log() const { return test::readFile(m_folder / "ErrorLog/Debug.Log"); }

    TempFolder m_folder;
    RecordingPresenter m_presenter;
    LocalTime m_now{2026, 3, 7, 9, 5, 2};
};

std::string expectedUser() {
    const auto u = platform::userName();
    return u.empty() ? "n/a" : u;
}

std::string expectedHost() {
    const auto h = platform::hostName();
    return h.empty() ? "n/a" : h;
}

TEST_F(ReporterTest, FirstFailureCreatesLogWithOneExactRecordAndShowsWindow) {
    const bool finished =
        guarded(codes::ScanRunOnTimer, [] { throw std::runtime_error("disk gone"); });
    EXPECT_FALSE(finished);

    const auto lines = splitCrLf(log());
    const std::vector<std::string> expected = {
        std::string(73, '='),
        "09:05:02 [03/07/2026]",
        "SSCN = Tunewagon",
        "SSCV = 1.1.0.lang",
        "WinV = " + platform::kernelVersion(),
        "User = " + expectedUser(),
        "PC = " + expectedHost(),
        "Adress = 2.004 - 003.0",
        "Type = std::runtime_error",
        "Dump = \"disk gone\"",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(m_presenter.shown, std::vector<std::string>{"2.004 - 003.0"});
    EXPECT_FALSE(platform::fileExists(m_folder / "TempFiles/Tmp1"));
}

TEST_F(ReporterTest, TypeNameIsDemangledForOwnNonStdAndFundamentalTypes) {
    guarded(codes::MainLoadSettings, [] { throw platform::FileError("x", "/p", 2); });
    guarded(codes::MainPrepareOnShow, [] { throw CustomFailure{}; });
    guarded(codes::MainSaveSettings, [] { throw 42; });
    const auto lines = splitCrLf(log());
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[8], "Type = tw::platform::FileError");
    EXPECT_EQ(lines[18], "Type = tw::errors::(anonymous namespace)::CustomFailure");
    EXPECT_EQ(lines[28], "Type = int");
}

TEST_F(ReporterTest, LaterFailuresAppendAfterEarlierRecordsInOrder) {
    test::writeFile(m_folder / "ErrorLog/Debug.Log", "old line\r\n");
    guarded(codes::CopyRun, [] { throw std::logic_error("a"); });
    m_now.second = 3;
    guarded(codes::RenameAcceptName, [] { throw std::logic_error("b"); });

    const auto lines = splitCrLf(log());
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[0], "old line");
    EXPECT_EQ(lines[2], "09:05:02 [03/07/2026]");
    EXPECT_EQ(lines[8], "Adress = 2.002 - 002.0");
    EXPECT_EQ(lines[11], lines[1]);
    EXPECT_EQ(lines[12], "09:05:03 [03/07/2026]");
    EXPECT_EQ(lines[18], "Adress = 2.005 - 001.0");
    EXPECT_FALSE(platform::fileExists(m_folder / "TempFiles/Tmp1"));
    EXPECT_EQ(m_presenter.shown.size(), 2u);
}

TEST_F(ReporterTest, FailureWhileErrorWindowIsOpenIsDroppedSilently) {
    guarded(codes::CopyRun, [] { throw std::logic_error("a"); });
    const std::string before = log();
    ErrorReporter::instance().setWindowOpen(true);
    EXPECT_FALSE(guarded(codes::CopyRunOnTimer, [] { throw std::logic_error("b"); }));
    EXPECT_EQ(log(), before);
    EXPECT_EQ(m_presenter.shown.size(), 1u);
}

// The failure being reported comes first in what the user reads, the log's own failure second.
TEST_F(ReporterTest, UnwritableLogTellsTheOriginalFailureFirstAndShowsNoWindow) {
    platform::injectFileFault(platform::FileOperation::Open, m_folder / "ErrorLog/Debug.Log",
                              EROFS);
    std::string shown;
    try {
        guarded(codes::MainSaveSettings, [] { throw std::runtime_error("settings not saved"); });
    } catch (const LogWriteError& e) {
        shown = e.what();
    }
    platform::clearFileFaults();
    const auto original = shown.find("2.001 - 014.0");
    const auto reason = shown.find("settings not saved");
    const auto logFailure = shown.find("Read-only file system");
    ASSERT_NE(original, std::string::npos) << shown;
    ASSERT_NE(reason, std::string::npos) << shown;
    ASSERT_NE(logFailure, std::string::npos) << shown;
    EXPECT_LT(reason, logFailure);
    EXPECT_TRUE(m_presenter.shown.empty());

    std::filesystem::remove_all(m_folder / "ErrorLog");
    test::writeFile(m_folder / "ErrorLog", "not a folder");
    EXPECT_THROW(ErrorReporter::instance().report("2.001 - 003.0", "T", ""), LogWriteError);
    EXPECT_TRUE(m_presenter.shown.empty());
}

// A link or FIFO planted as the log or its folder never receives a record nor stalls one.
TEST_F(ReporterTest, LogIsNeverWrittenThroughLinksOrIntoFifos) {
    const TempFolder elsewhere;
    const std::string target = elsewhere / "target.txt";
    test::writeFile(target, "mine\n");
    std::filesystem::create_directory(m_folder / "ErrorLog");
    std::filesystem::create_symlink(target, m_folder / "ErrorLog/Debug.Log");
    EXPECT_THROW(ErrorReporter::instance().report("2.001 - 003.0", "T", ""), LogWriteError);
    EXPECT_EQ(test::readFile(target), "mine\n");

    std::filesystem::remove(m_folder / "ErrorLog/Debug.Log");
    std::filesystem::create_symlink(elsewhere / "created.txt", m_folder / "ErrorLog/Debug.Log");
    EXPECT_THROW(ErrorReporter::instance().report("2.001 - 003.0", "T", ""), LogWriteError);
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "created.txt"));

    std::filesystem::remove(m_folder / "ErrorLog/Debug.Log");
    ASSERT_EQ(::mkfifo((m_folder / "ErrorLog/Debug.Log").c_str(), 0600), 0);
    EXPECT_THROW(ErrorReporter::instance().report("2.001 - 003.0", "T", ""), LogWriteError);

    std::filesystem::remove_all(m_folder / "ErrorLog");
    std::filesystem::create_symlink(elsewhere.path(), m_folder / "ErrorLog");
    EXPECT_THROW(ErrorReporter::instance().report("2.001 - 003.0", "T", ""), LogWriteError);
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "Debug.Log"));
    EXPECT_TRUE(m_presenter.shown.empty());
}

// A record that does not fit under the file-size limit leaves the log as it was.
TEST_F(ReporterTest, RecordCutShortByTheSizeLimitIsTakenBackWhole) {
    test::writeFile(m_folder / "ErrorLog/Debug.Log", "old record\r\n");
    const std::string before = log();
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = before.size() + 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        ErrorReporter::instance().report("2.001 - 003.0", "T", "");
    } catch (const LogWriteError&) {
        threw = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(threw);
    EXPECT_EQ(log(), before);
}

TEST_F(ReporterTest, EveryGuardStartsAtStepZeroAndTheHandlerGoesOnAfterAFailure) {
    stepNumber() = 5; // left behind by an earlier routine
    int stepSeen = -1;
    EXPECT_FALSE(guarded(codes::MainChoosePlaylist, [&] {
        stepSeen = stepNumber();
        throw std::runtime_error("x");
    }));
    EXPECT_EQ(stepSeen, 0);
    // Button2Click builds its code from the step at the failure, which its guard reset.
    stepNumber() = 3;
    EXPECT_FALSE(
        guardedWithStep(codes::MainChooseDestinationPrefix, [] { throw std::runtime_error("x"); }));
    EXPECT_TRUE(guarded(codes::MainChoosePlaylist, [] {}));
    EXPECT_EQ(m_presenter.shown, (std::vector<std::string>{"2.001 - 005.0", "2.001 - 009.0"}));
}

TEST(DebugLogFormat, EmptyUserAndComputerReadNotAvailableAndDumpIsOneEscapedLine) {
    const std::string record = formatRecord({2024, 12, 31, 23, 59, 58}, {"6.1.0", "", ""},
                                            "2.001 - 014.0", "E", "say \"x\"\r\nC:\\d\x1b[2J");
    const auto lines = splitCrLf(record);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[1], "23:59:58 [12/31/2024]");
    EXPECT_EQ(lines[4], "WinV = 6.1.0");
    EXPECT_EQ(lines[5], "User = n/a");
    EXPECT_EQ(lines[6], "PC = n/a");
    EXPECT_EQ(lines[9], "Dump = \"say \\\"x\\\"\\x0d\\x0aC:\\\\d\\x1b[2J\"");
}

} // namespace
} // namespace tw::errors
