#include "checker/FreshpollRun.h"

#include "checker/CheckerFailure.h"
#include "checker/CheckerSettings.h"
#include "checker/WebAccess.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <utility>

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
    runCheck(folder + "/Settings.ini", folder);
}

void runCheck(const std::string& settingsFile, const std::string& answerFolder) {
    const auto in = [&answerFolder](const char* name) { return answerFolder + "/" + name; };

    const CheckerSettings settings = CheckerSettings::read(settingsFile);

    for (const char* old : {CheckNVFalse, CheckNVTrue, CheckNVTrueEng, CheckReady})
        platform::deleteFile(in(old));
    for (const char* old : {CheckNVTrue, CheckNVTrueEng})
        platform::deleteFile(in(old) + ".part");

    // Each variant that arrived whole is written; one that did not is left out, and the
    // main program shows the other. The check always ends with CheckReady, and with
    // CheckNVFalse when no announcement arrived.
    bool announced = false;
    if (existenceProbe(settings.russianAddress(), settings.timeouts)) {
        for (const auto& [address, name] : {std::pair{settings.englishAddress(), CheckNVTrueEng},
                                            std::pair{settings.russianAddress(), CheckNVTrue}}) {
            try {
                writeWhole(in(name), contentFetch(address, settings.timeouts));
                announced = true;
            } catch (const CheckerFailure&) {
                // Not there, or not an announcement: this variant is left out.
            }
        }
    }
    if (!announced)
        writeEmpty(in(CheckNVFalse));
    writeEmpty(in(CheckReady));
}

} // namespace tw::checker
