#include "errors/ErrorCodes.h"
#include "errors/ErrorReporter.h"
#include "errors/Guard.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

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

TEST_F(ReporterTest, EveryGuardStartsAtStepZeroAndTheHandlerGoesOnAfterAFailure) {
    stepNumber() = 5; // left behind by an earlier routine
    int stepSeen = -1;
    EXPECT_FALSE(guarded(codes::MainButton1Click, [&] {
        stepSeen = stepNumber();
        throw std::runtime_error("x");
    }));
    EXPECT_EQ(stepSeen, 0);
    // Button2Click builds its code from the step at the failure, which its guard reset.
    stepNumber() = 3;
    EXPECT_FALSE(
        guardedWithStep(codes::MainButton2ClickPrefix, [] { throw std::runtime_error("x"); }));
    EXPECT_TRUE(guarded(codes::MainButton1Click, [] {}));
    EXPECT_EQ(m_presenter.shown, (std::vector<std::string>{"2.001 - 005.0", "2.001 - 009.0"}));
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

// Each handler with the code it reports under. Button1Click chooses the playlist and
// Button2Click the destination; the local-drive test borrows the report's code.
TEST(ErrorCodes, EachHandlerReportsUnderItsOwnCode) {
    struct Row {
        const char* handler;
        std::string_view code;
        const char* text;
    };
    const Row rows[] = {
        {"CalSize", codes::CalSize, "2.001 - 001.0"},
        {"main FormCloseQuery", codes::MainFormCloseQuery, "2.001 - 002.0"},
        {"main FormCreate", codes::MainFormCreate, "2.001 - 003.0"},
        {"main BitBtn1Click (help)", codes::MainBitBtn1Click, "2.001 - 004.0"},
        {"main Button1Click (playlist)", codes::MainButton1Click, "2.001 - 005.0"},
        {"CheckLaunchEnabled", codes::CheckLaunchEnabled, "2.001 - 006.0"},
        {"main Button5Click (start)", codes::MainButton5Click, "2.001 - 007.0"},
        {"copy report text", codes::CopyReportText, "2.001 - 008.0"},
        {"local-drive test", codes::LocalDriveTest, "2.001 - 008.0"},
        {"main Button2Click (destination)", codes::MainButton2ClickPrefix, "2.001 - 009."},
        {"main CheckBox4Click", codes::MainCheckBox4Click, "2.001 - 010.0"},
        {"main Button4Click (language menu)", codes::MainButton4Click, "2.001 - 011.0"},
        {"ChangeLanguage", codes::ChangeLanguage, "2.001 - 012.0"},
        {"main FormShow", codes::MainFormShow, "2.001 - 013.0"},
        {"main FormClose", codes::MainFormClose, "2.001 - 014.0"},
        {"LoadLanguage", codes::LoadLanguage, "2.001 - 015.0"},
        {"new-version check start", codes::NewVersionCheckStart, "2.001 - 015.0"},
        {"elapsed-time text", codes::CopyElapsedText, "2.002 - 001.0"},
        {"CopyPlayList", codes::CopyPlayList, "2.002 - 002.0"},
        {"PauseCopy", codes::PauseCopy, "2.002 - 003.0"},
        {"copy Button1Click (cancel)", codes::CopyButton1Click, "2.002 - 004.0"},
        {"copy FormClose", codes::CopyFormClose, "2.002 - 005.0"},
        {"copy FormCreate", codes::CopyFormCreate, "2.002 - 006.0"},
        {"copy Button2Click (pause)", codes::CopyButton2Click, "2.002 - 007.0"},
        {"copy Timer1Timer", codes::CopyTimer1Timer, "2.002 - 008.0"},
        {"copy FormShow", codes::CopyFormShow, "2.002 - 009.0"},
        {"collision FormCreate", codes::ReWriteFormCreate, "2.003 - 001.0"},
        {"collision FormClose", codes::ReWriteFormClose, "2.003 - 002.0"},
        {"collision Button5Click", codes::ReWriteButton5Click, "2.003 - 003.0"},
        {"collision Button1Click", codes::ReWriteButton1Click, "2.003 - 004.0"},
        {"collision Button3Click", codes::ReWriteButton3Click, "2.003 - 005.0"},
        {"collision N1Click", codes::ReWriteN1Click, "2.003 - 006.0"},
        {"collision Button4Click", codes::ReWriteButton4Click, "2.003 - 007.0"},
        {"collision N2Click", codes::ReWriteN2Click, "2.003 - 008.0"},
        {"collision Button2Click", codes::ReWriteButton2Click, "2.003 - 009.0"},
        {"collision Button6Click", codes::ReWriteButton6Click, "2.003 - 010.0"},
        {"scan FormShow", codes::ScanFormShow, "2.004 - 001.0"},
        {"scan FormClose", codes::ScanFormClose, "2.004 - 002.0"},
        {"scan Timer1Timer", codes::ScanTimer, "2.004 - 003.0"},
        {"scan FormCreate", codes::ScanFormCreate, "2.004 - 004.0"},
        {"scan Button1Click (cancel)", codes::ScanButton1Click, "2.004 - 005.0"},
        {"rename Button1Click", codes::RenameButton1Click, "2.005 - 001.0"},
        {"rename Button2Click", codes::RenameButton2Click, "2.005 - 002.0"},
        {"rename FormClose", codes::RenameFormClose, "2.005 - 003.0"},
    };
    std::set<std::string> tabled;
    for (const Row& row : rows) {
        EXPECT_EQ(row.code, row.text) << row.handler;
        tabled.insert(row.code == codes::MainButton2ClickPrefix ? codes::mainButton2ClickCode(0)
                                                                : std::string(row.code));
    }
    // The list of every code holds exactly these 42, each once.
    const std::set<std::string> listed(codes::all.begin(), codes::all.end());
    EXPECT_EQ(listed.size(), codes::all.size());
    EXPECT_EQ(listed, tabled);
    EXPECT_EQ(codes::all.size(), 42u);
}

} // namespace
} // namespace tw::errors
