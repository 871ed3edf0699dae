#include "update/Announcement.h"

#include "platform/FileSystem.h"
#include "text/Encoding.h"
#include "text/LineReader.h"

namespace tw::update {

namespace {

// The window shows a few lines; a file of megabytes does not make it hang.
constexpr std::size_t MaxNotes = 1000;

} // namespace

std::string Announcement::fileFor(const std::string& folder, const std::string& language) {
    return folder + (language == "Russian" ? "/CheckNVTrue.txt" : "/CheckNVTrueEng.txt");
}

Announcement Announcement::read(const std::string& path) {
    Announcement announcement;
    if (!platform::fileExists(path))
        return announcement;
    text::LineReader reader(path);
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
