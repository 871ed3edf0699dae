#pragma once

#include "i18n/StringTable.h"

#include <functional>
#include <string>

namespace tw::i18n {

enum class LanguageLoad {
    NoFile,    // no language file of that name: the built-in texts stay
    NotMarked, // the file's second line is not the marker: the built-in texts stay
    Loaded     // the file's lines were applied
};

// The language file of a language: <programFolder>/Language/<name>/<name>.txt.
std::string languageFilePath(const std::string& programFolder, const std::string& name);

// Sets CurrentLanguage, resets to built-in texts, reads <programFolder>/Language/<name>/<name>.txt
// (line 2 must be "Tunewagon"), applies lines 3..99, pads the report entries.
// A name that is empty, "." or "..", or holds a path separator names no language folder
// and loads no file.
// Throws platform::FileError when the file exists but cannot be read; the entries applied
// until then stay.
// applied, when given, is called with 0 once the table holds its built-in texts and then
// with the number of each line right after that line has been applied.
LanguageLoad loadLanguageFile(StringTable& table, const std::string& programFolder,
                              const std::string& name,
                              const std::function<void(int line)>& applied = {});

} // namespace tw::i18n
