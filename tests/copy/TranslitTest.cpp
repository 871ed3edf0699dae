#include "copy/Translit.h"

#include <gtest/gtest.h>

namespace tw::copy {
namespace {

TEST(TranslitName, EveryRussianLetterHasItsSpelling) {
    EXPECT_EQ(TranslitName("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"),
              "ABVGDEEZhZIYKLMNOPRSTUFHCChShSch'Y'EYuYa");
    EXPECT_EQ(TranslitName("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"),
              "abvgdeezhziyklmnoprstufhcchshsch'y'eyuya");
}

TEST(TranslitName, OnlyTheFirstLetterOfASpellingIsCapital) {
    EXPECT_EQ(TranslitName("ЖУК"), "ZhUK");
    EXPECT_EQ(TranslitName("ЩИТ"), "SchIT");
    EXPECT_EQ(TranslitName("ЩЩщ"), "SchSchsch") << "up to three times as long";
}

TEST(TranslitName, SpacesBecomeUnderscoresAndTheRestIsKept) {
    EXPECT_EQ(TranslitName("Песня 1.mp3"), "Pesnya_1.mp3");
    EXPECT_EQ(TranslitName("  a  b "), "__a__b_");
    EXPECT_EQ(TranslitName(""), "");
    EXPECT_EQ(TranslitName("track01 (live)_-'.mp3"), "track01_(live)_-'.mp3");
    EXPECT_EQ(TranslitName("a\\b\tc"), "a\\b\tc");
}

TEST(TranslitName, DifferentNamesMayMeet) {
    EXPECT_EQ(TranslitName("Ель"), "El'");
    EXPECT_EQ(TranslitName("Эль"), "El'");
}

TEST(TranslitName, OtherCyrillicAndBrokenBytesAreCopiedUnchanged) {
    EXPECT_EQ(TranslitName("ЄІЇҐЎєіїґў"), "ЄІЇҐЎєіїґў");
    EXPECT_EQ(TranslitName("ЀЂѐђ"), "ЀЂѐђ") << "neighbours of the table's letters";
    EXPECT_EQ(TranslitName("日本 ♪"), "日本_♪");
    // A lead byte of a table letter without its continuation, at the end and before ASCII.
    EXPECT_EQ(TranslitName("a\xD0"), "a\xD0");
    EXPECT_EQ(TranslitName("\xD0"
                           "a\xD1"),
              "\xD0"
              "a\xD1");
    EXPECT_EQ(TranslitName("\xD0\xD0\x90"), "\xD0"
                                            "A");
}

} // namespace
} // namespace tw::copy
