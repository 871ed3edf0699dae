#include "job/CopyJob.h"

#include "copy/ScriptedHost.h"
#include "platform/File.h"
#include "platform/WorkingFolder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <fcntl.h>

namespace tw::job {
namespace {

using platform::Path;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

class CopyJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(tmp / "music/Rock/a.mp3", std::string(4096, 'a'));
        writeFile(tmp / "music/b.ogg", "b");
        writeFile(tmp / "list.m3u", "#EXTM3U\nmusic\\Rock\\a.mp3\nmusic/b.ogg\ngone.mp3\n");
        writeFile(tmp / "out/.keep", "");
        host.flags = &job.flags();
    }

    // Destination, scan and launch rule, as both front ends go through them.
    void setUpCopy(std::int32_t listed) {
        ASSERT_EQ(job.chooseDestination(Path(tmp / "out")), CopyJob::Destination::Ready);
        EXPECT_GT(job.setup().freeKB, 0);
        EXPECT_EQ(job.scanPlaylist(Path(tmp / "list.m3u")).count, listed);
        ASSERT_TRUE(job.setup().listReady);
        ASSERT_TRUE(job.launchRule().enabled);
    }

    TempFolder tmp;
    const i18n::StringTable table;
    CopyJob job{table};
    copy::test::ScriptedHost host;
};

TEST_F(CopyJobTest, RefusedDestinationKeepsTheLastGoodOneAndTheStartButtonOff) {
    ASSERT_EQ(job.chooseDestination(Path(tmp / "out")), CopyJob::Destination::Ready);
    const CopyJob::Destination gone = job.chooseDestination(Path(tmp / "no such folder"));
    EXPECT_EQ(gone, CopyJob::Destination::NoFolder);
    EXPECT_EQ(job.destinationMessage(gone), table.StrBadFolder);
    EXPECT_EQ(job.chooseDestination(Path(tmp / "list.m3u")), CopyJob::Destination::NoFolder);
    EXPECT_EQ(job.setup().destinationField, tmp / "out");
    EXPECT_FALSE(job.setup().destinationReady);
    EXPECT_EQ(job.scanPlaylist(Path(tmp / "list.m3u")).count, 2);
    EXPECT_FALSE(job.launchRule().enabled);
}

TEST_F(CopyJobTest, CompletedRunClearsTheSetUpAndReportsWhatItDid) {
    job.options().keepStructure = true;
    job.options().onlyMp3 = true;
    setUpCopy(1);

    EXPECT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Completed);
    EXPECT_EQ(readFile(tmp / "out/music/Rock/a.mp3"), std::string(4096, 'a'));
    EXPECT_EQ(job.counters().created, 1);
    EXPECT_EQ(job.counters().missing, 1);
    ASSERT_EQ(job.problems().items().size(), 1u);
    EXPECT_EQ(job.problems().items()[0].entry, "gone.mp3");
    EXPECT_NE(job.report("\n").find(table.StrReportMissing + "1"), std::string::npos);

    // The set-up starts afresh, the options stay.
    EXPECT_TRUE(job.setup().playlistField.empty());
    EXPECT_TRUE(job.setup().destinationField.empty());
    EXPECT_FALSE(job.setup().listReady || job.setup().destinationReady);
    EXPECT_EQ(job.setup().listSizeKB + job.setup().freeKB, 0);
    EXPECT_TRUE(job.options().onlyMp3);
    EXPECT_FALSE(job.launchRule().enabled);
}

// The launch rule weighs every playlist of a run, a file two of them name once (the run
// copies it once).
TEST_F(CopyJobTest, KilledRunsWorkingFolderIsClearedBeforeTheFreeSpaceIsMeasured) {
    // A killed run leaves its whole copies in its working folder; the next run of the same
    // list was refused for want of the space they take, and only a run could clean them.
    // Another instance copying into the same folder keeps its own.
    const std::string out = tmp / "out";
    const auto otherRoot = std::make_shared<const platform::FileHandle>(
        ::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const std::shared_ptr<platform::WorkingFolder> live =
        platform::WorkingFolder::make(otherRoot, out);
    ASSERT_NE(live, nullptr);
    const std::string abandoned = tmp / "out/.tunewagon-work-LeftByAKilledRun0001";
    writeFile(abandoned + "/.Song.mp3.tunewagon-abcdefghij0123456789", std::string(8192, 's'));

    ASSERT_EQ(job.chooseDestination(Path(out)), CopyJob::Destination::Ready);
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::is_directory(live->path()));
}

TEST_F(CopyJobTest, SeveralPlaylistsAddUpWithASharedFileWeighedOnce) {
    writeFile(tmp / "music/c.mp3", std::string(2048, 'c'));
    writeFile(tmp / "lists/more.m3u", "../music/c.mp3\n../music/Rock/a.mp3\n"); // a: shared
    const auto list = [&](const std::string& name) {
        return copy::RunPlaylist{tmp / name, tmp / name};
    };
    ASSERT_EQ(job.chooseDestination(Path(tmp / "out")), CopyJob::Destination::Ready);
    const auto scans = job.scanPlaylists({list("list.m3u"), list("lists/more.m3u")});
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_EQ(scans[1].count, 2);
    EXPECT_EQ(scans[1].sizeKB, 2) << "c.mp3 only";
    EXPECT_EQ(job.setup().listCount, 4);
    EXPECT_EQ(job.setup().listSizeKB, 4 + 1 + 2);
    EXPECT_EQ(job.setup().playlists.size(), 2u);
    EXPECT_TRUE(job.launchRule().enabled);
}

TEST_F(CopyJobTest, FileTwoPlaylistsNameThroughALinkedFolderIsCopiedOnce) {
    // One player's list names the music folder by its real path, another's through a link
    // to it: the second list met a.mp3 as a new file and copied it again (a collision).
    std::filesystem::create_directory_symlink(tmp / "music", tmp / "linked");
    writeFile(tmp / "lists/more.m3u", "../linked/Rock/a.mp3\n../linked/b.ogg\n");
    const auto list = [&](const std::string& name) {
        return copy::RunPlaylist{tmp / name, tmp / name};
    };
    job.options().keepStructure = false;
    job.options().writePlaylist = true;
    ASSERT_EQ(job.chooseDestination(Path(tmp / "out")), CopyJob::Destination::Ready);
    const auto scans = job.scanPlaylists({list("list.m3u"), list("lists/more.m3u")});
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_EQ(scans[1].sizeKB, 0) << "weighed with the first list";
    ASSERT_TRUE(job.launchRule().enabled);

    EXPECT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Completed);
    EXPECT_EQ(job.counters().created, 2);
    EXPECT_EQ(job.counters().identical, 2);
    EXPECT_EQ(job.counters().autoRenamed + job.counters().skipped + job.counters().failed, 0);
    EXPECT_EQ(readFile(tmp / "out/more.m3u8"), "#EXTM3U\r\na.mp3\r\nb.ogg\r\n");
}

TEST_F(CopyJobTest, CopyNeverReplacesAPlaylistOfTheRunBeforeItIsRead) {
    // The second list lives on the destination; the first names a file of its name. Told to
    // replace, the run put that file in the list's place and then read the wrong list: its
    // own file was never copied and the report did not say so.
    writeFile(tmp / "other/more.m3u", "../music/b.ogg\n");
    writeFile(tmp / "first.m3u", "other/more.m3u\n");
    const std::string second = "../music/Rock/a.mp3\n";
    writeFile(tmp / "out/more.m3u", second);
    const auto list = [&](const std::string& name) {
        return copy::RunPlaylist{tmp / name, tmp / name};
    };
    host.collisionAnswers = {copy::test::answer(copy::CollisionAction::Replace, true)};
    job.options().keepStructure = false;
    ASSERT_EQ(job.chooseDestination(Path(tmp / "out")), CopyJob::Destination::Ready);
    ASSERT_EQ(job.scanPlaylists({list("first.m3u"), list("out/more.m3u")}).size(), 2u);

    EXPECT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Completed);
    EXPECT_EQ(readFile(tmp / "out/more.m3u"), second);
    EXPECT_EQ(readFile(tmp / "out/a.mp3"), std::string(4096, 'a'));
    EXPECT_EQ(job.counters().created, 1);
    EXPECT_EQ(job.counters().replaced, 0);
    ASSERT_EQ(job.counters().failed, 1);
    EXPECT_EQ(job.problems().items().at(0).entry, tmp / "other/more.m3u");
}

TEST_F(CopyJobTest, CancelledRunKeepsTheSetUpAndTheNextRunStartsClean) {
    writeFile(tmp / "out/a.mp3", "old");
    job.options().keepStructure = false;
    setUpCopy(2);
    host.onFile = [](copy::test::ScriptedHost& h, const std::string&) { h.pressCancel(); };
    host.collisionAnswers = {copy::test::answer(copy::CollisionAction::Skip)};
    host.stopAnswers = {true};

    EXPECT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Cancelled);
    EXPECT_TRUE(job.cancelled());
    EXPECT_NE(job.report("\n").find(table.StrReportCancelled), std::string::npos);
    EXPECT_TRUE(job.launchRule().enabled) << "the set-up stays after a cancel";
    // The collision question shows the target as the program holds paths.
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].target.path, tmp / "out/a.mp3");

    host.collisionAnswers = {copy::test::answer(copy::CollisionAction::Skip)};
    host.onFile = nullptr;
    EXPECT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Completed);
    EXPECT_FALSE(job.cancelled());
    EXPECT_EQ(job.counters().skipped, 1);
    EXPECT_EQ(job.counters().created, 1);
}

TEST_F(CopyJobTest, NumberedNamesTakeTheirPlaceAmongTheFilesFoundWhateverBecomesOfEach) {
    // Ten files found, a missing entry and a filtered one between them. A file already there
    // under its numbered name keeps that number; a name taken by another file is renamed
    // with its number kept in front; the kept folder is not numbered.
    std::string list = "#EXTM3U\n";
    for (int i = 1; i <= 10; ++i) {
        const std::string name = "music/" + std::to_string(i) + ".mp3";
        writeFile(tmp / name, name);
        list += name + "\n";
        if (i == 3)
            list += "gone.mp3\n";
        if (i == 6)
            list += "music/b.ogg\n";
    }
    writeFile(tmp / "list.m3u", list);
    writeFile(tmp / "out/music/03 - 3.mp3", "music/3.mp3");
    std::filesystem::last_write_time(tmp / "out/music/03 - 3.mp3",
                                     std::filesystem::last_write_time(tmp / "music/3.mp3"));
    writeFile(tmp / "out/music/05 - 5.mp3", "another file");
    host.collisionAnswers = {copy::test::answer(copy::CollisionAction::AutoRename)};
    job.options().keepStructure = true;
    job.options().onlyMp3 = true;
    job.options().skipSame = true;
    job.options().number = true;
    job.options().writePlaylist = true;
    setUpCopy(10);

    EXPECT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Completed);
    EXPECT_EQ(job.counters().created, 8);
    EXPECT_EQ(job.counters().identical, 1);
    EXPECT_EQ(job.counters().autoRenamed, 1);
    std::string written = "#EXTM3U\r\n";
    for (int i = 1; i <= 10; ++i) {
        const std::string name = "music/" + std::string(i < 10 ? "0" : "") + std::to_string(i) +
                                 " - " + std::to_string(i) + (i == 5 ? "_001" : "") + ".mp3";
        EXPECT_EQ(readFile(tmp / ("out/" + name)), "music/" + std::to_string(i) + ".mp3");
        written += name + "\r\n";
    }
    EXPECT_EQ(readFile(tmp / "out/music/05 - 5.mp3"), "another file");
    ASSERT_EQ(job.playlistsWritten().size(), 1u);
    EXPECT_EQ(job.playlistsWritten().front(), tmp / "out/list.m3u8");
    EXPECT_EQ(readFile(tmp / "out/list.m3u8"), written);
}

TEST_F(CopyJobTest, NumbersAreAsWideAsTheRunWhenTheMp3OptionChangedAfterTheScan) {
    // Counted with only ".mp3" files: 9. Copied without the option: 10, so two digits, or
    // "10 - " would come before "2 - " by name.
    std::string list;
    for (int i = 1; i <= 9; ++i) {
        writeFile(tmp / ("music/" + std::to_string(i) + ".mp3"), "m");
        list += "music/" + std::to_string(i) + ".mp3\n";
    }
    writeFile(tmp / "list.m3u", list + "music/b.ogg\n");
    job.options().keepStructure = false;
    job.options().onlyMp3 = true;
    job.options().number = true;
    setUpCopy(9);
    job.options().onlyMp3 = false;

    EXPECT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Completed);
    EXPECT_EQ(job.counters().created, 10);
    EXPECT_EQ(readFile(tmp / "out/01 - 1.mp3"), "m");
    EXPECT_EQ(readFile(tmp / "out/10 - b.ogg"), "b");
}

TEST_F(CopyJobTest, NumbersAreAsWideAsTheFilesARunOfPlaylistsSharingThemCopies) {
    // The lists hold fourteen entries between them but name nine files: one digit. Counted
    // again because the ".mp3" option changed after the scan: nine files still, not the
    // fourteen entries either.
    std::string first;
    std::string second;
    for (int i = 1; i <= 9; ++i) {
        writeFile(tmp / ("music/" + std::to_string(i) + ".mp3"), "m");
        (i <= 5 ? first : second) += "music/" + std::to_string(i) + ".mp3\n";
    }
    writeFile(tmp / "list.m3u", first);
    writeFile(tmp / "more.m3u", first + second + "music/b.ogg\n");
    const std::vector<copy::RunPlaylist> lists = {{tmp / "list.m3u", tmp / "list.m3u"},
                                                  {tmp / "more.m3u", tmp / "more.m3u"}};
    job.options().keepStructure = false;
    job.options().number = true;
    job.options().onlyMp3 = true;
    ASSERT_EQ(job.chooseDestination(Path(tmp / "out")), CopyJob::Destination::Ready);
    ASSERT_EQ(job.scanPlaylists(lists).size(), 2u);
    ASSERT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Completed);
    EXPECT_EQ(job.counters().created, 9);
    EXPECT_EQ(readFile(tmp / "out/1 - 1.mp3"), "m");
    EXPECT_EQ(readFile(tmp / "out/9 - 9.mp3"), "m");

    std::filesystem::remove_all(tmp / "out");
    writeFile(tmp / "out/.keep", "");
    job.options().onlyMp3 = false;
    ASSERT_EQ(job.chooseDestination(Path(tmp / "out")), CopyJob::Destination::Ready);
    ASSERT_EQ(job.scanPlaylists(lists).size(), 2u);
    job.options().onlyMp3 = true;
    ASSERT_EQ(job.run(host, host, host, host.clock()), copy::CopyRun::End::Completed);
    EXPECT_EQ(job.counters().created, 9);
    EXPECT_EQ(readFile(tmp / "out/1 - 1.mp3"), "m");
    EXPECT_EQ(readFile(tmp / "out/9 - 9.mp3"), "m");
}

} // namespace
} // namespace tw::job
