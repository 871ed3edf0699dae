#include "app/HelpLanguage.h"

#include "i18n/LanguageFile.h"
#include "platform/FileSystem.h"

namespace tw::app {

namespace {
const std::string russian = "Russian";
const std::string english = "English";
} // namespace

std::string helpLanguage(const ProgramPaths& paths, const std::string& currentLanguage) {
    if (currentLanguage == russian)
        return russian;
    // A name that would leave the Language folder names no help page of its own.
    if (i18n::isLanguageFolderName(currentLanguage) &&
        platform::fileExists(paths.languageHelp(currentLanguage)))
        return currentLanguage;
    if (platform::fileExists(paths.languageHelp(english)))
        return english;
    return russian;
}

std::string helpPage(const ProgramPaths& paths, const std::string& helpLanguage) {
    return helpLanguage == russian ? paths.russianHelp() : paths.languageHelp(helpLanguage);
}

} // namespace tw::app
