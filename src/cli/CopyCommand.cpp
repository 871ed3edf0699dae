#include "cli/CopyCommand.h"

#include "cli/DriveEject.h"
#include "cli/ExitStatus.h"
#include "cli/TerminalHost.h"
#include "i18n/LanguageFile.h"
#include "i18n/LanguageScan.h"
#include "i18n/StringTable.h"
#include "job/CopyJob.h"
#include "job/IniFile.h"
#include "job/ProgramPaths.h"
#include "job/Settings.h"
#include "platform/Drives.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/Path.h"
#include "platform/SystemInfo.h"
#include "playlist/PlaylistSource.h"
#include "text/ControlEscape.h"

#include <optional>
#include <vector>

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
    // Names in the text reach the terminal with their control characters escaped.
    void say(const std::string& text) {
        m_console.writeError(text::escapeControls(withoutCr(text), true) + "\n");
    }

private:
    Console& m_console;
};

// The language of the user's locale, chosen as the first-start window chooses it.
std::string localeLanguage(const std::string& programFolder) {
    return i18n::preferredLanguage(platform::messagesLocale(), i18n::scanLanguages(programFolder));
}

// Loads the language named on the command line, or else the one Settings.ini names, or else
// the locale's. Returns false (after saying why) when a language named on the command line
// has no file.
bool loadLanguage(const CliOptions& options, const job::ProgramPaths& paths,
                  i18n::StringTable& table, Messages& messages) {
    const std::string& programFolder = paths.folder();
    std::string name;
    if (options.language) {
        name = *options.language;
    } else if (job::IniFile ini(paths.settingsIni());
               !ini.readString("Settings", "Language", "").empty()) {
        name = job::Settings::read(ini).Language;
    } else {
        name = localeLanguage(programFolder);
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

// Opens one playlist of the run; nothing (after saying why) when it cannot be read. A pipe,
// a FIFO or standard input gives its bytes once: they are read into memory here, and the
// scan and the run both read that copy. Relative entries of standard input (and of
// /dev/stdin and the like) are found in the current folder.
std::optional<copy::RunPlaylist> openPlaylist(const platform::Path& playlistPath,
                                              const platform::Path& here,
                                              const i18n::StringTable& table, Messages& messages) {
    copy::RunPlaylist list;
    try {
        list.source = playlist::PlaylistSource::load(playlistPath.str());
    } catch (const playlist::PlaylistTooLarge& e) {
        messages.say("tunewagon-copy: " + std::string(e.what()));
        return std::nullopt;
    } catch (const platform::FileError& e) {
        messages.say(table.StrFileError + " " + playlistPath.str() + ": " + e.what());
        return std::nullopt;
    }
    const bool nameless = playlistPath.str() == "-" || playlistPath.str().starts_with("/dev/") ||
                          playlistPath.str().starts_with("/proc/");
    list.field = nameless ? (here / "-").str() : playlistPath.str();
    return list;
}

// Every playlist is read and scanned before anything is copied: one that cannot be read or
// holds no file refuses the whole run, and among several is named. Returns 0 when the run
// may go on, else the exit status.
int scanPlaylists(const std::vector<std::string>& operands, const platform::Path& here,
                  job::CopyJob& job, const i18n::StringTable& table, Console& console,
                  Messages& messages) {
    std::vector<platform::Path> paths;
    std::vector<copy::RunPlaylist> lists;
    for (const std::string& operand : operands) {
        paths.push_back(operand == "-" ? platform::Path("-")
                                       : absolutePath(platform::Path(operand), here));
        std::optional<copy::RunPlaylist> list = openPlaylist(paths.back(), here, table, messages);
        if (!list) {
            return exitRefused;
        }
        lists.push_back(std::move(*list));
    }
    const std::vector<playlist::ScanResult> scans =
        job.scanPlaylists(lists, [&console](std::uint64_t) { return console.interrupts() == 0; });
    const playlist::ScanResult& scan = scans.back();
    const std::string& last = paths[scans.size() - 1].str();
    switch (scan.outcome) {
    case playlist::ScanResult::Outcome::Failed:
        messages.say(table.StrFileError + " " + last +
                     (scan.reason.empty() ? "" : ": " + scan.reason));
        return exitRefused;
    case playlist::ScanResult::Outcome::Cancelled:
        return exitCancelled;
    case playlist::ScanResult::Outcome::Completed:
        break;
    }
    if (scan.count == 0) {
        messages.say(table.StrNoFiles);
        if (lists.size() > 1) {
            messages.say("tunewagon-copy: " + last + ": none of the files it names can be copied");
        }
        return exitRefused;
    }
    return 0;
}

} // namespace

int runCopyCommand(const CliOptions& options, const std::string& programFolder,
                   const std::string& currentFolder, Console& console, std::string& report) {
    return runCopyCommand(options, job::ProgramPaths(programFolder), currentFolder, console,
                          report);
}

int runCopyCommand(const CliOptions& options, const job::ProgramPaths& paths,
                   const std::string& currentFolder, Console& console, std::string& report) {
    Messages messages(console);
    i18n::StringTable table;
    if (!loadLanguage(options, paths, table, messages)) {
        return exitRefused;
    }

    const platform::Path here(currentFolder);
    const platform::Path destination = absolutePath(platform::Path(options.destination), here);

    job::CopyJob job(table);
    job.options() = options.copy;

    const job::CopyJob::Destination chosen = job.chooseDestination(destination);
    if (chosen != job::CopyJob::Destination::Ready) {
        messages.say(job.destinationMessage(chosen));
        if (chosen == job::CopyJob::Destination::NotLocal) {
            const std::string type = platform::fileSystemTypeOf(destination);
            messages.say("tunewagon-copy: " + destination.str() + ": not on a local drive" +
                         (type.empty() ? "" : " (" + type + ")"));
        } else {
            messages.say(
                "tunewagon-copy: " + destination.str() +
                (platform::fileExists(destination) ? ": not a folder" : ": no such folder"));
        }
        return exitRefused;
    }

    if (const int refused = scanPlaylists(options.playlists, here, job, table, console, messages);
        refused != 0) {
        return refused;
    }

    const job::LaunchDecision launch = job.launchRule();
    if (launch.message != job::LaunchDecision::Message::None) {
        messages.say(launch.text);
    }
    if (!launch.enabled) {
        return exitRefused;
    }

    const CollisionMode mode = options.onCollision.value_or(
        console.interactive() ? CollisionMode::Ask : CollisionMode::Skip);
    TerminalHost host(console, mode, !options.quiet, table);
    const copy::CopyRun::End end = job.run(host, host, host);
    host.finish();
    if (end == copy::CopyRun::End::Failed) {
        messages.say("tunewagon-copy: " + job.failureReason());
    }

    report += withoutCr(job.report("\n"));
    int status = exitStatusFor(end == copy::CopyRun::End::Cancelled || job.cancelled(),
                               end == copy::CopyRun::End::Failed, job.counters());
    if (options.eject && end != copy::CopyRun::End::Failed) {
        const EjectResult ejected = ejectDriveHolding(destination.str());
        const std::string where =
            ejected.mountPoint.empty() ? destination.str() : ejected.mountPoint;
        const std::string why = ejected.reason.empty() ? "" : " (" + ejected.reason + ")";
        switch (ejected.kind) {
        case EjectResult::Kind::Removed:
            report += table.StrDriveRemoved + " " + where + "\n";
            break;
        case EjectResult::Kind::Busy:
            messages.say(table.StrDriveBusy + " " + where + why);
            break;
        case EjectResult::Kind::NotRemovable:
            messages.say(table.StrRemoveFailed + " " + where + ": not on a removable drive");
            break;
        case EjectResult::Kind::Failed:
        case EjectResult::Kind::Unavailable:
            messages.say(table.StrRemoveFailed + " " + where + why);
            break;
        }
        if (ejected.kind != EjectResult::Kind::Removed && status == exitCopied)
            status = exitIncomplete;
    }
    return status;
}

} // namespace tw::cli
