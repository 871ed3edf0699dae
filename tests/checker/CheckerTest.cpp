// The checker against a real HTTP server on 127.0.0.1: the files it leaves for each answer.

#include "LoopbackHttpServer.h"
#include "checker/CheckerFailure.h"
#include "checker/CheckerSettings.h"
#include "checker/CurlGlobal.h"
#include "checker/FreshpollRun.h"
#include "checker/WebAccess.h"
#include "platform/FileSystem.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

using namespace std::string_literals;
using tw::checker::runCheck;
using tw::platform::fileExists;
using tw::test::HttpReply;
using tw::test::LoopbackHttpServer;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

std::set<std::string> filesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

class Checker : public ::testing::Test {
protected:
    // The test server is on this machine: a proxy set for the machine is not asked.
    void SetUp() override { ::setenv("no_proxy", "127.0.0.1", 1); }

    // Settings.ini: an unused first line, the base name, the site, the time limit.
    void settings(const std::string& site, const std::string& seconds = "") {
        writeFile(m_folder / "Settings.ini",
                  "Tunewagon 1.1.0\r\nnext\r\n" + site + "\r\n" + seconds + "\r\n");
    }

    tw::checker::CurlGlobal m_curl;
    TempFolder m_folder;
};

TEST_F(Checker, NotFoundLeavesOnlyFalseAndReadyAndRemovesTheEarlierAnswer) {
    LoopbackHttpServer server([](const std::string&) { return HttpReply{404, "missing", {}, {}}; });
    // The site line without its final "/" still names the folder.
    std::string site = server.base();
    site.pop_back();
    settings(site);
    for (const char* old : {"CheckNVTrue.txt", "CheckNVTrueEng.txt", "CheckReady"})
        writeFile(m_folder / old, "from an earlier check");

    runCheck(m_folder.path());

    EXPECT_EQ(filesIn(m_folder.path()),
              (std::set<std::string>{"Settings.ini", "CheckNVFalse", "CheckReady"}));
    EXPECT_EQ(readFile(m_folder / "CheckNVFalse"), "");
    EXPECT_EQ(readFile(m_folder / "CheckReady"), "");
    // One probe of the Russian variant, as the probe's agent, past caches.
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/next.txt");
    EXPECT_NE(requests[0].head.find("User-Agent: InetURL:/1.0\r\n"), std::string::npos);
    EXPECT_NE(requests[0].head.find("Cache-Control: no-cache"), std::string::npos);
}

TEST_F(Checker, FoundWritesBothVariantsWithOneLineEndAndReadyLast) {
    LoopbackHttpServer server([](const std::string& path) {
        if (path == "/next.txt")
            return HttpReply{200, "1.2.0\r\n01.02.27\r\nhttp://x/\r\nНов\0ое"s, {}, {}};
        if (path == "/nextEng.txt")
            return HttpReply{200, "1.2.0\r\n2027-02-01\r\nhttp://x/\r\nNew", {}, {}};
        return HttpReply{404, {}, {}, {}};
    });
    settings(server.base());
    writeFile(m_folder / "CheckNVFalse", "");

    runCheck(m_folder.path());

    EXPECT_EQ(filesIn(m_folder.path()),
              (std::set<std::string>{"Settings.ini", "CheckNVTrue.txt", "CheckNVTrueEng.txt",
                                     "CheckReady"}));
    // A zero byte is not text.
    EXPECT_EQ(readFile(m_folder / "CheckNVTrue.txt"), "1.2.0\r\n01.02.27\r\nhttp://x/\r\nНовое\n");
    EXPECT_EQ(readFile(m_folder / "CheckNVTrueEng.txt"),
              "1.2.0\r\n2027-02-01\r\nhttp://x/\r\nNew\n");
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(Checker, ProbeTakesA302AsYesWithoutFollowingItAndOtherAnswersAsNo) {
    LoopbackHttpServer server([](const std::string& path) {
        if (path == "/found")
            return HttpReply{302, {}, "/gone", {}};
        if (path == "/moved")
            return HttpReply{301, {}, "/ok", {}};
        if (path == "/ok")
            return HttpReply{200, "x", {}, {}};
        return HttpReply{404, {}, {}, {}};
    });
    const tw::checker::Timeouts limits{2, 2};
    EXPECT_TRUE(tw::checker::existenceProbe(server.base() + "found", limits));
    EXPECT_FALSE(tw::checker::existenceProbe(server.base() + "moved", limits));
    EXPECT_TRUE(tw::checker::existenceProbe(server.base() + "ok", limits));
    // Neither redirect was followed.
    EXPECT_EQ(server.requests().size(), 3u);
    // An address without a scheme is taken as http.
    EXPECT_TRUE(tw::checker::existenceProbe(server.base().substr(7) + "ok", limits));
}

TEST_F(Checker, AddressWithASchemeKeepsIt) {
    using tw::checker::withScheme;
    EXPECT_EQ(withScheme("https://site/a.txt"), "https://site/a.txt");
    EXPECT_EQ(withScheme("HTTPS://site/a.txt"), "HTTPS://site/a.txt");
    EXPECT_EQ(withScheme("http://site/a.txt"), "http://site/a.txt");
    EXPECT_EQ(withScheme("site/a.txt"), "http://site/a.txt");
    EXPECT_EQ(withScheme("site:8080/a://b"), "http://site:8080/a://b");
}

TEST_F(Checker, SettingsWithoutSiteTakeTheBuiltInOneAndEncodeTheName) {
    writeFile(m_folder / "Settings.ini", "x\nnew версия?\n\nforever\n");
    const auto settings = tw::checker::CheckerSettings::read(m_folder / "Settings.ini");
    EXPECT_EQ(settings.russianAddress(), std::string(tw::checker::BuiltInSiteBase) +
                                             "new%20%D0%B2%D0%B5%D1%80%D1%81%D0%B8%D1%8F%3F.txt");
    EXPECT_EQ(settings.timeouts.totalSeconds, tw::checker::Timeouts{}.totalSeconds);
}

TEST_F(Checker, NothingListeningAnswersNoAndStillFinishes) {
    settings("http://127.0.0.1:" + std::to_string(tw::test::unusedLoopbackPort()) + "/");
    writeFile(m_folder / "CheckNVTrue.txt", "old");

    runCheck(m_folder.path());

    EXPECT_EQ(filesIn(m_folder.path()),
              (std::set<std::string>{"Settings.ini", "CheckNVFalse", "CheckReady"}));
}

TEST_F(Checker, SilentServerAnswersNoWithinTheTimeLimit) {
    LoopbackHttpServer server([](const std::string&) { return HttpReply{200, {}, {}, true}; });
    settings(server.base(), "1");

    const auto start = std::chrono::steady_clock::now();
    runCheck(m_folder.path());
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_TRUE(fileExists(m_folder / "CheckNVFalse"));
    EXPECT_TRUE(fileExists(m_folder / "CheckReady"));
}

TEST_F(Checker, FailedFetchStopsBeforeReadyAndLeavesNoAnnouncement) {
    LoopbackHttpServer server([](const std::string& path) {
        if (path == "/next.txt")
            return HttpReply{200, "1.2.0", {}, {}};
        if (path == "/nextEng.txt")
            return HttpReply{404, {}, {}, {}};
        return HttpReply{200, std::string(3 * 1024 * 1024, 'x'), {}, {}};
    });
    settings(server.base());

    try {
        runCheck(m_folder.path());
        FAIL() << "the English variant is missing";
    } catch (const tw::checker::CheckerFailure& failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot open URL " + server.base() + "nextEng.txt");
    }
    // A half-done check must not pass for an announcement at the next start.
    EXPECT_EQ(filesIn(m_folder.path()), std::set<std::string>{"Settings.ini"});

    // An endless answer is cut, not held in memory whole.
    EXPECT_EQ(tw::checker::contentFetch(server.base() + "huge", {2, 5}).size(),
              tw::checker::MaxContentBytes);
}

// The program itself, copied into a folder of its own: it works in the folder it lives in.
TEST_F(Checker, ProgramReportsAFailureOnStandardErrorAndAnswersInItsOwnFolder) {
    const std::string program = m_folder / "freshpoll";
    std::filesystem::copy_file(TW_FRESHPOLL_PROGRAM, program);

    auto missing = tw::test::ChildProcess({program}).wait();
    EXPECT_TRUE(missing.exited);
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.err.find("Settings.ini"), std::string::npos) << missing.err;
    EXPECT_FALSE(fileExists(m_folder / "CheckReady"));

    LoopbackHttpServer server([](const std::string&) { return HttpReply{404, {}, {}, {}}; });
    settings(server.base());
    auto answered = tw::test::ChildProcess({program}).wait();
    EXPECT_TRUE(answered.exited);
    EXPECT_EQ(answered.exitCode, 0) << answered.err;
    EXPECT_TRUE(fileExists(m_folder / "CheckNVFalse"));
    EXPECT_TRUE(fileExists(m_folder / "CheckReady"));
}

} // namespace
