#include "text/LineReader.h"

#include "platform/FileError.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tw::text {
namespace {

struct Cut {
    std::vector<std::string> lines;
    std::uint64_t consumed = 0;
};

// Cuts the bytes with every buffer size from 4 to 9 and with a large one, and checks that
// all agree: a line end or a mark split across two reads must not change the result.
Cut cut(const std::string& bytes) {
    test::TempFolder tmp;
    test::writeFile(tmp / "f", bytes);
    Cut first;
    bool haveFirst = false;
    for (const std::size_t size : {4u, 5u, 6u, 7u, 9u, 65536u}) {
        LineReader reader(tmp / "f", size);
        Cut c;
        std::string line;
        while (reader.next(line))
            c.lines.push_back(line);
        c.consumed = reader.bytesConsumed();
        EXPECT_FALSE(reader.next(line));
        if (!haveFirst) {
            first = c;
            haveFirst = true;
        } else {
            EXPECT_EQ(c.lines, first.lines) << "buffer size " << size;
            EXPECT_EQ(c.consumed, first.consumed) << "buffer size " << size;
        }
    }
    return first;
}

using Lines = std::vector<std::string>;

TEST(LineReader, LfAndCrLfEndLinesWithoutExtraLineAtEnd) {
    EXPECT_EQ(cut("a\nb\r\nc").lines, (Lines{"a", "b", "c"}));
    EXPECT_EQ(cut("a\nb\r\n").lines, (Lines{"a", "b"}));
    EXPECT_EQ(cut("a\n\nb\n").lines, (Lines{"a", "", "b"}));
    EXPECT_EQ(cut("\n").lines, (Lines{""}));
    EXPECT_EQ(cut("").lines, Lines{});
}

TEST(LineReader, LoneCrIsDroppedAndJoinsTheNextLine) {
    EXPECT_EQ(cut("ab\rcd\nef").lines, (Lines{"abcd", "ef"}));
    EXPECT_EQ(cut("ab\r\r\ncd").lines, (Lines{"ab", "cd"}));
    EXPECT_EQ(cut("ab\r").lines, (Lines{"ab"}));
}

TEST(LineReader, CtrlZEndsTheFile) {
    const Cut c = cut("a\nb\x1A"
                      "c\nd\n");
    EXPECT_EQ(c.lines, (Lines{"a", "b"}));
    EXPECT_EQ(c.consumed, 3u);
    EXPECT_EQ(cut("\x1A"
                  "abc")
                  .lines,
              Lines{});
    EXPECT_EQ(cut("a\n\x1A").lines, (Lines{"a"}));
}

TEST(LineReader, ByteOrderMarkAtStartIsDroppedButCounted) {
    const Cut c = cut("\xEF\xBB\xBF#EXTM3U\r\na.mp3\r\n");
    EXPECT_EQ(c.lines, (Lines{"#EXTM3U", "a.mp3"}));
    EXPECT_EQ(c.consumed, 19u);
    // A mark later in the file, or a broken mark, is text.
    EXPECT_EQ(cut("x\n\xEF\xBB\xBFy").lines, (Lines{"x", "\xEF\xBB\xBFy"}));
    EXPECT_EQ(cut("\xEF\xBBx\n").lines, (Lines{"\xEF\xBBx"}));
    EXPECT_EQ(cut("\xEF\xBB\xBF").lines, Lines{});
}

TEST(LineReader, LongLinesAreTakenWhole) {
    const std::string big(300000, 'q');
    const Cut c = cut(big + "\r\n" + "z");
    ASSERT_EQ(c.lines.size(), 2u);
    EXPECT_EQ(c.lines[0], big);
    EXPECT_EQ(c.consumed, big.size() + 3);
}

TEST(LineReader, BytesConsumedFollowsEachLine) {
    test::TempFolder tmp;
    test::writeFile(tmp / "f", "ab\r\ncd\ne");
    LineReader reader(tmp / "f", 4);
    std::string line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(reader.bytesConsumed(), 4u);
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(reader.bytesConsumed(), 7u);
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(reader.bytesConsumed(), 8u);
    EXPECT_TRUE(reader.atEnd());
}

// With lone CRs as line ends and a length limit, a CR LF split across reads is still one
// line end and a long line is cut without losing the lines after it.
TEST(LineReader, LoneCrEndsLinesAndLongLinesAreCutWhenAsked) {
    test::TempFolder tmp;
    test::writeFile(tmp / "f", "a\rbb\r\n" + std::string(30, 'x') + "\rlast");
    for (const std::size_t size : {4u, 5u, 7u, 65536u}) {
        LineReader reader(tmp / "f", LineReader::Options{size, 10, true});
        std::vector<std::pair<std::string, bool>> seen;
        std::string line;
        while (reader.next(line))
            seen.emplace_back(line, reader.lastLineCut());
        const std::vector<std::pair<std::string, bool>> expected = {
            {"a", false}, {"bb", false}, {std::string(10, 'x'), true}, {"last", false}};
        EXPECT_EQ(seen, expected) << "buffer size " << size;
    }
}

TEST(LineReader, MissingFileThrows) {
    test::TempFolder tmp;
    EXPECT_THROW(LineReader(tmp / "none.m3u"), platform::FileError);
}

} // namespace
} // namespace tw::text
