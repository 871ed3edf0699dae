#include "job/LaunchRule.h"

#include <gtest/gtest.h>

namespace {

using tw::job::decideLaunch;
using Message = tw::job::LaunchDecision::Message;
using tw::i18n::StringTable;

TEST(LaunchRule, NothingHappensUntilBothPlaylistAndDestinationAreReady) {
    const StringTable t;
    for (const bool fit : {false, true}) {
        for (const auto& [dest, list] : {std::pair{false, false}, {true, false}, {false, true}}) {
            const auto d = decideLaunch(dest, list, fit, 5, 10'000, 1, t);
            EXPECT_FALSE(d.enabled);
            EXPECT_EQ(d.message, Message::None);
            EXPECT_TRUE(d.text.empty());
        }
    }
}

TEST(LaunchRule, ListThatFitsEnablesSilently) {
    const StringTable t;
    const auto d = decideLaunch(true, true, false, 3, 99, 100, t);
    EXPECT_TRUE(d.enabled);
    EXPECT_EQ(d.message, Message::None);
}

TEST(LaunchRule, EqualSizesDoNotFit) {
    const StringTable t;
    const auto refused = decideLaunch(true, true, false, 3, 100, 100, t);
    EXPECT_FALSE(refused.enabled);
    EXPECT_EQ(refused.message, Message::Refused);
    EXPECT_EQ(refused.text, t.StrSpaceTooSmall + "\r\n" + t.StrFreeSomeSpace);

    const auto warned = decideLaunch(true, true, true, 3, 100, 100, t);
    EXPECT_TRUE(warned.enabled);
    EXPECT_EQ(warned.message, Message::Warned);
    EXPECT_EQ(warned.text, t.StrSpaceTooSmall + "\r\n" + t.StrAsManyAsFit);
}

TEST(LaunchRule, TogglingAsManyAsFitSwitchesBetweenWarningAndRefusal) {
    const StringTable t;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(decideLaunch(true, true, true, 1, 500, 10, t).message, Message::Warned);
        EXPECT_EQ(decideLaunch(true, true, false, 1, 500, 10, t).message, Message::Refused);
    }
}

TEST(LaunchRule, EmptyListStaysDisabledWithoutSpaceMessageWhenItFits) {
    const StringTable t;
    const auto d = decideLaunch(true, true, false, 0, 0, 100, t);
    EXPECT_FALSE(d.enabled);
    EXPECT_EQ(d.message, Message::None);
}

TEST(LaunchRule, SizesCompareAs64Bit) {
    const StringTable t;
    const std::int64_t big = std::int64_t{1} << 40;
    EXPECT_TRUE(decideLaunch(true, true, false, 1, big, big + 1, t).enabled);
    EXPECT_FALSE(decideLaunch(true, true, false, 1, big + 1, big, t).enabled);
    // A failed free-space query reads 0: nothing fits.
    EXPECT_EQ(decideLaunch(true, true, false, 1, 0, 0, t).message, Message::Refused);
}

TEST(LaunchRule, MessagesUseTheLoadedTexts) {
    StringTable t;
    t.applyLine(29, "Too small!");
    t.applyLine(28, "Free some.");
    EXPECT_EQ(decideLaunch(true, true, false, 1, 9, 1, t).text, "Too small!\r\nFree some.");
}

} // namespace
