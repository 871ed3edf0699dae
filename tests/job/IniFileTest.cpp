#include "job/IniFile.h"

#include "job/ProgramPaths.h"
#include "platform/FaultInjection.h"
#include "platform/FileError.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw::job {
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
    ini.save();
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
    ini.save();
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
    ini.save();
    // The header keeps its own line end; the new line has CR LF.
    EXPECT_EQ(readFile(folder / "a.ini"), "[Settings]\nLeft=4\r\n");
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
    ini.save();
    ini.writeInteger("Settings", "Top", 2);
    ini.save();
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST(IniFile, FailedWriteThrowsAndLeavesTheFileAsItWas) {
    TempFolder folder;
    IniFile missingFolder(folder / "no/such/folder/Settings.ini");
    missingFolder.writeInteger("Settings", "Top", 1);
    EXPECT_THROW(missingFolder.save(), platform::FileError);

    // A folder standing where the file should be cannot be replaced by a file.
    std::filesystem::create_directories(folder / "Settings.ini/inside");
    IniFile blocked(folder / "Settings.ini");
    blocked.writeInteger("Settings", "Top", 1);
    EXPECT_THROW(blocked.save(), platform::FileError);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "Settings.ini/inside"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 1u) << "a temporary file was left behind";
}

TEST(IniFile, UnreadableFileReadsAsEmptyAndIsNotOverwritten) {
    TempFolder folder;
    const std::string path = folder / "Settings.ini";
    const std::string content = "[Settings]\r\nTop=5\r\n[Keep]\r\na=1\r\n";
    writeFile(path, content);
    for (const auto operation : {platform::FileOperation::Open, platform::FileOperation::Read}) {
        platform::injectFileFault(operation, path, EACCES);
        IniFile ini(path);
        platform::clearFileFaults();
        EXPECT_EQ(ini.readInteger("Settings", "Top", 0), 0) << "unreadable reads as empty";
        ini.writeInteger("Settings", "Top", 6);
        EXPECT_THROW(ini.save(), platform::FileError);
        EXPECT_EQ(readFile(path), content);
    }
}

// A link planted at the temporary name of old must not receive the settings; the target of a
// link at Settings.ini itself is never read or replaced, and a FIFO there never waited on.
TEST(IniFile, SaveNeitherFollowsNorWaitsOnPlantedFiles) {
    TempFolder folder;
    const std::string outside = folder / "outside.txt";
    writeFile(outside, "private\n");
    std::filesystem::create_directory(folder / "prog");
    const std::string path = folder / "prog/Settings.ini";
    std::filesystem::create_symlink(outside, path + ".tmp");
    IniFile fresh(path);
    fresh.writeInteger("Settings", "Top", 1);
    fresh.save();
    EXPECT_EQ(readFile(outside), "private\n");
    EXPECT_EQ(readFile(path), "[Settings]\r\nTop=1\r\n");

    // Settings.ini as a link to a private file: read as unreadable, the save refused.
    std::filesystem::permissions(outside, std::filesystem::perms::owner_read |
                                              std::filesystem::perms::owner_write);
    std::filesystem::remove(path);
    std::filesystem::create_symlink(outside, path);
    IniFile linked(path);
    EXPECT_EQ(linked.readString("Settings", "x", "def"), "def");
    linked.writeInteger("Settings", "Top", 2);
    EXPECT_THROW(linked.save(), platform::FileError);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(readFile(outside), "private\n");

    // Settings.ini as a FIFO: refused at once, not waited on.
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    IniFile fifo(path);
    fifo.writeInteger("Settings", "Top", 3);
    EXPECT_THROW(fifo.save(), platform::FileError);
}

TEST(IniFile, ReplacedFileKeepsItsPermissionBits) {
    TempFolder folder;
    const std::string path = folder / "Settings.ini";
    writeFile(path, "[Settings]\r\nTop=1\r\n");
    ::chmod(path.c_str(), 0600);
    IniFile ini(path);
    ini.writeInteger("Settings", "Top", 2);
    ini.save();
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// Bytes the reader does not look into (a Ctrl-Z, a lone CR, a BOM, a line too long to hold,
// a line end missing at the end) all go back exactly as they were.
TEST(IniFile, RewriteKeepsEveryUnchangedLineByteForByte) {
    TempFolder folder;
    const std::string path = folder / "Settings.ini";
    const std::string longLine = "; " + std::string(3 * IniFile::maxLineBytes, 'z');
    const std::string head = "\xEF\xBB\xBF[Settings]\nTop=1\r\nnote=a\x1A"
                             "b\r" +
                             longLine + "\r\n[Mine]\nkey=value\x1A\n";
    writeFile(path, head + "last=1");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Mine", "key", ""), "value\x1A");
    ini.writeInteger("Settings", "Top", 7);
    ini.writeInteger("Mine", "added", 1);
    ini.save();
    std::string expected = head + "last=1\r\nadded=1\r\n";
    expected.replace(expected.find("Top=1"), 5, "Top=7");
    const std::string written = readFile(path);
    EXPECT_TRUE(written == expected)
        << "written:\n"
        << written.substr(0, 80) << " ... "
        << written.substr(written.size() - std::min<std::size_t>(written.size(), 60));
}

TEST(IniFile, LoneCrEndsALineAndOverlongLinesKeepTheirDefault) {
    TempFolder folder;
    writeFile(folder / "cr.ini", "[Settings]\rTop=4\rmax=1\r");
    const IniFile cr(folder / "cr.ini");
    EXPECT_EQ(cr.readInteger("Settings", "Top", 0), 4);
    EXPECT_TRUE(cr.readBool("Settings", "max", false));

    const std::string huge = "Language=" + std::string(IniFile::maxLineBytes, 'E');
    writeFile(folder / "long.ini", "[Settings]\n" + huge + "\nTop=9\n");
    const IniFile longLines(folder / "long.ini");
    EXPECT_EQ(longLines.readString("Settings", "Language", "Russian"), "Russian");
    EXPECT_EQ(longLines.readInteger("Settings", "Top", 0), 9);
}

// Two programs saving at the same moment: every file seen is one writer's whole file.
TEST(IniFile, ConcurrentSavesNeverMixOrFail) {
    TempFolder folder;
    const std::string path = folder / "Settings.ini";
    constexpr int rounds = 300;
    auto saveAs = [&](int who) {
        for (int i = 0; i < rounds; ++i) {
            IniFile ini(path);
            for (const char* key : {"Top", "Left", "structure", "translit", "max", "Language"})
                ini.writeInteger("Settings", key, who);
            ini.save();
        }
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            saveAs(2);
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int mixed = 0;
    EXPECT_NO_THROW(saveAs(1));
    for (int i = 0; i < rounds; ++i) {
        const IniFile ini(path);
        const int top = ini.readInteger("Settings", "Top", -1);
        if (ini.readInteger("Settings", "Language", -2) != top ||
            ini.readInteger("Settings", "Left", -3) != top)
            ++mixed;
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other writer failed";
    EXPECT_EQ(mixed, 0);
    const IniFile last(path);
    const int top = last.readInteger("Settings", "Top", -1);
    EXPECT_TRUE(top == 1 || top == 2);
    EXPECT_EQ(last.readInteger("Settings", "max", -1), top);
}

// A backslash in the folder's name is a letter, not a separator.
TEST(IniFile, BackslashInTheProgramFolderIsPartOfItsName) {
    TempFolder folder;
    const std::string programFolder = folder / "a\\b";
    std::filesystem::create_directory(programFolder);
    const ProgramPaths paths(programFolder);
    IniFile ini(paths.settingsIni());
    ini.writeInteger("Settings", "Top", 3);
    ini.save();
    EXPECT_TRUE(std::filesystem::exists(programFolder + "/Settings.ini"));
    EXPECT_FALSE(std::filesystem::exists(folder / "a"));
    EXPECT_EQ(IniFile(paths.settingsIni()).readInteger("Settings", "Top", 0), 3);
}

} // namespace
} // namespace tw::job
