#include "cli/CopyCommand.h"

#include "app/CopyJob.h"
#include "app/IniFile.h"
#include "app/ProgramPaths.h"
#include "app/Settings.h"
#include "cli/ExitStatus.h"
#include "cli/TerminalHost.h"
#include "i18n/LanguageFile.h"
#include "i18n/StringTable.h"
#include "platform/FileError.h"
#include "platform/Path.h"

namespace tw::cli {

namespace {

std::string withoutCr(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != '\r') {
            out += c;
        }
    }
    return out;
}

class Messages {
public:
    explicit Messages(Console& console)
        : m_console(console) {}
    void say(const std::string& text) { m_console.writeError(withoutCr(text) + "\n"); }

private:
    Console& m_console;
};

// Loads the language named on the command line, or else the one Settings.ini names.
// Returns false (after saying why) when a language named on the command line has no file.
bool loadLanguage(const CliOptions& options, const std::string& programFolder,
                  i18n::StringTable& table, Messages& messages) {
    const app::ProgramPaths paths(programFolder);
    std::string name;
    if (options.language) {
        name = *options.language;
    } else {
        name = app::Settings::read(app::IniFile(paths.settingsIni())).Language;
    }
    i18n::LanguageLoad load = i18n::LanguageLoad::NoFile;
    try {
        load = i18n::loadLanguageFile(table, programFolder, name);
    } catch (const platform::FileError& e) {
        table.resetToBuiltIn();
        messages.say("tunewagon-copy: " + std::string(e.what()));
        return !options.language;
    }
    if (options.language && load == i18n::LanguageLoad::NotMarked) {
        messages.say(
            "tunewagon-copy: not a language file (its second line is not \"Tunewagon\"): " +
            i18n::languageFilePath(programFolder, name));
        return false;
    }
    if (options.language && load != i18n::LanguageLoad::Loaded && name != "Russian") {
        messages.say("tunewagon-copy: no language file " +
                     i18n::languageFilePath(programFolder, name));
        return false;
    }
    return true;
}

} // namespace

int runCopyCommand(const CliOptions& options, const std::string& programFolder,
                   const std::string& currentFolder, Console& console, std::string& report) {
    Messages messages(console);
    i18n::StringTable table;
    if (!loadLanguage(options, programFolder, table, messages)) {
        return exitRefused;
    }

    const platform::Path here(currentFolder);
    const platform::Path playlistPath = absolutePath(platform::Path(options.playlist), here);
    const platform::Path destination = absolutePath(platform::Path(options.destination), here);

    app::CopyJob job(table);
    job.options() = options.copy;

    const app::CopyJob::Destination chosen = job.chooseDestination(destination);
    if (chosen != app::CopyJob::Destination::Ready) {
        messages.say(job.destinationMessage(chosen));
        return exitRefused;
    }

    const playlist::ScanResult scan = job.scanPlaylist(
        playlistPath, [&console](std::uint64_t) { return console.interrupts() == 0; });
    switch (scan.outcome) {
    case playlist::ScanResult::Outcome::Failed:
        messages.say(table.StrFileError + " " + playlistPath.str() +
                     (scan.reason.empty() ? "" : ": " + scan.reason));
        return exitRefused;
    case playlist::ScanResult::Outcome::Cancelled:
        return exitCancelled;
    case playlist::ScanResult::Outcome::Completed:
        break;
    }
    if (scan.count == 0) {
        messages.say(table.StrNoFiles);
        return exitRefused;
    }

    const app::LaunchDecision launch = job.launchRule();
    if (launch.message != app::LaunchDecision::Message::None) {
        messages.say(launch.text);
    }
    if (!launch.enabled) {
        return exitRefused;
    }

    const CollisionMode mode = options.onCollision.value_or(
        console.interactive() ? CollisionMode::Ask : CollisionMode::Skip);
    TerminalHost host(console, mode, !options.quiet, table);
    const copy::CopyPlayList::End end = job.run(host, host, host);
    host.finish();
    if (end == copy::CopyPlayList::End::Failed) {
        messages.say("tunewagon-copy: " + job.failureReason());
    }

    report += withoutCr(job.report("\n"));
    return exitStatusFor(end == copy::CopyPlayList::End::Cancelled || job.cancelled(),
                         end == copy::CopyPlayList::End::Failed, job.counters());
}

} // namespace tw::cli
