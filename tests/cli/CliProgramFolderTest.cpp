// tunewagon-copy run from a program folder of the test's own, with its own language files.
#include "support/ChildProcess.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using tw::test::ChildOutcome;
using tw::test::ChildProcess;
using tw::test::TempFolder;
using tw::test::writeFile;

class CliProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_work / "prog");
        std::filesystem::copy_file(TW_COPY_PROGRAM, m_work / "prog/tunewagon-copy");
        writeFile(m_work / "a.mp3", "a");
        writeFile(m_work / "list.m3u", "a.mp3\n");
        std::filesystem::create_directory(m_work / "out");
    }
    ChildOutcome run(const std::string& language) {
        ChildProcess child(
            {m_work / "prog/tunewagon-copy", "--language=" + language, "list.m3u", "out"},
            std::nullopt, m_work.path());
        return child.wait();
    }

    TempFolder m_work;
};

TEST_F(CliProgramFolder, FileWithoutTheMarkerIsNamedAsSuchNotAsMissing) {
    writeFile(m_work / "prog/Language/Bad/Bad.txt", "Bad\r\ntunewagon\r\nkB\r\n");
    const ChildOutcome o = run("Bad");
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_NE(o.err.find("not a language file"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("no language file"), std::string::npos) << o.err;
}

// Control characters from names and files reach the terminal as text, not as commands.
TEST_F(CliProgramFolder, ControlCharactersArePrintedEscaped) {
    const ChildOutcome o = run("\x1b]0;owned\x07");
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_NE(o.err.find("\\x1b]0;owned\\x07"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find('\x1b'), std::string::npos);
    EXPECT_EQ(o.err.find('\x07'), std::string::npos);
}

} // namespace
