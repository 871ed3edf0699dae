// Cuts arbitrary bytes with the line reader, from a file at a buffer size and a line cap
// chosen by the first two bytes and straight from memory, and compares the lines, the cut
// marks and the byte count with a plain cutter; decodes every line.
#include "FuzzFolder.h"

#include "text/Encoding.h"
#include "text/LineReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Cut {
    std::vector<std::string> lines;
    std::vector<bool> cut;
    std::uint64_t consumed = 0;
};

Cut referenceCut(std::string_view bytes, std::size_t maxLineBytes) {
    Cut cut;
    std::size_t i = 0;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        i = 3;
    std::string line;
    bool started = false;
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == 0x1A)
            break;
        if (c == '\n') {
            cut.lines.push_back(line);
            cut.cut.push_back(false);
            line.clear();
            started = false;
        } else if (c == '\r') {
            started = true; // dropped; a following LF ends the line
        } else {
            line += c;
            started = true;
        }
    }
    if (started) {
        cut.lines.push_back(line);
        cut.cut.push_back(false);
    }
    cut.consumed = i;
    if (maxLineBytes != 0) {
        for (std::size_t n = 0; n < cut.lines.size(); ++n) {
            if (cut.lines[n].size() > maxLineBytes) {
                cut.lines[n].resize(maxLineBytes);
                cut.cut[n] = true;
            }
        }
    }
    return cut;
}

Cut readerCut(tw::text::LineReader& reader) {
    Cut cut;
    std::string line;
    while (reader.next(line)) {
        cut.lines.push_back(line);
        cut.cut.push_back(reader.lastLineCut());
    }
    cut.consumed = reader.bytesConsumed();
    TW_FUZZ_CHECK(!reader.next(line) && line.empty());
    return cut;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tw;
    if (size < 2)
        return 0;
    const std::size_t bufferSize = 4 + data[0] % 64;
    const std::size_t maxLineBytes = data[1] % 16; // 0: no limit
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string path = fuzz::scratchFolder() + "/lines.txt";
    fuzz::writeBytes(path, bytes);

    const Cut expected = referenceCut(bytes, maxLineBytes);
    text::LineReader fromFile(path, {.bufferSize = bufferSize, .maxLineBytes = maxLineBytes});
    text::LineReader fromMemory(text::LineReader::Bytes{bytes}, {.maxLineBytes = maxLineBytes});
    for (text::LineReader* reader : {&fromFile, &fromMemory}) {
        const Cut cut = readerCut(*reader);
        TW_FUZZ_CHECK(cut.lines == expected.lines);
        TW_FUZZ_CHECK(cut.cut == expected.cut);
        TW_FUZZ_CHECK(cut.consumed == expected.consumed);
    }

    for (const std::string& l : expected.lines) {
        const std::string decoded = text::decodeLine(l);
        TW_FUZZ_CHECK(text::isValidUtf8(decoded));
        if (text::isValidUtf8(l))
            TW_FUZZ_CHECK(decoded == l);
        else if (l.find('\x98') == std::string::npos)
            TW_FUZZ_CHECK(text::utf8ToCp1251(decoded) == l);
    }
    return 0;
}
