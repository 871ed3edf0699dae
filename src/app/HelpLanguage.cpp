#include "app/HelpLanguage.h"

#include "i18n/LoadLanguage.h"

namespace tw::app {

std::string helpLanguage(const job::ProgramPaths& paths, const std::string& currentLanguage) {
    return i18n::helpLanguage(paths.folder(), currentLanguage);
}

std::string helpPage(const job::ProgramPaths& paths, const std::string& helpLanguage) {
    return helpLanguage == "Russian" ? paths.russianHelp() : paths.languageHelp(helpLanguage);
}

} // namespace tw::app
