#pragma once

#include <string>
#include <vector>

namespace tw::i18n {

// The built-in language: it needs no folder and always heads the language lists.
inline constexpr const char* BuiltInLanguage = "Russian";
inline constexpr const char* BuiltInDisplayName = "Russian [Русский]";

// A language found below the program's Language folder.
struct LanguageEntry {
    std::string name;     // the folder name, also the name of its menu item
    std::string selfName; // the file's first line: the language's name for itself

    // "<name> [<selfName>]", as the language lists show it.
    std::string displayName() const;

    bool operator==(const LanguageEntry&) const = default;
};

// True for a name that can name a menu item: letters A-Z and a-z, digits and the
// underscore, not beginning with a digit.
bool isLanguageName(const std::string& name);

// The valid languages below <programFolder>/Language, sorted by name without regard to letter
// case: a folder <name> whose file <name>/<name>.txt has the marker "Tunewagon" as its second
// line. Names that are not valid identifiers are skipped, and so is a folder named like the
// built-in language, which already heads every list. A file that cannot be read is skipped.
std::vector<LanguageEntry> scanLanguages(const std::string& programFolder);

// The language to offer first at the first start, from the messages locale ("ru_RU.UTF-8"):
// the built-in language for a Russian locale, else "English" when it is among the found
// languages, else the built-in language.
std::string preferredLanguage(const std::string& locale,
                              const std::vector<LanguageEntry>& languages);

} // namespace tw::i18n
