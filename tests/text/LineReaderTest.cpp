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
    std::vector<bool> cutFlags;
    std::uint64_t consumed = 0;
};

// Cuts the bytes with every buffer size from 4 to 9, with a large one and from memory, and
// checks that all agree: a line end or a mark split across two reads must not change the
// result.
Cut cut(const std::string& bytes, std::size_t maxLineBytes = 0) {
    test::TempFolder tmp;
    test::writeFile(tmp / "f", bytes);
    Cut first;
    bool haveFirst = false;
    // Size 0 stands for the bytes cut straight from memory.
    for (const std::size_t size : {4u, 5u, 6u, 7u, 9u, 65536u, 0u}) {
        LineReader reader =
            size == 0 ? LineReader(LineReader::Bytes{bytes}, {.maxLineBytes = maxLineBytes})
                      : LineReader(tmp / "f", {.bufferSize = size, .maxLineBytes = maxLineBytes});
        Cut c;
        std::string line;
        while (reader.next(line)) {
            c.lines.push_back(line);
            c.cutFlags.push_back(reader.lastLineCut());
        }
        c.consumed = reader.bytesConsumed();
        EXPECT_FALSE(reader.next(line));
        if (!haveFirst) {
            first = c;
            haveFirst = true;
        } else {
            EXPECT_EQ(c.lines, first.lines) << "buffer size " << size;
            EXPECT_EQ(c.cutFlags, first.cutFlags) << "buffer size " << size;
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

TEST(LineReader, CapKeepsTheHeadOfALongLineAndSkipsItsRest) {
    // Exactly the cap is whole; one byte more is cut. Dropped CRs and the put-back bytes of
    // a broken mark count as they land in the line; the byte count still covers everything.
    const Cut c = cut("abcd\nabcde\r\nab\rcd\rx\nxyz", 4);
    EXPECT_EQ(c.lines, (Lines{"abcd", "abcd", "abcd", "xyz"}));
    EXPECT_EQ(c.cutFlags, (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(c.consumed, 23u);
    EXPECT_EQ(cut("\xEF\xBBxyz\n", 3).lines, (Lines{"\xEF\xBBx"}));
    EXPECT_EQ(cut("\xEF\xBBxyz\n", 3).cutFlags, std::vector<bool>{true});
    // The line after a cut one is read from its own start; CTRL-Z still ends the file.
    EXPECT_EQ(cut("123456789\x1A"
                  "abc",
                  2)
                  .lines,
              Lines{"12"});
}

TEST(LineReader, CutLineIsNotHeldInMemory) {
    test::TempFolder tmp;
    test::writeFile(tmp / "f", std::string(32 * 1024 * 1024, 'q') + "\nnext");
    LineReader reader(tmp / "f", {.maxLineBytes = 4096});
    std::string line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_TRUE(reader.lastLineCut());
    EXPECT_EQ(line.size(), 4096u);
    EXPECT_LT(line.capacity(), 1024u * 1024u);
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "next");
    EXPECT_FALSE(reader.lastLineCut());
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
