#include "copy/NumberedNames.h"

#include <gtest/gtest.h>

#include <string>

namespace tw::copy {
namespace {

platform::NameRules linuxNames() {
    return {};
}

platform::NameRules windowsNames() {
    platform::NameRules rules;
    rules.refusesWindowsCharacters = true;
    rules.foldsCase = true;
    return rules;
}

// Whether the text is whole UTF-8 characters, none of them cut.
bool wholeUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t bytes = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (at + bytes > text.size())
            return false;
        for (std::size_t i = 1; i < bytes; ++i) {
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return false;
        }
        at += bytes;
    }
    return true;
}

TEST(NumberedNames, PlaceIsPaddedToTheDigitsOfTheRunsFileCount) {
    EXPECT_EQ(numberedName("A.mp3", 1, 9, linuxNames()), "1 - A.mp3");
    EXPECT_EQ(numberedName("I.mp3", 9, 9, linuxNames()), "9 - I.mp3");
    EXPECT_EQ(numberedName("A.mp3", 1, 10, linuxNames()), "01 - A.mp3");
    EXPECT_EQ(numberedName("J.mp3", 10, 10, linuxNames()), "10 - J.mp3");
    EXPECT_EQ(placeNumber(1, 100), "001");
    EXPECT_EQ(placeNumber(7, 999), "007");
    EXPECT_EQ(placeNumber(100, 100), "100");
    // A list that grew after it was counted: the later places take the digits they need.
    EXPECT_EQ(placeNumber(10, 9), "10");
    EXPECT_EQ(placeNumber(1, 0), "1");
}

TEST(NumberedNames, PrefixThatMakesTheNameTooLongCutsTheStemAndKeepsTheExtension) {
    const std::string stem(250, 'a');
    const std::string cut = numberedName(stem + ".mp3", 7, 100, linuxNames());
    EXPECT_EQ(cut.substr(0, 6), "007 - ");
    EXPECT_EQ(cut.substr(cut.size() - 4), ".mp3");
    // Room is left for an automatic renaming's "_001".
    EXPECT_EQ(cut.size(), 255u - 4);

    // Linux counts bytes: a Cyrillic name is cut between characters, never inside one.
    std::string cyrillic;
    for (int i = 0; i < 125; ++i)
        cyrillic += "Я";
    const std::string bytesCut = numberedName(cyrillic + ".mp3", 1, 9, linuxNames());
    EXPECT_LE(bytesCut.size(), 255u - 4);
    EXPECT_EQ(bytesCut.substr(bytesCut.size() - 4), ".mp3");
    EXPECT_TRUE(wholeUtf8(bytesCut));
    // A Windows-name device counts characters: the same name fits whole.
    EXPECT_EQ(numberedName(cyrillic + ".mp3", 1, 9, windowsNames()), "1 - " + cyrillic + ".mp3");
    // ... and a character outside the Basic Multilingual Plane as two.
    std::string emoji;
    for (int i = 0; i < 125; ++i)
        emoji += "\xF0\x9F\x8E\xB5"; // U+1F3B5
    const std::string pairsCut = numberedName(emoji + ".mp3", 1, 9, windowsNames());
    EXPECT_EQ(deviceNameLength(pairsCut, windowsNames()), 4u + 2 * 121 + 4);
    EXPECT_TRUE(wholeUtf8(pairsCut));

    // Without an extension the cut may end in a space, which such a device refuses.
    const std::string spaced = std::string(246, 'b') + " " + std::string(10, 't');
    const std::string noExtension = numberedName(spaced, 1, 9, windowsNames());
    EXPECT_EQ(noExtension, "1 - " + std::string(246, 'b') + "_");
}

} // namespace
} // namespace tw::copy
