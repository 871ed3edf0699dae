#include "checker/FreshpollRun.h"

#include "checker/CheckerFailure.h"
#include "checker/CheckerSettings.h"
#include "checker/WebAccess.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace tw::checker {

namespace {

// Writes the content and one line end under a scratch name, then gives the file its real
// name: a check that fails or is killed half-way never leaves a partial announcement that
// the main program would show at every start.
void writeWhole(const std::string& path, const std::string& content) {
    const std::string scratch = path + ".part";
    platform::OutputFile file(scratch, platform::OutputFile::Mode::Truncate);
    file.write(content);
    file.write("\n");
    file.close();
    if (!platform::moveFile(scratch, path)) {
        platform::deleteFile(scratch);
        throw CheckerFailure("cannot create \"" + path + "\"");
    }
}

void writeEmpty(const std::string& path) {
    platform::OutputFile file(path, platform::OutputFile::Mode::Truncate);
    file.close();
}

} // namespace

void runCheck(const std::string& folder) {
    const auto in = [&folder](const char* name) { return folder + "/" + name; };

    const CheckerSettings settings = CheckerSettings::read(in("Settings.ini"));

    for (const char* old : {CheckNVFalse, CheckNVTrue, CheckNVTrueEng, CheckReady})
        platform::deleteFile(in(old));
    for (const char* old : {CheckNVTrue, CheckNVTrueEng})
        platform::deleteFile(in(old) + ".part");

    if (existenceProbe(settings.russianAddress(), settings.timeouts)) {
        // Both variants are fetched before either file is written; the Russian one, which
        // the main program looks for, appears last.
        const std::string russian = contentFetch(settings.russianAddress(), settings.timeouts);
        const std::string english = contentFetch(settings.englishAddress(), settings.timeouts);
        writeWhole(in(CheckNVTrueEng), english);
        writeWhole(in(CheckNVTrue), russian);
    } else {
        writeEmpty(in(CheckNVFalse));
    }
    writeEmpty(in(CheckReady));
}

} // namespace tw::checker
