#include "checker/FreshpollRun.h"

#include "checker/CheckerSettings.h"
#include "checker/WebAccess.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace tw::checker {

namespace {

// Creates the file (empty) first, then fetches and writes its content: a failed fetch leaves
// it empty. One line end follows the content.
void writeFetched(const std::string& path, const std::string& address, const Timeouts& timeouts) {
    platform::OutputFile file(path, platform::OutputFile::Mode::Truncate);
    const std::string content = contentFetch(address, timeouts);
    file.write(content);
    file.write("\n");
    file.close();
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

    if (existenceProbe(settings.russianAddress(), settings.timeouts)) {
        writeFetched(in(CheckNVTrue), settings.russianAddress(), settings.timeouts);
        writeFetched(in(CheckNVTrueEng), settings.englishAddress(), settings.timeouts);
    } else {
        writeEmpty(in(CheckNVFalse));
    }
    writeEmpty(in(CheckReady));
}

} // namespace tw::checker
