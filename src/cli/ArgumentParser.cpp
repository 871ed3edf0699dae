#include "cli/ArgumentParser.h"

#include "copy/DestinationPlaylist.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace tw::cli {

namespace {

std::optional<CollisionMode> collisionModeOf(std::string_view text) {
    if (text == "ask") {
        return CollisionMode::Ask;
    }
    if (text == "replace") {
        return CollisionMode::Replace;
    }
    if (text == "skip") {
        return CollisionMode::Skip;
    }
    if (text == "auto-rename") {
        return CollisionMode::AutoRename;
    }
    return std::nullopt;
}

ParsedArguments failure(std::string problem) {
    ParsedArguments p;
    p.action = ParsedArguments::Action::Error;
    p.problem = std::move(problem);
    return p;
}

} // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args) {
    ParsedArguments result;
    CliOptions& o = result.options;
    std::vector<std::string> operands;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;

    for (const std::string& arg : args) {
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
                return failure("unknown option '" + arg + "'");
            }
            operands.push_back(arg);
            continue;
        }
        const std::string_view a(arg);
        if (a == "--") {
            optionsEnded = true;
        } else if (a == "--flat") {
            o.copy.keepStructure = false;
        } else if (a == "--translit") {
            o.copy.transliterate = true;
        } else if (a == "--only-mp3") {
            o.copy.onlyMp3 = true;
        } else if (a == "--as-many-as-fit") {
            o.copy.asManyAsFit = true;
        } else if (a == "--skip-same") {
            o.copy.skipSame = true;
        } else if (a == "--number") {
            o.copy.number = true;
        } else if (a == "--write-playlist") {
            o.copy.writePlaylist = true;
        } else if (a.starts_with("--write-playlist=")) {
            const std::string name(a.substr(std::string_view("--write-playlist=").size()));
            if (!copy::playlistNameAcceptable(name)) {
                return failure("--write-playlist takes a file name in the destination folder, "
                               "not '" +
                               name + "'");
            }
            o.copy.writePlaylist = true;
            o.copy.playlistName = name;
        } else if (a == "--eject") {
            o.eject = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--help") {
            help = true;
        } else if (a == "--version") {
            version = true;
        } else if (a.starts_with("--on-collision=")) {
            const auto mode = collisionModeOf(a.substr(std::string_view("--on-collision=").size()));
            if (!mode) {
                return failure("--on-collision takes ask, replace, skip or auto-rename, not '" +
                               std::string(a.substr(15)) + "'");
            }
            o.onCollision = mode;
        } else if (a.starts_with("--language=")) {
            const std::string name(a.substr(std::string_view("--language=").size()));
            if (name.empty() || name.find('/') != std::string::npos ||
                name.find('\\') != std::string::npos || name == "." || name == "..") {
                return failure("--language takes the name of a language folder, not '" + name +
                               "'");
            }
            o.language = name;
        } else {
            return failure("unknown option '" + arg + "'");
        }
    }

    if (help) {
        result.action = ParsedArguments::Action::Help;
        return result;
    }
    if (version) {
        result.action = ParsedArguments::Action::Version;
        return result;
    }
    if (operands.size() < 2) {
        return failure(operands.empty() ? "missing PLAYLIST and DESTINATION"
                                        : "missing DESTINATION");
    }
    for (const std::string& operand : operands) {
        if (operand.empty()) {
            return failure("PLAYLIST and DESTINATION must not be empty");
        }
    }
    o.destination = operands.back();
    operands.pop_back();
    // Standard input gives its bytes once.
    if (std::count(operands.begin(), operands.end(), "-") > 1) {
        return failure("standard input (\"-\") may be only one of the playlists");
    }
    // One name cannot serve several playlists; each is named after its source instead.
    if (operands.size() > 1 && !o.copy.playlistName.empty()) {
        return failure("--write-playlist=NAME takes one playlist; with several, "
                       "--write-playlist names each after its source");
    }
    o.playlists = std::move(operands);
    result.action = ParsedArguments::Action::Run;
    return result;
}

std::string usageText() {
    return "tunewagon-copy [OPTIONS] PLAYLIST... DESTINATION\n"
           "  --flat                 do not keep the source folder structure (kept by default, "
           "as in the window)\n"
           "  --translit             transliterate Cyrillic file names\n"
           "  --only-mp3             take only \".mp3\" files\n"
           "  --as-many-as-fit       start even when the listed files do not fit the free space\n"
           "  --skip-same            leave a target of the source's size and last-write time "
           "as it is (identical)\n"
           "  --number               start each copied file's name with its place in the run, "
           "zero-padded\n"
           "                         to the digits of the file count (\"007 - Song.mp3\"), for "
           "players that\n"
           "                         play a folder by name\n"
           "  --write-playlist[=NAME]  write an M3U8 playlist of the copied files into "
           "DESTINATION (default\n"
           "                         NAME: the playlist's base name + \".m3u8\"); with several "
           "playlists, one\n"
           "                         for each, named after its own (=NAME is refused), a name "
           "two share numbered\n"
           "  --on-collision=MODE    ask | replace | skip | auto-rename   (default: ask on a "
           "terminal, skip otherwise)\n"
           "  --language=NAME        messages and report in this language (default: the "
           "Language key of the\n"
           "                         program folder's Settings.ini; when there is none, the "
           "locale's:\n"
           "                         built-in Russian for a Russian locale, else English)\n"
           "  --eject                after the run, unmount and switch off the removable drive "
           "DESTINATION is on\n"
           "                         (through UDisks2), as the desktop's \"Safely remove\" does\n"
           "  --quiet                no progress bar, and no line for each missing entry or "
           "failed copy\n"
           "  --help, --version\n"
           "A playlist may be \"-\" (standard input) or a pipe; it is read once.\n"
           "Several playlists are copied in the order given as one run: one report; an "
           "answer \"for all\n"
           "the rest\" at a collision holds for the later ones too; a file two of them name "
           "is copied once.\n"
           "Exit status: 0 all copied, 1 some copies failed or entries were missing (or --eject "
           "could\n"
           "not take the drive out), 2 refused,\n"
           "130 cancelled with Ctrl-C or stopped at a question (also by the end of the input).\n";
}

std::string versionText() {
    return "Tunewagon 1.1.0.lang\n";
}

} // namespace tw::cli
