#include "text/ControlEscape.h"

#include <gtest/gtest.h>

namespace tw::text {
namespace {

// Terminal commands in a text (colour, title, clear screen, a C1 CSI) are shown, not sent;
// letters of any script, invalid bytes and the line breaks asked for stay.
TEST(ControlEscape, ControlCharactersAreWrittenOutAndEverythingElseStays) {
    const std::string hostile = "a\x1b[31mred\x07\r\n\tб\xc2\x9b"
                                "2J\x7f\xff";
    EXPECT_EQ(escapeControls(hostile, true), "a\\x1b[31mred\\x07\\x0d\n\tб\\u009b2J\\x7f\xff");
    EXPECT_EQ(escapeControls("x\ny\tz", false), "x\\x0ay\\x09z");
    EXPECT_EQ(escapeControls(std::string("nul\0end", 7), true), "nul\\x00end");
}

} // namespace
} // namespace tw::text
