#include "text/ControlEscape.h"

namespace tw::text {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendHex(std::string& out, unsigned value) {
    out += kHex[(value >> 4) & 0xF];
    out += kHex[value & 0xF];
}

} // namespace

std::string escapeControls(std::string_view text, bool keepLineBreaks) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (keepLineBreaks && (byte == '\n' || byte == '\t')) {
            out += text[i];
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            appendHex(out, byte);
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += "\\u00";
            appendHex(out, static_cast<unsigned char>(text[i + 1]));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace tw::text
