#include "i18n/LanguageFile.h"

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "text/Encoding.h"
#include "text/LineReader.h"

#include <cstddef>

namespace tw::i18n {
namespace {

constexpr const char* kMarker = "Tunewagon";
constexpr int kFirstEntryLine = 3;
constexpr int kLastEntryLine = 114;

// A line longer than this is not a text of the program: it is cut when read and its entry
// keeps its built-in text.
constexpr std::size_t kMaxLineBytes = 4096;
// The open dialog's filter descriptions and the error window's caption are shown by windows
// that cannot shorten them, so they stay short; every other text (captions the windows
// shorten themselves, messages that wrap) is kept within a size a message box can show.
constexpr std::size_t kMaxCaptionCharacters = 60;
constexpr std::size_t kMaxMessageCharacters = 1000;

bool isCaptionLine(int number) {
    return number == 20 || number == 21 || number == 77;
}

// The first maxCharacters characters of a UTF-8 text.
std::string firstCharacters(const std::string& text, std::size_t maxCharacters) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (characters == maxCharacters)
            return text.substr(0, i);
        ++characters;
    }
    return text;
}

} // namespace

bool isLanguageFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string languageFilePath(const std::string& programFolder, const std::string& name) {
    return programFolder + "/Language/" + name + "/" + name + ".txt";
}

LanguageLoad loadLanguageFile(StringTable& table, const std::string& programFolder,
                              const std::string& name,
                              const std::function<void(int line)>& applied) {
    const auto tell = [&applied](int line) {
        if (applied)
            applied(line);
    };
    table.CurrentLanguage = name;
    table.resetToBuiltIn();
    tell(0);
    if (!isLanguageFolderName(name))
        return LanguageLoad::NoFile;
    const std::string path = languageFilePath(programFolder, name);
    if (!platform::fileExists(path))
        return LanguageLoad::NoFile;

    // Opened as a regular file only: a FIFO put there in the meantime must not hang the load.
    text::LineReader::Options options;
    options.maxLineBytes = kMaxLineBytes;
    text::LineReader reader(platform::InputFile(path, platform::OpenRules{true, true}), options);
    std::string line;
    reader.next(line); // the language's own name, shown only in the language lists
    if (!reader.next(line) || line != kMarker)
        return LanguageLoad::NotMarked;
    for (int number = kFirstEntryLine; number <= kLastEntryLine && reader.next(line); ++number) {
        if (reader.lastLineCut())
            continue;
        table.applyLine(number, firstCharacters(text::decodeLine(line),
                                                isCaptionLine(number) ? kMaxCaptionCharacters
                                                                      : kMaxMessageCharacters));
        tell(number);
    }
    table.padReportEntries();
    return LanguageLoad::Loaded;
}

} // namespace tw::i18n
