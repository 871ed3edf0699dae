#include "cli/CopyCommand.h"

#include "app/CopyReport.h"
#include "app/IniFile.h"
#include "app/LaunchRule.h"
#include "app/ProgramPaths.h"
#include "app/Settings.h"
#include "cli/ExitStatus.h"
#include "cli/TerminalHost.h"
#include "copy/CopyRun.h"
#include "i18n/LanguageFile.h"
#include "i18n/StringTable.h"
#include "platform/Drives.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "playlist/ListScan.h"

#include <exception>
#include <filesystem>

namespace tw::cli {

namespace {

// An operand as an absolute path with "." and ".." resolved and no trailing separator
// (the root stays "/").
std::string absolutePath(const std::string& operand, const std::string& currentFolder) {
    std::filesystem::path p(platform::systemPath(operand));
    if (p.is_relative()) {
        p = std::filesystem::path(currentFolder) / p;
    }
    std::string text = p.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

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
    i18n::StringTable& table = i18n::strings();
    if (!loadLanguage(options, programFolder, table, messages)) {
        return exitRefused;
    }

    const std::string playlistPath = absolutePath(options.playlist, currentFolder);
    const std::string destination = absolutePath(options.destination, currentFolder);

    if (!platform::folderExists(destination)) {
        messages.say(table.StrBadFolder);
        return exitRefused;
    }
    if (!platform::isLocalDrive(destination)) {
        messages.say(table.StrLocalOnly);
        return exitRefused;
    }

    const playlist::ScanResult scan =
        playlist::scanPlaylist(playlistPath, options.onlyMp3,
                               [&console](std::uint64_t) { return console.interrupts() == 0; });
    switch (scan.outcome) {
    case playlist::ScanResult::Outcome::Failed:
        messages.say(table.StrFileError + " " + playlistPath +
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

    const std::int64_t free = platform::freeBytes(destination);
    const std::int64_t freeKB = free < 0 ? 0 : free / 1024;
    const app::LaunchDecision launch =
        app::CheckLaunch(true, true, options.asManyAsFit, scan.count, scan.sizeKB, freeKB, table);
    if (launch.message != app::LaunchDecision::Message::None) {
        messages.say(launch.text);
    }
    if (!launch.enabled) {
        return exitRefused;
    }

    copy::RunSetup setup;
    setup.playlistPath = playlistPath;
    setup.playlistField = playlistPath;
    setup.destinationField = destination;
    setup.keepStructure = !options.flat;
    setup.transliterate = options.translit;
    setup.onlyMp3 = options.onlyMp3;
    setup.listSizeKB = scan.sizeKB;

    const CollisionMode mode = options.onCollision.value_or(
        console.interactive() ? CollisionMode::Ask : CollisionMode::Skip);
    TerminalHost host(console, mode, !options.quiet, table);
    copy::CopyPlayList run(setup, host);
    copy::CopyPlayList::End end = copy::CopyPlayList::End::Failed;
    std::string failure;
    try {
        end = run.run();
        failure = run.failureReason();
    } catch (const std::exception& e) {
        // The run's own failure could not even be written to the debug log; the counters
        // still tell what was done.
        failure = e.what();
    }
    host.finish();
    if (end == copy::CopyPlayList::End::Failed) {
        messages.say("tunewagon-copy: " + failure);
    }

    report += withoutCr(app::buildCopyReport(run.counters(), table, "\n"));
    return exitStatusFor(end == copy::CopyPlayList::End::Cancelled,
                         end == copy::CopyPlayList::End::Failed, run.counters());
}

} // namespace tw::cli
