#include "app/HelpLanguage.h"
#include "platform/FileSystem.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace tw::app {
namespace {

using test::TempFolder;

TEST(HelpLanguage, RussianAlwaysUsesBuiltInHelpEvenWithoutPage) {
    TempFolder tmp;
    const job::ProgramPaths paths(tmp.path());
    test::writeFile(tmp / "Language/English/Help/index.htm", "x");
    EXPECT_EQ(helpLanguage(paths, "Russian"), "Russian");
    EXPECT_EQ(helpPage(paths, "Russian"), tmp / "Help.htm");
}

TEST(HelpLanguage, OwnHelpThenEnglishThenRussian) {
    TempFolder tmp;
    const job::ProgramPaths paths(tmp.path());
    EXPECT_EQ(helpLanguage(paths, "German"), "Russian");
    test::writeFile(tmp / "Language/English/Help/index.htm", "x");
    EXPECT_EQ(helpLanguage(paths, "German"), "English");
    test::writeFile(tmp / "Language/German/Help/index.htm", "x");
    EXPECT_EQ(helpLanguage(paths, "German"), "German");
    EXPECT_EQ(helpPage(paths, "German"), tmp / "Language/German/Help/index.htm");
}

TEST(HelpLanguage, NameLeavingTheLanguageFolderOpensNoPageOutsideIt) {
    TempFolder tmp;
    const job::ProgramPaths paths(tmp.path());
    // Pages that a crafted Language key would reach: ../Help/index.htm and x/../../Help/...
    test::writeFile(tmp / "Help/index.htm", "outside");
    test::writeFile(tmp / "Language/x/Help/index.htm", "x");
    for (const char* name : {"..", "x/..", "x\\..", "../Language/x"})
        EXPECT_EQ(helpLanguage(paths, name), "Russian") << name;
}

TEST(HelpLanguage, FolderNamedIndexHtmIsNoHelpPage) {
    TempFolder tmp;
    const job::ProgramPaths paths(tmp.path());
    platform::createFolders(tmp / "Language/German/Help/index.htm");
    EXPECT_EQ(helpLanguage(paths, "German"), "Russian");
}

} // namespace
} // namespace tw::app
