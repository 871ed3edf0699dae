#include "cli/ProgressLine.h"

#include "job/SizeText.h"

#include <algorithm>

namespace tw::cli {

namespace {

bool continuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text cut to at most n characters, never inside a UTF-8 sequence.
std::string firstCharacters(const std::string& text, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!continuationByte(text[i])) {
            if (count == n) {
                return text.substr(0, i);
            }
            ++count;
        }
    }
    return text;
}

constexpr std::int64_t barWidth = 20;

} // namespace

std::size_t displayLength(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !continuationByte(c); }));
}

std::string progressLine(int columns, std::int64_t doneKB, std::int64_t totalKB,
                         const std::string& elapsedText, const std::string& current,
                         const i18n::StringTable& t) {
    const std::int64_t done =
        std::clamp<std::int64_t>(doneKB, 0, std::max<std::int64_t>(totalKB, 0));
    const std::int64_t percent = totalKB > 0 ? done * 100 / totalKB : 0;
    const std::int64_t filled = totalKB > 0 ? done * barWidth / totalKB : 0;

    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(barWidth - filled), '.') + "] ";
    std::string pct = std::to_string(percent) + "%";
    line += std::string(4 - std::min<std::size_t>(pct.size(), 4), ' ') + pct;
    line += "  " + job::sizeText(false, done, t) + " / " + job::sizeText(false, totalKB, t);
    if (!elapsedText.empty()) {
        line += "  " + elapsedText;
    }
    if (!current.empty()) {
        line += "  " + current;
    }
    if (columns > 0) {
        // Keep the last column free so that the terminal does not wrap.
        line = firstCharacters(line, static_cast<std::size_t>(columns - 1));
    }
    return line;
}

} // namespace tw::cli
