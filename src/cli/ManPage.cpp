#include "cli/ManPage.h"

#include <cstddef>
#include <sstream>
#include <string_view>

namespace tw::cli {

namespace {

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \r\n");
    return std::string(s.substr(first, last - first + 1));
}

// Text safe inside a man page line: a backslash is printed with \e, a hyphen as \- (so
// options can be searched and copied), and a line may not start with a request character.
std::string roff(std::string_view text) {
    std::string out;
    if (!text.empty() && (text.front() == '.' || text.front() == '\'')) {
        out += "\\&";
    }
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    return out;
}

// The synopsis line of the usage text: "tunewagon-copy [OPTIONS] PLAYLIST DESTINATION".
std::string synopsis(const std::string& usage) {
    const std::string first = usage.substr(0, usage.find('\n'));
    const auto blank = first.find(' ');
    std::string out = ".B " + roff(first.substr(0, blank)) + "\n";
    if (blank != std::string::npos) {
        out += roff(trimmed(first.substr(blank))) + "\n";
    }
    return out;
}

} // namespace

std::vector<UsageOption> usageOptions(const std::string& usage) {
    std::vector<UsageOption> options;
    std::size_t optionIndent = 0;
    std::istringstream lines(usage);
    std::string line;
    while (std::getline(lines, line)) {
        const auto indent = line.find_first_not_of(' ');
        if (indent == std::string::npos || indent == 0) {
            continue;
        }
        const std::string_view rest = std::string_view(line).substr(indent);
        if (rest.starts_with("--")) {
            optionIndent = indent;
            const auto gap = rest.find("  ");
            UsageOption o;
            o.names = trimmed(rest.substr(0, gap));
            if (gap != std::string_view::npos) {
                o.description = trimmed(rest.substr(gap));
            }
            options.push_back(std::move(o));
        } else if (!options.empty() && indent > optionIndent && !rest.starts_with("-")) {
            std::string& d = options.back().description;
            d += d.empty() ? "" : " ";
            d += trimmed(rest);
        }
    }
    return options;
}

std::string manPage(const std::string& usage, const std::string& version) {
    std::string page;
    page += ".TH TUNEWAGON\\-COPY 1 \"\" \"" + roff(trimmed(version)) + "\" \"User Commands\"\n";
    page += ".SH NAME\ntunewagon\\-copy \\- copy the files of a music playlist into one folder\n";
    page += ".SH SYNOPSIS\n" + synopsis(usage);
    page += ".SH DESCRIPTION\n"
            ".B tunewagon\\-copy\n"
            "reads the M3U, M3U8, PLS, XSPF or WPL playlist\n"
            ".I PLAYLIST\n"
            "and copies every file it names that exists into the folder\n"
            ".IR DESTINATION ,\n"
            "which must lie on a local fixed or removable drive.\n"
            "Several playlists are copied in the order given, as one run: all of them are\n"
            "scanned first, and one that cannot be read or names no file refuses the run\n"
            "before anything is copied. The run gives one report, an answer for all the\n"
            "rest at a collision holds for the later playlists too, and a file an earlier\n"
            "playlist copied is not copied again. With\n"
            ".B \\-\\-write\\-playlist\n"
            "each playlist gets its own, named after it; a name two of them share is\n"
            "numbered for the later one.\n"
            "It takes the same steps as the Tunewagon window: it counts the listed files and\n"
            "their size, compares them with the free space of the destination drive, copies,\n"
            "settles name collisions and prints the copy report.\n"
            ".PP\n"
            "XSPF and WPL playlists are told by their content, whatever their extension.\n"
            ".PP\n"
            "Every file is copied without a name in its target folder or, where the file\n"
            "system cannot do that (FAT, exFAT), under a hidden temporary name in the run's\n"
            "hidden folder .tunewagon\\-work\\-* in\n"
            ".IR DESTINATION ,\n"
            "and takes its name once its data are on the device, so an\n"
            "interrupted copy never leaves a partial file under a real name.\n"
            "Ctrl\\-C, SIGTERM or SIGHUP cancel the run and remove the current temporary file.\n"
            ".PP\n"
            "The files of each folder are entered into it in the order of the playlist, after\n"
            "those already there, so a player that plays a FAT or exFAT folder in the order\n"
            "of its entries plays the playlist's order. Files already there keep their places;\n"
            "space freed earlier in the folder may still take a new file ahead of its turn.\n"
            ".PP\n"
            "Relative entries are found against the playlist's folder; entries written on\n"
            "Windows (with backslashes, or relative to the drive) and file:// addresses are\n"
            "understood.\n"
            ".PP\n"
            "With\n.BR \\-\\-number ,\n"
            "each copied file's name starts with its place in the run, zero\\-padded to the\n"
            "digits of the number of files found: the 7th of 120 files is\n"
            ".IR \"007 \\- Song.mp3\" ,\n"
            "of 9 files\n"
            ".IR \"7 \\- Song.mp3\" .\n"
            "Car stereos and small players that play a folder by name then play the\n"
            "playlist's order. Missing entries and files left out by\n"
            ".B \\-\\-only\\-mp3\n"
            "take no place, so the numbers have no gaps; folders kept below the destination\n"
            "are not numbered. The number comes after transliteration, before the check for\n"
            "an existing file of that name; a name the number makes too long for the device\n"
            "is shortened, its extension kept. A playlist written with\n"
            ".B \\-\\-write\\-playlist\n"
            "names the numbered files.\n";
    page += ".SH OPTIONS\n";
    for (const UsageOption& o : usageOptions(usage)) {
        page += ".TP\n.B " + roff(o.names) + "\n";
        page += o.description.empty() ? std::string("Print this help or the version, and exit.\n")
                                      : roff(o.description) + "\n";
    }
    page += ".SH EXIT STATUS\n"
            ".TP\n.B 0\nEvery listed file was copied, or was already there.\n"
            ".TP\n.B 1\nSome files failed or were missing.\n"
            ".TP\n.B 2\nThe copy was refused: bad arguments, an unreadable playlist, a "
            "destination\nthat is not a local folder, or too little free space.\n"
            ".TP\n.B 130\nThe run was cancelled (Ctrl\\-C, SIGTERM, SIGHUP).\n";
    page += ".SH FILES\n"
            "When the folder of the executable can be written to, every file lives there.\n"
            "Installed (in\n.IR /usr/lib/tunewagon ,\n"
            "or a folder the user cannot write to), the language files are read from the\n"
            "installation\n.RI ( /usr/share/tunewagon ),\n"
            ".I Settings.ini\nfrom\n.IR $XDG_CONFIG_HOME/tunewagon ,\n"
            "and the log goes to\n.IR $XDG_STATE_HOME/tunewagon .\n"
            ".TP\n.B Settings.ini\n"
            "The window program's settings; its Language key chooses the language of the\n"
            "messages when\n.B \\-\\-language\nis not given.\n"
            ".TP\n.B Language/\\fINAME\\fP/\\fINAME\\fP.txt\n"
            "The language files, one text a line.\n"
            ".TP\n.B ErrorLog/Debug.Log\n"
            "Unexpected failures are recorded here.\n";
    page += ".SH EXAMPLES\n"
            "Copy a playlist to a USB stick, keeping the folders and writing Cyrillic names\n"
            "in Latin letters:\n"
            ".PP\n.EX\ntunewagon\\-copy \\-\\-translit ~/Music/list.m3u /media/usb/Music\n.EE\n"
            ".PP\n"
            "From a script, all files into one folder, existing files kept, English report:\n"
            ".PP\n.EX\n"
            "tunewagon\\-copy \\-\\-flat \\-\\-on\\-collision=skip \\-\\-language=English \\e\n"
            "    \\-\\-quiet party.pls /media/player/Music\n.EE\n"
            ".PP\n"
            "Two playlists in one run, each with its own playlist on the stick:\n"
            ".PP\n.EX\n"
            "tunewagon\\-copy \\-\\-write\\-playlist car.m3u road.pls /media/usb\n.EE\n";
    return page;
}

} // namespace tw::cli
