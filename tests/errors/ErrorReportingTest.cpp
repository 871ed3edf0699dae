#include "errors/ErrorCodes.h"
#include "errors/ErrorReporter.h"
#include "errors/Guard.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

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
    void TearDown() override {
        auto& r = ErrorReporter::instance();
        r.setPresenter(nullptr);
        r.setClock(nullptr);
        r.setWindowOpen(false);
    }
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
    const bool finished = guarded(codes::ScanTimer, [] { throw std::runtime_error("disk gone"); });
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
        "Dump = \"\"",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(m_presenter.shown, std::vector<std::string>{"2.004 - 003.0"});
    EXPECT_FALSE(platform::fileExists(m_folder / "TempFiles/Tmp1"));
}

TEST_F(ReporterTest, TypeNameIsDemangledForOwnNonStdAndFundamentalTypes) {
    guarded(codes::MainFormCreate, [] { throw platform::FileError("x", "/p", 2); });
    guarded(codes::MainFormShow, [] { throw CustomFailure{}; });
    guarded(codes::MainFormClose, [] { throw 42; });
    const auto lines = splitCrLf(log());
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[8], "Type = tw::platform::FileError");
    EXPECT_EQ(lines[18], "Type = tw::errors::(anonymous namespace)::CustomFailure");
    EXPECT_EQ(lines[28], "Type = int");
}

TEST_F(ReporterTest, LaterFailuresAppendAfterEarlierRecordsInOrder) {
    test::writeFile(m_folder / "ErrorLog/Debug.Log", "old line\r\n");
    guarded(codes::CopyPlayList, [] { throw std::logic_error("a"); });
    m_now.second = 3;
    guarded(codes::RenameButton1Click, [] { throw std::logic_error("b"); });

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
    guarded(codes::CopyPlayList, [] { throw std::logic_error("a"); });
    const std::string before = log();
    ErrorReporter::instance().setWindowOpen(true);
    EXPECT_FALSE(guarded(codes::CopyTimer1Timer, [] { throw std::logic_error("b"); }));
    EXPECT_EQ(log(), before);
    EXPECT_EQ(m_presenter.shown.size(), 1u);
}

TEST_F(ReporterTest, UnwritableLogPropagatesAndShowsNoWindow) {
    // A folder where the log should be: it cannot be opened for writing (even by root).
    platform::createFolders(m_folder / "ErrorLog/Debug.Log");
    EXPECT_THROW(guarded(codes::MainFormCreate, [] { throw std::runtime_error("x"); }),
                 platform::FileError);
    EXPECT_TRUE(m_presenter.shown.empty());
}

TEST_F(ReporterTest, ErrorLogThatIsAFileStopsTheReport) {
    test::writeFile(m_folder / "ErrorLog", "not a folder");
    EXPECT_THROW(ErrorReporter::instance().report("2.001 - 003.0", "T", ""), platform::FileError);
    EXPECT_TRUE(m_presenter.shown.empty());
}

TEST_F(ReporterTest, GuardResetsStepNumberAndSkipsRestOfBody) {
    stepNumber() = 5;
    bool afterThrow = false;
    int stepSeen = -1;
    guarded(codes::MainButton1Click, [&] {
        stepSeen = stepNumber();
        throw std::runtime_error("x");
        afterThrow = true;
    });
    EXPECT_EQ(stepSeen, 0);
    EXPECT_FALSE(afterThrow);
    EXPECT_TRUE(guarded(codes::MainButton1Click, [] {}));
    EXPECT_EQ(m_presenter.shown.size(), 1u);
}

TEST_F(ReporterTest, Button2ClickCodeIsBuiltFromStepNumberAtFailure) {
    guardedWithStep(codes::MainButton2ClickPrefix, [] { throw std::runtime_error("x"); });
    EXPECT_EQ(m_presenter.shown, std::vector<std::string>{"2.001 - 009.0"});
}

TEST(DebugLogFormat, EmptyUserAndComputerReadNotAvailableAndDumpIsQuoted) {
    const std::string record =
        formatRecord({2024, 12, 31, 23, 59, 58}, {"6.1.0", "", ""}, "2.001 - 014.0", "E", "dump");
    const auto lines = splitCrLf(record);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[1], "23:59:58 [12/31/2024]");
    EXPECT_EQ(lines[4], "WinV = 6.1.0");
    EXPECT_EQ(lines[5], "User = n/a");
    EXPECT_EQ(lines[6], "PC = n/a");
    EXPECT_EQ(lines[9], "Dump = \"dump\"");
}

TEST(ErrorCodes, EveryCodeIsWellFormedAndUnique) {
    const std::regex shape(R"(2\.00[1-5] - \d{3}\.0)");
    std::set<std::string_view> seen;
    for (auto code : codes::all) {
        EXPECT_TRUE(std::regex_match(std::string(code), shape)) << code;
        EXPECT_TRUE(seen.insert(code).second) << "twice: " << code;
    }
    EXPECT_EQ(codes::mainButton2ClickCode(0), "2.001 - 009.0");
    // The collision dialog numbers N1Click before Button4Click.
    EXPECT_EQ(codes::ReWriteN1Click, "2.003 - 006.0");
    EXPECT_EQ(codes::ReWriteButton4Click, "2.003 - 007.0");
}

} // namespace
} // namespace tw::errors
