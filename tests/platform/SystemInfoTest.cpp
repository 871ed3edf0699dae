#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tw::platform {
namespace {

using Numbers = std::optional<std::array<int, 3>>;

TEST(VersionNumbers, ReleaseTextsOfRealKernelsGiveTheirFirstThreeNumbers) {
    const std::vector<std::pair<std::string, Numbers>> rows = {
        {"6.1.0-18-amd64", std::array{6, 1, 0}},
        {"5.15.0-91-generic", std::array{5, 15, 0}},
        {"6.6.87.2-microsoft-standard-WSL2", std::array{6, 6, 87}},
        {"4.19.306", std::array{4, 19, 306}},
        {"10.20.30", std::array{10, 20, 30}},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(parseVersionNumbers(text), expected) << text;
}

TEST(VersionNumbers, ShortOrOddlyEndedTextsFillTheMissingNumbersWithZero) {
    const std::vector<std::pair<std::string, Numbers>> rows = {
        {"5.15", std::array{5, 15, 0}},     {"6", std::array{6, 0, 0}},
        {"6.", std::array{6, 0, 0}},        {"6.1rc2", std::array{6, 1, 0}},
        {"6..1", std::array{6, 0, 0}},      {"6.-1.2", std::array{6, 0, 0}},
        {"007.08.09", std::array{7, 8, 9}},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(parseVersionNumbers(text), expected) << text;
}

TEST(VersionNumbers, TextsThatDoNotBeginWithANumberOrOverflowGiveNothing) {
    const std::string withNul("\0"
                              "6.1.0",
                              6);
    for (const std::string& text :
         {std::string(), std::string("abc"), std::string("-6.1.0"), std::string("+6.1.0"),
          std::string(" 6.1.0"), std::string(".6.1"), std::string("99999999999999999999.1.1"),
          std::string("6.2147483648.0"), std::string("6.1.99999999999999999999"), withNul})
        EXPECT_EQ(parseVersionNumbers(text), std::nullopt) << text;
}

TEST(VersionNumbers, ReadsNoFurtherThanTheViewItIsGiven) {
    const std::string text = "6.1.0";
    EXPECT_EQ(parseVersionNumbers(std::string_view(text).substr(0, 3)), (std::array{6, 1, 0}));
    EXPECT_EQ(parseVersionNumbers(std::string_view(text).substr(0, 2)), (std::array{6, 0, 0}));
}

TEST(UserAndHost, AreFoundOnThisMachine) {
    EXPECT_FALSE(userName().empty());
    EXPECT_FALSE(hostName().empty());
}

} // namespace
} // namespace tw::platform
