#pragma once

#include "job/ProgramPaths.h"

#include <string>

namespace tw::app {

// The language whose help pages the help button opens: "Russian" for Russian; otherwise the
// current language when it names a language folder with a help page, else "English" when English
// has one, else "Russian".
std::string helpLanguage(const job::ProgramPaths& paths, const std::string& currentLanguage);

// The help page of a help language: Help.htm for "Russian", else Language/<name>/Help/index.htm.
std::string helpPage(const job::ProgramPaths& paths, const std::string& helpLanguage);

} // namespace tw::app
