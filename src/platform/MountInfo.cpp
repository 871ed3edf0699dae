#include "platform/MountInfo.h"

#include <charconv>

namespace tw::platform {

namespace {

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

// Splits at single spaces; the table never has empty fields.
std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        if (end > start)
            fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool parseNumber(std::string_view text, unsigned& value) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool isPrefixFolder(std::string_view mountPoint, std::string_view path) {
    if (mountPoint == "/")
        return !path.empty() && path.front() == '/';
    if (path.size() < mountPoint.size() || path.substr(0, mountPoint.size()) != mountPoint)
        return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

} // namespace

std::string unescapeMountField(std::string_view field) {
    std::string result;
    result.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                result.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        result.push_back(field[i]);
    }
    return result;
}

std::optional<MountEntry> parseMountInfoLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const std::vector<std::string_view> fields = splitFields(line);
    // id, parent, major:minor, root, mount point, options, [optional fields...], "-",
    // type, source, super options
    if (fields.size() < 9)
        return std::nullopt;
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-")
        ++separator;
    if (separator + 2 >= fields.size())
        return std::nullopt;

    MountEntry entry;
    const std::string_view device = fields[2];
    const std::size_t colon = device.find(':');
    if (colon == std::string_view::npos || !parseNumber(device.substr(0, colon), entry.major) ||
        !parseNumber(device.substr(colon + 1), entry.minor))
        return std::nullopt;
    entry.root = unescapeMountField(fields[3]);
    entry.mountPoint = unescapeMountField(fields[4]);
    entry.fsType = unescapeMountField(fields[separator + 1]);
    entry.source = unescapeMountField(fields[separator + 2]);
    if (separator + 3 < fields.size())
        entry.superOptions = std::string(fields[separator + 3]);
    if (entry.mountPoint.empty() || entry.mountPoint.front() != '/')
        return std::nullopt;
    return entry;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        if (auto entry = parseMountInfoLine(text.substr(start, end - start)))
            entries.push_back(std::move(*entry));
        start = end + 1;
    }
    return entries;
}

const MountEntry* findMount(const std::vector<MountEntry>& mounts, std::string_view path,
                            std::optional<std::pair<unsigned, unsigned>> device) {
    const MountEntry* best = nullptr;
    const MountEntry* bestOfDevice = nullptr;
    for (const MountEntry& entry : mounts) {
        if (!isPrefixFolder(entry.mountPoint, path))
            continue;
        if (!best || entry.mountPoint.size() >= best->mountPoint.size())
            best = &entry;
        if (device && entry.major == device->first && entry.minor == device->second &&
            (!bestOfDevice || entry.mountPoint.size() >= bestOfDevice->mountPoint.size()))
            bestOfDevice = &entry;
    }
    return bestOfDevice ? bestOfDevice : best;
}

} // namespace tw::platform
