#include "i18n/LanguageScan.h"

#include "i18n/LanguageFile.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "text/Encoding.h"
#include "text/LineReader.h"

#include <algorithm>
#include <optional>

namespace tw::i18n {

namespace {

constexpr const char* kMarker = "Tunewagon";

// A language file is a few kilobytes; anything this large is not one, and reading its first
// line could take all the memory there is.
constexpr std::int64_t kLargestLanguageFile = 16 * 1024 * 1024;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letter case aside first, as a file manager lists names; the exact bytes settle ties.
bool byName(const LanguageEntry& a, const LanguageEntry& b) {
    const auto lessFolded = [](char x, char y) { return lower(x) < lower(y); };
    if (std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                     lessFolded))
        return true;
    if (std::lexicographical_compare(b.name.begin(), b.name.end(), a.name.begin(), a.name.end(),
                                     lessFolded))
        return false;
    return a.name < b.name;
}

// The language's own name when the file carries the marker.
std::optional<std::string> markedSelfName(const std::string& path) {
    const std::int64_t size = platform::regularFileSize(path);
    if (size < 0 || size > kLargestLanguageFile)
        return std::nullopt;
    try {
        text::LineReader reader(path);
        std::string selfName;
        std::string marker;
        reader.next(selfName);
        if (!reader.next(marker) || marker != kMarker)
            return std::nullopt;
        return text::decodeLine(selfName);
    } catch (const platform::FileError&) {
        return std::nullopt;
    }
}

} // namespace

std::string LanguageEntry::displayName() const {
    return name + " [" + selfName + "]";
}

bool isLanguageName(const std::string& name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

std::vector<LanguageEntry> scanLanguages(const std::string& programFolder) {
    std::vector<LanguageEntry> languages;
    for (const std::string& name : platform::folderEntries(programFolder + "/Language")) {
        if (!isLanguageName(name) || name == BuiltInLanguage)
            continue;
        if (auto selfName = markedSelfName(languageFilePath(programFolder, name)))
            languages.push_back({name, std::move(*selfName)});
    }
    std::sort(languages.begin(), languages.end(), byName);
    return languages;
}

std::string preferredLanguage(const std::string& locale,
                              const std::vector<LanguageEntry>& languages) {
    if (locale.rfind("ru", 0) == 0)
        return BuiltInLanguage;
    const bool hasEnglish = std::any_of(languages.begin(), languages.end(),
                                        [](const LanguageEntry& l) { return l.name == "English"; });
    return hasEnglish ? "English" : BuiltInLanguage;
}

} // namespace tw::i18n
