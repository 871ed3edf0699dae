#include "i18n/LanguageFile.h"

#include "platform/FileSystem.h"
#include "text/Encoding.h"
#include "text/LineReader.h"

namespace tw::i18n {
namespace {

constexpr const char* kMarker = "Tunewagon";
constexpr int kFirstEntryLine = 3;
constexpr int kLastEntryLine = 102;

// A language name comes from Settings.ini or the menu; it must stay one folder below
// "Language" and never reach out of it.
bool isFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

} // namespace

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
    if (!isFolderName(name))
        return LanguageLoad::NoFile;
    const std::string path = languageFilePath(programFolder, name);
    if (!platform::fileExists(path))
        return LanguageLoad::NoFile;

    text::LineReader reader(path);
    std::string line;
    reader.next(line); // the language's own name, shown only in the language lists
    if (!reader.next(line) || line != kMarker)
        return LanguageLoad::NotMarked;
    for (int number = kFirstEntryLine; number <= kLastEntryLine && reader.next(line); ++number) {
        table.applyLine(number, text::decodeLine(line));
        tell(number);
    }
    table.padReportEntries();
    return LanguageLoad::Loaded;
}

} // namespace tw::i18n
