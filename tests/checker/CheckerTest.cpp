// The checker against a real HTTP server on 127.0.0.1: the files it leaves for each answer.

#include "LoopbackHttpServer.h"
#include "checker/AnswerRules.h"
#include "checker/CheckerFailure.h"
#include "checker/CheckerSettings.h"
#include "checker/CurlGlobal.h"
#include "checker/FreshpollRun.h"
#include "checker/WebAccess.h"
#include "platform/FileSystem.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::string_literals;
using tw::checker::runCheck;
using tw::platform::fileExists;
using tw::test::HttpReply;
using tw::test::LoopbackHttpServer;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

// The text as a gzip stream, as a server sends it with "Content-Encoding: gzip".
std::string gzipped(const std::string& text) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY),
              Z_OK);
    std::string out(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

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
    LoopbackHttpServer server([](const std::string&) {
        return HttpReply{404, "missing", {}, {}, {}};
    });
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
            return HttpReply{200, "1.2.0\r\n01.02.27\r\nhttp://x/\r\nНов\0ое"s, {}, {}, {}};
        if (path == "/nextEng.txt")
            return HttpReply{200, "1.2.0\r\n2027-02-01\r\nhttp://x/\r\nNew", {}, {}, {}};
        return HttpReply{404, {}, {}, {}, {}};
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

TEST_F(Checker, ProbeAndFetchFollowOnlyAllowedRedirectsAndFewOfThem) {
    LoopbackHttpServer server([](const std::string& path) {
        if (path == "/found")
            return HttpReply{302, {}, "/ok", {}, {}};
        if (path == "/moved")
            return HttpReply{301, {}, "/found", {}, {}};
        if (path == "/loop")
            return HttpReply{302, {}, "/loop", {}, {}};
        if (path == "/gone")
            return HttpReply{302, {}, "/missing", {}, {}};
        if (path == "/other")
            return HttpReply{302, {}, "ftp://127.0.0.1/next.txt", {}, {}};
        if (path == "/ok")
            return HttpReply{200, "1.2.0\r\n", {}, {}, {}};
        return HttpReply{404, {}, {}, {}, {}};
    });
    const tw::checker::Timeouts limits{2, 2};
    using tw::checker::contentFetch;
    using tw::checker::existenceProbe;
    // A redirect counts for what it leads to, for the probe as for the fetch.
    EXPECT_TRUE(existenceProbe(server.base() + "found", limits));
    EXPECT_TRUE(existenceProbe(server.base() + "moved", limits));
    EXPECT_EQ(contentFetch(server.base() + "moved", limits), "1.2.0\r\n");
    EXPECT_FALSE(existenceProbe(server.base() + "gone", limits));
    EXPECT_FALSE(existenceProbe(server.base() + "other", limits));
    EXPECT_THROW(contentFetch(server.base() + "gone", limits), tw::checker::CheckerFailure);
    EXPECT_THROW(contentFetch(server.base() + "other", limits), tw::checker::CheckerFailure);

    // A loop ends after a few hops.
    const std::size_t before = server.requests().size();
    EXPECT_FALSE(existenceProbe(server.base() + "loop", limits));
    EXPECT_EQ(server.requests().size() - before, std::size_t(tw::checker::MaxRedirects) + 1);
    // An address without a scheme is taken as http.
    EXPECT_TRUE(existenceProbe(server.base().substr(7) + "ok", limits));
}

TEST_F(Checker, ErrorPagesAndWebPagesAreRefusedNotStored) {
    LoopbackHttpServer server([](const std::string& path) {
        if (path == "/next.txt")
            return HttpReply{302, {}, "/portal", {}, {}};
        if (path == "/nextEng.txt")
            return HttpReply{200, "404 Not Found\r\nThe page is not here\r\n", {}, {}, {}};
        if (path == "/portal")
            return HttpReply{200, "<html><head><title>1.2.0</title></head>", {}, {}, {}};
        if (path == "/typed")
            return HttpReply{200, "1.2.0\r\n", {}, {}, "Content-Type: text/html\r\n"};
        if (path == "/plain")
            return HttpReply{200,
                             "\xEF\xBB\xBF"
                             "1.2.0\r\n",
                             {},
                             {},
                             "Content-Type: text/plain; charset=utf-8\r\n"};
        return HttpReply{404, {}, {}, {}, {}};
    });
    settings(server.base());
    writeFile(m_folder / "CheckNVTrue.txt", "from an earlier check");

    runCheck(m_folder.path());

    EXPECT_EQ(filesIn(m_folder.path()),
              (std::set<std::string>{"Settings.ini", "CheckNVFalse", "CheckReady"}));
    const tw::checker::Timeouts limits{2, 2};
    EXPECT_THROW(tw::checker::contentFetch(server.base() + "typed", limits),
                 tw::checker::CheckerFailure);
    EXPECT_EQ(tw::checker::contentFetch(server.base() + "plain", limits), "\xEF\xBB\xBF"
                                                                          "1.2.0\r\n");
}

TEST_F(Checker, AnswerOverTheBoundIsRefusedAndCompressedOneIsStoredDecoded) {
    const std::string version = "1.2.0\r\n01.02.27\r\nhttp://x/\r\n";
    LoopbackHttpServer server([&version](const std::string& path) {
        if (path == "/whole")
            return HttpReply{200,
                             version +
                                 std::string(tw::checker::MaxContentBytes - version.size(), 'n'),
                             {},
                             {},
                             {}};
        if (path == "/over")
            return HttpReply{
                200, version + std::string(tw::checker::MaxContentBytes, 'n'), {}, {}, {}};
        if (path == "/claimed")
            return HttpReply{200, version, {}, {}, "Content-Length: 2147483648\r\n"};
        if (path == "/gzip")
            return HttpReply{200, gzipped(version + "note"), {}, {}, "Content-Encoding: gzip\r\n"};
        if (path == "/bomb")
            return HttpReply{200,
                             gzipped(version + std::string(4 * tw::checker::MaxContentBytes, 'n')),
                             {},
                             {},
                             "Content-Encoding: gzip\r\n"};
        return HttpReply{404, {}, {}, {}, {}};
    });
    const tw::checker::Timeouts limits{2, 5};
    using tw::checker::contentFetch;
    EXPECT_EQ(contentFetch(server.base() + "whole", limits).size(), tw::checker::MaxContentBytes);
    for (const char* refused : {"over", "claimed", "bomb"})
        EXPECT_THROW(contentFetch(server.base() + refused, limits), tw::checker::CheckerFailure)
            << refused;
    EXPECT_EQ(contentFetch(server.base() + "gzip", limits), version + "note");
}

TEST(AnswerRules, InternalAddressesAreKnownWhateverTheirForm) {
    using tw::checker::isInternalAddress;
    for (const char* internal : {"127.0.0.1",
                                 "127.255.0.9",
                                 "10.1.2.3",
                                 "172.16.0.1",
                                 "172.31.255.255",
                                 "192.168.1.1",
                                 "169.254.169.254",
                                 "100.64.0.1",
                                 "0.0.0.0",
                                 "::1",
                                 "::",
                                 "[::1]",
                                 "fe80::1",
                                 "fe80::1%eth0",
                                 "febf::1",
                                 "fc00::1",
                                 "fd12:3456::1",
                                 "::ffff:127.0.0.1",
                                 "::ffff:10.0.0.1",
                                 "localhost",
                                 "",
                                 "1.2.3",
                                 "256.1.1.1",
                                 "1:2:3"})
        EXPECT_TRUE(isInternalAddress(internal)) << internal;
    for (const char* external :
         {"1.1.1.1", "8.8.8.8", "172.15.0.1", "172.32.0.1", "192.169.0.1", "100.128.0.1",
          "169.253.0.1", "2001:db8::1", "2606:4700:4700::1111", "fec0::1", "::ffff:8.8.8.8",
          "1:2:3:4:5:6:7:8"})
        EXPECT_FALSE(isInternalAddress(external)) << external;
}

TEST(AnswerRules, HostNamedAsInternalIsKnownBeforeAnyConnection) {
    using tw::checker::namesInternalHost;
    for (const char* internal : {"localhost", "LOCALHOST", "a.localhost", "127.0.0.1", "[::1]",
                                 "10.0.0.8", "[fe80::1]", "169.254.169.254"})
        EXPECT_TRUE(namesInternalHost(internal)) << internal;
    for (const char* external :
         {"tunewagon.net", "localhost.example", "8.8.8.8", "[2001:db8::1]", "", "10.0.0"})
        EXPECT_FALSE(namesInternalHost(external)) << external;
}

TEST(AnswerRules, RedirectsGoToHttpsOrFromHttpToHttpOnly) {
    using tw::checker::redirectAllowed;
    EXPECT_TRUE(redirectAllowed("http://a/x", "https://b/y"));
    EXPECT_TRUE(redirectAllowed("https://a/x", "HTTPS://b/y"));
    EXPECT_TRUE(redirectAllowed("http://a/x", "http://b/y"));
    EXPECT_FALSE(redirectAllowed("https://a/x", "http://b/y"));
    EXPECT_FALSE(redirectAllowed("http://a/x", "ftp://b/y"));
    EXPECT_FALSE(redirectAllowed("http://a/x", "file:///etc/passwd"));
    EXPECT_FALSE(redirectAllowed("http://a/x", "/relative"));
}

TEST(AnswerRules, OnlyATextStartingWithAVersionLineIsAnAnnouncement) {
    using tw::checker::isAnnouncement;
    using tw::checker::isVersionLine;
    for (const char* line : {"1.2", "1.2.0\r", " 1.2.0.lang ", "v2.0 beta", "10.4.1-rc2 (x64)"})
        EXPECT_TRUE(isVersionLine(line)) << line;
    for (const char* line : {"", "1", "404 Not Found", "1.2.0</title></head>", "version 1.2",
                             ".1.2", "1.2.0 \xD0\xB1", "1.2.0; rm"})
        EXPECT_FALSE(isVersionLine(line)) << line;
    EXPECT_FALSE(isVersionLine("1.2." + std::string(70, '1')));
    EXPECT_TRUE(isAnnouncement("text/plain", "1.2.0\r\n01.02.27\r\n"));
    EXPECT_TRUE(isAnnouncement("", "\xEF\xBB\xBF"
                                   "1.2.0\n"));
    EXPECT_FALSE(isAnnouncement("Text/HTML; charset=utf-8", "1.2.0\n"));
    EXPECT_FALSE(isAnnouncement("application/xhtml+xml", "1.2.0\n"));
    EXPECT_FALSE(isAnnouncement("text/plain", "  \r\n<!DOCTYPE html>1.2.0\n"));
    EXPECT_FALSE(isAnnouncement("text/plain", "\r\n1.2.0\n"));
    EXPECT_FALSE(isAnnouncement("text/plain", ""));
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
    LoopbackHttpServer server([](const std::string&) { return HttpReply{200, {}, {}, true, {}}; });
    settings(server.base(), "1");

    const auto start = std::chrono::steady_clock::now();
    runCheck(m_folder.path());
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_TRUE(fileExists(m_folder / "CheckNVFalse"));
    EXPECT_TRUE(fileExists(m_folder / "CheckReady"));
}

TEST_F(Checker, OneMissingVariantIsWrittenWithoutTheOtherAndTheCheckStillEnds) {
    LoopbackHttpServer server([](const std::string& path) {
        if (path == "/next.txt")
            return HttpReply{200, "1.2.0\r\n01.02.27\r\n", {}, {}, {}};
        return HttpReply{404, {}, {}, {}, {}};
    });
    settings(server.base());
    writeFile(m_folder / "CheckNVTrueEng.txt", "from an earlier check");

    runCheck(m_folder.path());

    EXPECT_EQ(filesIn(m_folder.path()),
              (std::set<std::string>{"Settings.ini", "CheckNVTrue.txt", "CheckReady"}));
    EXPECT_EQ(readFile(m_folder / "CheckNVTrue.txt"), "1.2.0\r\n01.02.27\r\n\n");
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

    LoopbackHttpServer server([](const std::string&) { return HttpReply{404, {}, {}, {}, {}}; });
    settings(server.base());
    auto answered = tw::test::ChildProcess({program}).wait();
    EXPECT_TRUE(answered.exited);
    EXPECT_EQ(answered.exitCode, 0) << answered.err;
    EXPECT_TRUE(fileExists(m_folder / "CheckNVFalse"));
    EXPECT_TRUE(fileExists(m_folder / "CheckReady"));
}

// Installed under lib/ and share/ and started by a user who cannot write there, the checker
// reads its settings from the installation and answers in that user's state folder.
TEST_F(Checker, InstalledProgramAnswersInTheUsersStateFolder) {
    std::filesystem::permissions(m_folder.path(), std::filesystem::perms(0755));
    const std::string checkerFolder = m_folder / "usr/lib/tunewagon/Freshpoll";
    std::filesystem::create_directories(checkerFolder);
    const std::string program = checkerFolder + "/freshpoll";
    std::filesystem::copy_file(TW_FRESHPOLL_PROGRAM, program);
    LoopbackHttpServer server([](const std::string&) { return HttpReply{404, {}, {}, {}, {}}; });
    writeFile(m_folder / "usr/share/tunewagon/Freshpoll/Settings.ini",
              "Tunewagon 1.1.0\r\nnext\r\n" + server.base() + "\r\n\r\n");
    const std::string state = m_folder / "state";
    std::filesystem::create_directories(state);
    ASSERT_EQ(tw::test::ChildProcess({"chown", "65534:65534", state}).wait().exitCode, 0);

    std::vector<std::string> argv;
    if (geteuid() == 0)
        argv = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    for (const std::string& word :
         {std::string("env"), std::string("-i"), "HOME=" + (m_folder / "nohome"),
          "XDG_STATE_HOME=" + state, program})
        argv.push_back(word);
    const auto outcome = tw::test::ChildProcess(argv).wait();
    EXPECT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_TRUE(fileExists(state + "/tunewagon/Freshpoll/CheckNVFalse"));
    EXPECT_TRUE(fileExists(state + "/tunewagon/Freshpoll/CheckReady"));
    EXPECT_FALSE(fileExists(checkerFolder + "/CheckReady"));
}

} // namespace
