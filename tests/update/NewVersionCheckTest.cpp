// The main program's side of the hand-off, over a scripted main window.

#include "update/NewVersionCheck.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"
#include "update/ScheduleError.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <vector>

namespace {

using tw::platform::fileExists;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

struct ScriptedWindow : tw::update::NewVersionHost {
    bool isBusy = false;
    bool answerPolling = false;
    bool announcementRetrying = false;
    int shown = 0;
    std::vector<std::string> started;
    tw::errors::LocalTime clock{2026, 12, 8, 10, 15, 0};

    bool busy() const override { return isBusy; }
    void clearBusy() override { isBusy = false; }
    void pollForAnswer(bool on) override { answerPolling = on; }
    void retryAnnouncementLater(bool on) override { announcementRetrying = on; }
    void showAnnouncement() override { ++shown; }
    void startChecker(const std::string& program) override { started.push_back(program); }
    tw::errors::LocalTime now() const override { return clock; }
    void noteInLog(const std::string& code, const std::string& text) override {
        notes.push_back(code + ": " + text);
    }
    std::vector<std::string> notes;
};

class NewVersionCheckTest : public ::testing::Test {
protected:
    std::string at(const char* name) { return m_folder / name; }

    TempFolder m_folder;
    ScriptedWindow m_window;
    tw::update::NewVersionCheck m_check{m_folder.path(), m_folder / "freshpoll", m_window};
};

TEST_F(NewVersionCheckTest, StartRecordsTheTimeRemovesAStaleReadyMarkAndPollsOncePerRun) {
    writeFile(at("CheckReady"), "");

    m_check.start();

    EXPECT_EQ(readFile(at("LastCheck.ini")), "08.12.26\n10:15:00\n");
    EXPECT_FALSE(fileExists(at("CheckReady")));
    EXPECT_EQ(m_window.started, std::vector<std::string>{at("freshpoll")});
    EXPECT_TRUE(m_window.answerPolling);

    // The checker is still working: polling finds nothing yet.
    m_check.answerPollTick();
    EXPECT_TRUE(m_window.answerPolling);
    // Ticking the option again in this run starts nothing more.
    m_window.clock.day = 10;
    m_check.start();
    EXPECT_EQ(m_window.started.size(), 1u);
}

TEST_F(NewVersionCheckTest, PipeInPlaceOfLastCheckDoesNotBlockTheStart) {
    ASSERT_EQ(::mkfifo(at("LastCheck.ini").c_str(), 0600), 0);

    m_check.start();

    EXPECT_EQ(readFile(at("LastCheck.ini")), "08.12.26\n10:15:00\n");
    EXPECT_EQ(m_window.started.size(), 1u);
}

TEST_F(NewVersionCheckTest, CheckWithinTheDayStartsNothingAndLeavesLastCheckAlone) {
    writeFile(at("LastCheck.ini"), "07.12.26\r\n10:30:00\r\n");
    m_window.clock = {2026, 12, 8, 9, 15, 0};

    m_check.start();

    EXPECT_TRUE(m_window.started.empty());
    EXPECT_FALSE(m_window.answerPolling);
    EXPECT_EQ(readFile(at("LastCheck.ini")), "07.12.26\r\n10:30:00\r\n");
}

TEST_F(NewVersionCheckTest, DamagedLastCheckCountsAsNoCheckIsNotedOnceAndWrittenAnew) {
    const std::string zeros(16, '\0');
    for (const std::string& damaged :
         {std::string("Tuesday\n10:30:00\n"), std::string("07.12.26\n"),
          std::string("07.12.26\r\nnoon\r\n"),
          "07.12.26\r\n10:30:00" + std::string(40, ' ') + "x\r\n", zeros, std::string("big")}) {
        TempFolder folder;
        ScriptedWindow window;
        window.clock = {2026, 12, 8, 9, 15, 0};
        if (damaged == "big") {
            // Zero bytes to the size a power cut can leave, without a line end.
            writeFile(folder / "LastCheck.ini", "");
            std::filesystem::resize_file(folder / "LastCheck.ini", 50u << 20);
        } else {
            writeFile(folder / "LastCheck.ini", damaged);
        }
        tw::update::NewVersionCheck check(folder.path(), folder / "freshpoll", window);

        EXPECT_NO_THROW(check.start()) << damaged;

        EXPECT_EQ(window.started.size(), 1u) << damaged;
        EXPECT_EQ(readFile(folder / "LastCheck.ini"), "08.12.26\n09:15:00\n") << damaged;
        EXPECT_EQ(window.notes.size(), 1u) << damaged;

        // The next start reads the file written anew, with nothing more to note.
        ScriptedWindow later;
        later.clock = window.clock;
        tw::update::NewVersionCheck again(folder.path(), folder / "freshpoll", later);
        again.start();
        EXPECT_TRUE(later.notes.empty());
        EXPECT_TRUE(later.started.empty());
    }
}

TEST_F(NewVersionCheckTest, AnnouncementWaitsForTheBusyWindowAndShowsOnce) {
    m_check.start();
    writeFile(at("CheckNVTrue.txt"), "1.2.0\n");
    writeFile(at("CheckNVTrueEng.txt"), "1.2.0\n");
    writeFile(at("CheckReady"), "");
    m_window.isBusy = true;

    m_check.answerPollTick();
    EXPECT_FALSE(m_window.answerPolling);
    EXPECT_TRUE(m_window.announcementRetrying);
    EXPECT_EQ(m_window.shown, 0);

    m_check.announcementRetryTick(); // still busy
    EXPECT_TRUE(m_window.announcementRetrying);
    EXPECT_EQ(m_window.shown, 0);

    m_window.isBusy = false;
    m_check.announcementRetryTick();
    EXPECT_FALSE(m_window.announcementRetrying);
    EXPECT_EQ(m_window.shown, 1);
    EXPECT_TRUE(m_check.resultHandled());

    m_check.resultStep();
    EXPECT_EQ(m_window.shown, 1);
}

TEST_F(NewVersionCheckTest, NoAnnouncementStopsPollingAndAcknowledgedOneIsNotShown) {
    m_check.start();
    writeFile(at("CheckNVFalse"), "");
    writeFile(at("CheckReady"), "");
    m_check.answerPollTick();
    EXPECT_FALSE(m_window.answerPolling);
    EXPECT_EQ(m_window.shown, 0);

    // Next run: an announcement already acknowledged with Ok is neither shown nor checked.
    ScriptedWindow next;
    tw::update::NewVersionCheck nextRun(m_folder.path(), at("freshpoll"), next);
    writeFile(at("CheckNVTrue.txt"), "1.2.0\n");
    writeFile(at("CheckTrue"), "");
    nextRun.start();
    EXPECT_EQ(next.shown, 0);
    EXPECT_TRUE(next.started.empty());

    // Turning the option off forgets the acknowledgement.
    nextRun.forgetAcknowledgement();
    EXPECT_FALSE(fileExists(at("CheckTrue")));
}

} // namespace
