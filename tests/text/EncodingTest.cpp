#include "text/Encoding.h"

#include <gtest/gtest.h>

namespace tw::text {
namespace {

TEST(DecodeLine, Utf8IsKeptAndCp1251IsConverted) {
    EXPECT_EQ(decodeLine("Песня 1.mp3"), "Песня 1.mp3");
    // "Песня" in Windows-1251.
    EXPECT_EQ(decodeLine("\xCF\xE5\xF1\xED\xFF 1.mp3"), "Песня 1.mp3");
    EXPECT_EQ(decodeLine("\xA8\xB8"), "Ёё");
    EXPECT_EQ(decodeLine("plain ascii"), "plain ascii");
    EXPECT_EQ(decodeLine(""), "");
}

TEST(IsValidUtf8, RejectsOverlongSurrogatesAndTruncation) {
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x8E\xB5"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));     // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xD0"));             // cut short
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
}

TEST(Cp1251, RoundTripsEveryDefinedByte) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b == 0x98)
            continue; // undefined in the code page
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(one)), one) << b;
    }
    EXPECT_EQ(utf8ToCp1251("日"), "?");
}

} // namespace
} // namespace tw::text
