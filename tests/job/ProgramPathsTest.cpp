#include "job/ProgramPaths.h"

#include <gtest/gtest.h>

namespace tw::job {
namespace {

TEST(ProgramPaths, EveryDataFileLiesBelowTheProgramFolderWithItsExactName) {
    const ProgramPaths p("/opt/tw");
    EXPECT_EQ(p.folder(), "/opt/tw");
    EXPECT_EQ(p.settingsIni(), "/opt/tw/Settings.ini");
    EXPECT_EQ(p.languageFolder(), "/opt/tw/Language");
    EXPECT_EQ(p.languageFile("English"), "/opt/tw/Language/English/English.txt");
    EXPECT_EQ(p.languageHelp("English"), "/opt/tw/Language/English/Help/index.htm");
    EXPECT_EQ(p.russianHelp(), "/opt/tw/Help.htm");
    EXPECT_EQ(p.sourceSettings(), "/opt/tw/Source/Settings.ini");
    EXPECT_EQ(p.sourceTempMht(), "/opt/tw/Source/Temp.mht");
    EXPECT_EQ(p.errorLogFolder(), "/opt/tw/ErrorLog");
    EXPECT_EQ(p.debugLog(), "/opt/tw/ErrorLog/Debug.Log");
    EXPECT_EQ(p.sendingDebugLog(), "/opt/tw/ErrorLog/SendingDebug.Log");
    EXPECT_EQ(p.tempFolder(), "/opt/tw/TempFiles");
    EXPECT_EQ(p.tmp1(), "/opt/tw/TempFiles/Tmp1");
    EXPECT_EQ(p.freshpollFolder(), "/opt/tw/Freshpoll");
    EXPECT_EQ(p.freshpollProgram(), "/opt/tw/Freshpoll/freshpoll");
}

} // namespace
} // namespace tw::job
