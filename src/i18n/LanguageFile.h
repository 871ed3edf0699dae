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

// A language name (from Settings.ini or the menu) that stays one folder below "Language":
// not empty, not "." or "..", and without "/", "\\" or a NUL byte.
bool isLanguageFolderName(const std::string& name);

// The language file of a language: <programFolder>/Language/<name>/<name>.txt.
std::string languageFilePath(const std::string& programFolder, const std::string& name);

// Sets CurrentLanguage, resets to built-in texts, reads <programFolder>/Language/<name>/<name>.txt
// (line 2 must be "Tunewagon"), applies lines 3..114, pads the report entries.
// A name that is empty, "." or "..", or holds a path separator names no language folder
// and loads no file.
// A line longer than 4096 bytes leaves its entry at the built-in text; the filter's
// descriptions and the error caption are cut to 60 characters and other texts to 1000 (the
// windows shorten their captions to the screen themselves).
// Throws platform::FileError when the file exists but cannot be read (or is no regular file);
// the entries applied until then stay.
// applied, when given, is called with 0 once the table holds its built-in texts and then
// with the number of each line right after that line has been applied.
LanguageLoad loadLanguageFile(StringTable& table, const std::string& programFolder,
                              const std::string& name,
                              const std::function<void(int line)>& applied = {});

} // namespace tw::i18n
