#include "job/Settings.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace tw::job {
namespace {

using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

Settings readFrom(const std::string& content) {
    TempFolder folder;
    writeFile(folder / "Settings.ini", content);
    return Settings::read(IniFile(folder / "Settings.ini"));
}

void expectDefaults(const Settings& s) {
    EXPECT_EQ(s.Top, 0);
    EXPECT_EQ(s.Left, 0);
    EXPECT_TRUE(s.options.keepStructure);
    EXPECT_FALSE(s.options.transliterate);
    EXPECT_FALSE(s.options.onlyMp3);
    EXPECT_FALSE(s.options.asManyAsFit);
    EXPECT_FALSE(s.Freshpoll);
    EXPECT_EQ(s.Language, "Russian");
}

TEST(Settings, MissingFileAndEmptySectionGiveTheDefaults) {
    TempFolder folder;
    expectDefaults(Settings::read(IniFile(folder / "Settings.ini")));
    expectDefaults(readFrom("[Settings]\r\n"));
    expectDefaults(readFrom(""));
}

TEST(Settings, BooleansTakeNonZeroIntegersAndIgnoreWords) {
    EXPECT_FALSE(readFrom("[Settings]\r\nstructure=0\r\n").options.keepStructure);
    EXPECT_TRUE(readFrom("[Settings]\r\nmax=2\r\n").options.asManyAsFit);
    EXPECT_FALSE(readFrom("[Settings]\r\nmax=yes\r\n").options.asManyAsFit);
    EXPECT_TRUE(readFrom("[Settings]\r\nstructure=yes\r\n").options.keepStructure)
        << "word keeps default 1";
}

TEST(Settings, ReadsEveryKeyWithoutRegardToCase) {
    const Settings s = readFrom("[settings]\r\nTOP=-20\r\nleft=300\r\nStructure=0\r\n"
                                "TRANSLIT=1\r\nOnlyMp3=1\r\nMAX=1\r\nfreshpoll=1\r\n"
                                "language=English\r\n");
    EXPECT_EQ(s.Top, -20);
    EXPECT_EQ(s.Left, 300);
    EXPECT_FALSE(s.options.keepStructure);
    EXPECT_TRUE(s.options.transliterate);
    EXPECT_TRUE(s.options.onlyMp3);
    EXPECT_TRUE(s.options.asManyAsFit);
    EXPECT_TRUE(s.Freshpoll);
    EXPECT_EQ(s.Language, "English");
    // A file from before the re-copy options leaves them off.
    EXPECT_FALSE(s.options.writePlaylist);
    EXPECT_FALSE(s.options.skipSame);
    EXPECT_FALSE(s.options.number);
}

TEST(Settings, NewFileHoldsTheElevenKeysInOrder) {
    TempFolder folder;
    IniFile ini(folder / "Settings.ini");
    Settings s;
    s.Top = 10;
    s.Left = 20;
    s.options.transliterate = true;
    s.Language = "English";
    s.options.skipSame = true;
    s.options.number = true;
    s.write(ini);
    EXPECT_EQ(readFile(folder / "Settings.ini"), "[Settings]\r\n"
                                                 "Top=10\r\n"
                                                 "Left=20\r\n"
                                                 "structure=1\r\n"
                                                 "translit=1\r\n"
                                                 "onlymp3=0\r\n"
                                                 "max=0\r\n"
                                                 "Freshpoll=0\r\n"
                                                 "Language=English\r\n"
                                                 "writeplaylist=0\r\n"
                                                 "skipsame=1\r\n"
                                                 "number=1\r\n");
}

TEST(Settings, WriteReadRoundTripKeepsForeignKeysAndSections) {
    TempFolder folder;
    writeFile(folder / "Settings.ini", "[Settings]\r\nWidth=640\r\nmax=yes\r\n[Mine]\r\nz=1\r\n");
    IniFile ini(folder / "Settings.ini");
    Settings s;
    s.Top = -5;
    s.options.keepStructure = false;
    s.options.onlyMp3 = true;
    s.options.asManyAsFit = true;
    s.Freshpoll = true;
    s.Language = "Deutsch";
    s.options.number = true;
    s.write(ini);

    const Settings back = Settings::read(ini);
    EXPECT_EQ(back.Top, -5);
    EXPECT_EQ(back.Left, 0);
    EXPECT_FALSE(back.options.keepStructure);
    EXPECT_FALSE(back.options.transliterate);
    EXPECT_TRUE(back.options.onlyMp3);
    EXPECT_TRUE(back.options.asManyAsFit);
    EXPECT_TRUE(back.Freshpoll);
    EXPECT_EQ(back.Language, "Deutsch");
    EXPECT_TRUE(back.options.number);
    EXPECT_EQ(ini.readString("Settings", "Width", ""), "640");
    EXPECT_EQ(ini.readString("Mine", "z", ""), "1");
}

} // namespace
} // namespace tw::job
