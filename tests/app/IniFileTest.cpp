#include "app/IniFile.h"

#include "platform/FileError.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tw::app {
namespace {

using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

TEST(IniFile, MissingFileReadsAsDefaults) {
    TempFolder folder;
    const IniFile ini(folder / "Settings.ini");
    EXPECT_EQ(ini.readString("Settings", "Language", "Russian"), "Russian");
    EXPECT_EQ(ini.readInteger("Settings", "Top", 17), 17);
    EXPECT_TRUE(ini.readBool("Settings", "structure", true));
    EXPECT_FALSE(std::filesystem::exists(folder / "Settings.ini")) << "reading created the file";
}

TEST(IniFile, SectionAndKeyNamesIgnoreCase) {
    TempFolder folder;
    writeFile(folder / "a.ini", "[SETTINGS]\r\ntOp=5\r\n[other]\r\nLeft=9\r\n");
    const IniFile ini(folder / "a.ini");
    EXPECT_EQ(ini.readInteger("Settings", "Top", 0), 5);
    EXPECT_EQ(ini.readInteger("settings", "TOP", 0), 5);
    EXPECT_EQ(ini.readInteger("Settings", "Left", -1), -1) << "key of another section";
    EXPECT_EQ(ini.readInteger("Other", "left", -1), 9);
}

TEST(IniFile, ValuesAreTrimmedAndUnquotedAndEmptyValueIsNotMissing) {
    TempFolder folder;
    writeFile(folder / "a.ini", "  [ Settings ]  \n  Language =  English  \nA=\"quoted text\"\n"
                                "B='x'\nC=\"unbalanced\nD=\n; E=commented\n");
    const IniFile ini(folder / "a.ini");
    EXPECT_EQ(ini.readString("Settings", "Language", ""), "English");
    EXPECT_EQ(ini.readString("Settings", "A", ""), "quoted text");
    EXPECT_EQ(ini.readString("Settings", "B", ""), "x");
    EXPECT_EQ(ini.readString("Settings", "C", ""), "\"unbalanced");
    EXPECT_EQ(ini.readString("Settings", "D", "def"), "");
    EXPECT_EQ(ini.readString("Settings", "E", "def"), "def");
    EXPECT_EQ(ini.readString("Settings", "; E", "def"), "def");
}

TEST(IniFile, OnlyAWholeDecimalIntegerIsANumber) {
    TempFolder folder;
    writeFile(folder / "a.ini", "[S]\nplus=+5\nminus= -7 \nhex=0x10\ntail=5abc\nword=yes\n"
                                "empty=\nbig=99999999999\nmax=2147483647\nmin=-2147483648\n"
                                "sign=-\ninner=1 2\n");
    const IniFile ini(folder / "a.ini");
    EXPECT_EQ(ini.readInteger("S", "plus", 0), 5);
    EXPECT_EQ(ini.readInteger("S", "minus", 0), -7);
    EXPECT_EQ(ini.readInteger("S", "max", 0), 2147483647);
    EXPECT_EQ(ini.readInteger("S", "min", 0), -2147483648);
    for (const char* key : {"hex", "tail", "word", "empty", "big", "sign", "inner", "absent"})
        EXPECT_EQ(ini.readInteger("S", key, 42), 42) << key;
}

TEST(IniFile, BooleanIsAnyNonZeroIntegerElseTheDefault) {
    TempFolder folder;
    writeFile(folder / "a.ini", "[S]\ntwo=2\nminus=-1\nzero=0\nword=yes\n");
    const IniFile ini(folder / "a.ini");
    EXPECT_TRUE(ini.readBool("S", "two", false));
    EXPECT_TRUE(ini.readBool("S", "minus", false));
    EXPECT_FALSE(ini.readBool("S", "zero", true));
    EXPECT_FALSE(ini.readBool("S", "word", false));
    EXPECT_TRUE(ini.readBool("S", "word", true));
}

TEST(IniFile, WritingCreatesTheFileWithCrLfLines) {
    TempFolder folder;
    IniFile ini(folder / "Settings.ini");
    ini.writeInteger("Settings", "Top", -12);
    ini.writeBool("Settings", "max", true);
    ini.writeString("Settings", "Language", "Русский");
    EXPECT_EQ(readFile(folder / "Settings.ini"),
              "[Settings]\r\nTop=-12\r\nmax=1\r\nLanguage=Русский\r\n");
    EXPECT_EQ(ini.readString("Settings", "Language", ""), "Русский");
}

TEST(IniFile, WriteChangesOnlyItsKeyAndKeepsEveryOtherLine) {
    TempFolder folder;
    const std::string before = "; written by hand\r\n"
                               "[Other]\r\n"
                               "Top=100\r\n"
                               "\r\n"
                               "[Settings]\r\n"
                               "Extra = keep me\r\n"
                               "  TOP = 3\r\n"
                               "max=0\r\n"
                               "\r\n"
                               "[Last]\r\n"
                               "x=1\r\n";
    writeFile(folder / "a.ini", before);
    IniFile ini(folder / "a.ini");
    ini.writeInteger("settings", "Top", 250);
    ini.writeBool("Settings", "Freshpoll", true); // missing key: end of its section
    ini.writeString("New", "k", "v");             // missing section: end of the file
    EXPECT_EQ(readFile(folder / "a.ini"), "; written by hand\r\n"
                                          "[Other]\r\n"
                                          "Top=100\r\n"
                                          "\r\n"
                                          "[Settings]\r\n"
                                          "Extra = keep me\r\n"
                                          "TOP=250\r\n"
                                          "max=0\r\n"
                                          "Freshpoll=1\r\n"
                                          "\r\n"
                                          "[Last]\r\n"
                                          "x=1\r\n"
                                          "\r\n"
                                          "[New]\r\n"
                                          "k=v\r\n");
}

TEST(IniFile, KeyAddedToEmptyLastSectionFollowsItsHeader) {
    TempFolder folder;
    writeFile(folder / "a.ini", "[Settings]\n");
    IniFile ini(folder / "a.ini");
    ini.writeInteger("Settings", "Left", 4);
    EXPECT_EQ(readFile(folder / "a.ini"), "[Settings]\r\nLeft=4\r\n");
}

TEST(IniFile, WrittenValueCannotAddLines) {
    TempFolder folder;
    IniFile ini(folder / "a.ini");
    ini.writeString("Settings", "Language", "x\r\nmax=1\n[Evil]");
    EXPECT_FALSE(ini.readBool("Settings", "max", false));
    EXPECT_EQ(ini.readString("Evil", "a", "none"), "none");
}

TEST(IniFile, WriteLeavesNoTemporaryFileBehind) {
    TempFolder folder;
    IniFile ini(folder / "Settings.ini");
    ini.writeInteger("Settings", "Top", 1);
    ini.writeInteger("Settings", "Top", 2);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST(IniFile, FailedWriteThrowsAndLeavesTheFileAsItWas) {
    TempFolder folder;
    IniFile missingFolder(folder / "no/such/folder/Settings.ini");
    EXPECT_THROW(missingFolder.writeInteger("Settings", "Top", 1), platform::FileError);

    // A folder standing where the file should be cannot be replaced by a file.
    std::filesystem::create_directories(folder / "Settings.ini/inside");
    IniFile blocked(folder / "Settings.ini");
    EXPECT_THROW(blocked.writeInteger("Settings", "Top", 1), platform::FileError);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "Settings.ini/inside"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Settings.ini.tmp"));
}

TEST(IniFile, UnreadableFileIsNotOverwrittenByAWrite) {
    TempFolder folder;
    const std::string path = folder / "Settings.ini";
    writeFile(path, "[Settings]\r\nTop=5\r\n[Keep]\r\na=1\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write);
    if (std::ifstream(path).good())
        GTEST_SKIP() << "running with rights that read any file";
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("Settings", "Top", 0), 0) << "unreadable reads as empty";
    EXPECT_THROW(ini.writeInteger("Settings", "Top", 6), platform::FileError);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(readFile(path), "[Settings]\r\nTop=5\r\n[Keep]\r\na=1\r\n");
}

} // namespace
} // namespace tw::app
