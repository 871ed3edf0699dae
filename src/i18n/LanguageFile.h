#pragma once

#include "i18n/StringTable.h"

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
// (line 2 must be "Tunewagon"), applies lines 3..99, pads the report entries.
// A name that is empty, "." or "..", or holds a path separator names no language folder
// and loads no file.
// Throws platform::FileError when the file exists but cannot be read; the entries applied
// until then stay.
LanguageLoad loadLanguageFile(StringTable& table, const std::string& programFolder,
                              const std::string& name);

} // namespace tw::i18n
