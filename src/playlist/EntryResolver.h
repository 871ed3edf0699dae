#pragma once

#include "playlist/FolderProbe.h"
#include "playlist/PlaylistEntry.h"

#include <optional>
#include <string>
#include <string_view>

namespace tw::playlist {

// Turns one playlist line into its entry and finds the file it names, below a playlist's
// drive and folder. The one place where a line becomes an entry, so that every reading of a
// playlist (the list scan, the copy run) finds exactly the same files. Safe to call from
// several threads at once.
class EntryResolver {
public:
    // drive: the mount point of the file system holding the playlist (empty on the root file
    // system); folder: the playlist's folder.
    EntryResolver(std::string drive, std::string folder);

    // The entry of a line, resolved; nothing for an empty, comment or header line. A line
    // cut short (longer than any path) is an entry that names no file. withRelativePart
    // false leaves the relative part empty, for a reader that only counts.
    std::optional<PlaylistEntry> entryOf(std::string_view line, bool cutShort,
                                         bool withRelativePart = true) const;

    const std::string& drive() const { return m_drive; }
    const std::string& folder() const { return m_folder; }

private:
    void resolve(PlaylistEntry& entry) const;

    std::string m_drive;
    std::string m_folder;
    // Caches of folder answers; each guards itself.
    mutable FolderProbe m_belowDrive;
    mutable FolderProbe m_belowFolder;
};

} // namespace tw::playlist
