#include "update/Announcement.h"

#include "platform/FileSystem.h"
#include "text/Encoding.h"
#include "text/LineReader.h"

namespace tw::update {

namespace {

// The window shows a few lines; a file of megabytes does not make it hang.
constexpr std::size_t MaxNotes = 1000;
constexpr std::size_t MaxLineBytes = 64 * 1024;

} // namespace

std::string Announcement::fileFor(const std::string& folder, const std::string& language) {
    return folder + (language == "Russian" ? "/CheckNVTrue.txt" : "/CheckNVTrueEng.txt");
}

std::string Announcement::availableFileFor(const std::string& folder, const std::string& language) {
    const std::string preferred = fileFor(folder, language);
    if (platform::fileExists(preferred))
        return preferred;
    const std::string other = fileFor(folder, language == "Russian" ? "English" : "Russian");
    return platform::fileExists(other) ? other : preferred;
}

Announcement Announcement::read(const std::string& path) {
    Announcement announcement;
    if (!platform::fileExists(path))
        return announcement;
    text::LineReader reader(path, text::LineReader::Options{64 * 1024, MaxLineBytes, false});
    std::string line;
    for (std::string* field : {&announcement.version, &announcement.date, &announcement.page}) {
        if (!reader.next(line))
            return announcement;
        *field = text::decodeLine(line);
    }
    while (announcement.notes.size() < MaxNotes && reader.next(line))
        announcement.notes.push_back(text::decodeLine(line));
    return announcement;
}

} // namespace tw::update
