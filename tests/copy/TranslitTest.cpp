#include "copy/Transliteration.h"

#include <gtest/gtest.h>

namespace tw::copy {
namespace {

TEST(transliterateName, EveryRussianLetterHasItsSpelling) {
    EXPECT_EQ(transliterateName("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"),
              "ABVGDEEZhZIYKLMNOPRSTUFHCChShSch'Y'EYuYa");
    EXPECT_EQ(transliterateName("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"),
              "abvgdeezhziyklmnoprstufhcchshsch'y'eyuya");
}

TEST(transliterateName, OnlyTheFirstLetterOfASpellingIsCapital) {
    EXPECT_EQ(transliterateName("ЖУК"), "ZhUK");
    EXPECT_EQ(transliterateName("ЩИТ"), "SchIT");
    EXPECT_EQ(transliterateName("ЩЩщ"), "SchSchsch") << "up to three times as long";
}

TEST(transliterateName, SpacesBecomeUnderscoresAndTheRestIsKept) {
    EXPECT_EQ(transliterateName("Песня 1.mp3"), "Pesnya_1.mp3");
    EXPECT_EQ(transliterateName("  a  b "), "__a__b_");
    EXPECT_EQ(transliterateName(""), "");
    EXPECT_EQ(transliterateName("track01 (live)_-'.mp3"), "track01_(live)_-'.mp3");
    EXPECT_EQ(transliterateName("a\\b\tc"), "a\\b\tc");
}

TEST(transliterateName, DifferentNamesMayMeet) {
    EXPECT_EQ(transliterateName("Ель"), "El'");
    EXPECT_EQ(transliterateName("Эль"), "El'");
}

TEST(transliterateName, OtherCyrillicAndBrokenBytesAreCopiedUnchanged) {
    EXPECT_EQ(transliterateName("ЄІЇҐЎєіїґў"), "ЄІЇҐЎєіїґў");
    EXPECT_EQ(transliterateName("ЀЂѐђ"), "ЀЂѐђ") << "neighbours of the table's letters";
    EXPECT_EQ(transliterateName("日本 ♪"), "日本_♪");
    // A lead byte of a table letter without its continuation, at the end and before ASCII.
    EXPECT_EQ(transliterateName("a\xD0"), "a\xD0");
    EXPECT_EQ(transliterateName("\xD0"
                                "a\xD1"),
              "\xD0"
              "a\xD1");
    EXPECT_EQ(transliterateName("\xD0\xD0\x90"), "\xD0"
                                                 "A");
}

} // namespace
} // namespace tw::copy
