// Where the program's files live: the one rule start-up applies, facts in, folders out.
#include "platform/ProgramFolders.h"

#include <gtest/gtest.h>

namespace {

using tw::platform::chooseProgramFolders;
using tw::platform::FolderFacts;
using tw::platform::ProgramFolders;

FolderFacts facts(const std::string& programFolder, bool writable) {
    FolderFacts f;
    f.programFolder = programFolder;
    f.programFolderWritable = writable;
    f.home = "/home/ann";
    return f;
}

TEST(ProgramFolders, WritableProgramFolderKeepsEverythingEvenWithXdgSet) {
    FolderFacts f = facts("/home/ann/Tunewagon", true);
    f.xdgConfigHome = "/home/ann/cfg";
    f.xdgStateHome = "/home/ann/st";
    const ProgramFolders folders = chooseProgramFolders(f);
    EXPECT_TRUE(folders.portable);
    for (const std::string* folder :
         {&folders.programFolder, &folders.dataFolder, &folders.configFolder, &folders.stateFolder})
        EXPECT_EQ(*folder, "/home/ann/Tunewagon");
}

TEST(ProgramFolders, ReadOnlyFolderSendsSettingsToConfigAndLogToStateFromXdg) {
    FolderFacts f = facts("/opt/Tunewagon", false);
    f.xdgConfigHome = "/x/config/";
    f.xdgStateHome = "/x/state";
    const ProgramFolders folders = chooseProgramFolders(f);
    EXPECT_FALSE(folders.portable);
    EXPECT_EQ(folders.programFolder, "/opt/Tunewagon");
    EXPECT_EQ(folders.dataFolder, "/opt/Tunewagon");
    EXPECT_EQ(folders.configFolder, "/x/config/tunewagon");
    EXPECT_EQ(folders.stateFolder, "/x/state/tunewagon");
}

TEST(ProgramFolders, UnsetOrRelativeXdgFallsBackToTheHomeDefaults) {
    FolderFacts f = facts("/opt/Tunewagon", false);
    f.home = "/home/ann/";
    f.xdgConfigHome = "relative/config"; // not absolute: ignored
    const ProgramFolders folders = chooseProgramFolders(f);
    EXPECT_EQ(folders.configFolder, "/home/ann/.config/tunewagon");
    EXPECT_EQ(folders.stateFolder, "/home/ann/.local/state/tunewagon");
}

// Root can write to /usr/lib/tunewagon, yet an installed program must never write there:
// the system layout decides, not the permission.
TEST(ProgramFolders, SystemLayoutReadsDataFromShareAndWritesToXdgEvenWhenWritable) {
    FolderFacts f = facts("/usr/lib/tunewagon", true);
    f.sharedDataFound = true;
    f.home = "/root";
    const ProgramFolders folders = chooseProgramFolders(f);
    EXPECT_FALSE(folders.portable);
    EXPECT_EQ(folders.programFolder, "/usr/lib/tunewagon");
    EXPECT_EQ(folders.dataFolder, "/usr/share/tunewagon");
    EXPECT_EQ(folders.configFolder, "/root/.config/tunewagon");
    EXPECT_EQ(folders.stateFolder, "/root/.local/state/tunewagon");
}

TEST(ProgramFolders, LibTunewagonWithoutItsShareFolderIsAnOrdinaryFolder) {
    FolderFacts f = facts("/home/ann/lib/tunewagon", true);
    f.sharedDataFound = false;
    const ProgramFolders folders = chooseProgramFolders(f);
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.dataFolder, "/home/ann/lib/tunewagon");
    EXPECT_EQ(tw::platform::sharedDataFolderFor("/usr/local/lib/tunewagon"),
              "/usr/local/share/tunewagon");
    EXPECT_EQ(tw::platform::sharedDataFolderFor("/usr/lib/Tunewagon"), "");
    EXPECT_EQ(tw::platform::sharedDataFolderFor("/opt/tunewagon"), "");
}

TEST(ProgramFolders, WithoutAnyHomeTheProgramFolderIsAllThereIs) {
    FolderFacts f = facts("/opt/Tunewagon", false);
    f.home.clear();
    f.xdgConfigHome = "/x/config"; // half a set is no place for the user's files
    const ProgramFolders folders = chooseProgramFolders(f);
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.configFolder, "/opt/Tunewagon");
    EXPECT_EQ(folders.stateFolder, "/opt/Tunewagon");
}

} // namespace
