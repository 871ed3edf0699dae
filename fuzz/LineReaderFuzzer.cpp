// Cuts arbitrary bytes with the line reader at a buffer size chosen by the first byte and
// compares the lines and the byte count with a plain in-memory cutter; decodes every line.
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
    std::uint64_t consumed = 0;
};

Cut referenceCut(std::string_view bytes) {
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
            line.clear();
            started = false;
        } else if (c == '\r') {
            started = true; // dropped; a following LF ends the line
        } else {
            line += c;
            started = true;
        }
    }
    if (started)
        cut.lines.push_back(line);
    cut.consumed = i;
    return cut;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tw;
    if (size == 0)
        return 0;
    const std::size_t bufferSize = 4 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string path = fuzz::scratchFolder() + "/lines.txt";
    fuzz::writeBytes(path, bytes);

    const Cut expected = referenceCut(bytes);
    text::LineReader reader(path, bufferSize);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    TW_FUZZ_CHECK(lines == expected.lines);
    TW_FUZZ_CHECK(reader.bytesConsumed() == expected.consumed);
    TW_FUZZ_CHECK(!reader.next(line) && line.empty());

    for (const std::string& l : lines) {
        const std::string decoded = text::decodeLine(l);
        TW_FUZZ_CHECK(text::isValidUtf8(decoded));
        if (text::isValidUtf8(l))
            TW_FUZZ_CHECK(decoded == l);
        else if (l.find('\x98') == std::string::npos)
            TW_FUZZ_CHECK(text::utf8ToCp1251(decoded) == l);
    }
    return 0;
}
