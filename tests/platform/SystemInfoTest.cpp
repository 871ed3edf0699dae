#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <regex>

namespace tw::platform {
namespace {

TEST(KernelVersion, HasThreeNumbers) {
    EXPECT_TRUE(std::regex_match(kernelVersion(), std::regex(R"(\d+\.\d+\.\d+)")))
        << kernelVersion();
}

TEST(UserAndHost, AreFoundOnThisMachine) {
    EXPECT_FALSE(userName().empty());
    EXPECT_FALSE(hostName().empty());
}

} // namespace
} // namespace tw::platform
