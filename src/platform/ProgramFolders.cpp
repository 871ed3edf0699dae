#include "platform/ProgramFolders.h"

#include "platform/SystemInfo.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace tw::platform {

namespace {

constexpr const char* FolderName = "tunewagon";

std::string parentOf(const std::string& folder) {
    const std::size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return folder.substr(0, slash);
}

std::string nameOf(const std::string& folder) {
    const std::size_t slash = folder.find_last_of('/');
    return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

// An XDG base folder: the variable when it holds an absolute path, else the default below
// the home folder; empty when neither is known.
std::string baseFolder(const std::string& variable, const std::string& home,
                       const char* defaultBelowHome) {
    if (!variable.empty() && variable.front() == '/')
        return variable;
    if (!home.empty() && home.front() == '/')
        return home + "/" + defaultBelowHome;
    return {};
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string accountHome() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr)
        return result->pw_dir;
    return {};
}

void createPrivateFolder(const std::string& folder) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec))
        return;
    std::filesystem::create_directories(folder, ec);
    if (!ec)
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
}

} // namespace

std::string sharedDataFolderFor(const std::string& programFolder) {
    const std::string lib = parentOf(programFolder);
    if (nameOf(programFolder) != FolderName || nameOf(lib) != "lib")
        return {};
    return parentOf(lib) + "/share/" + FolderName;
}

ProgramFolders chooseProgramFolders(const FolderFacts& facts) {
    ProgramFolders folders;
    folders.programFolder = facts.programFolder;
    folders.dataFolder = facts.programFolder;
    folders.configFolder = facts.programFolder;
    folders.stateFolder = facts.programFolder;
    const std::string shared = sharedDataFolderFor(facts.programFolder);
    const bool systemLayout = facts.sharedDataFound && !shared.empty();
    if (systemLayout)
        folders.dataFolder = shared;
    if (facts.programFolderWritable && !systemLayout)
        return folders;

    const std::string home = withoutTrailingSlashes(facts.home);
    const std::string config = baseFolder(facts.xdgConfigHome, home, ".config");
    const std::string state = baseFolder(facts.xdgStateHome, home, ".local/state");
    if (config.empty() || state.empty())
        return folders;
    folders.configFolder = withoutTrailingSlashes(config) + "/" + FolderName;
    folders.stateFolder = withoutTrailingSlashes(state) + "/" + FolderName;
    folders.portable = false;
    return folders;
}

FolderFacts gatherFolderFacts(const std::string& programFolder) {
    FolderFacts facts;
    facts.programFolder = programFolder;
    facts.programFolderWritable = ::access(programFolder.c_str(), W_OK | X_OK) == 0;
    const std::string shared = sharedDataFolderFor(programFolder);
    std::error_code ec;
    facts.sharedDataFound = !shared.empty() && std::filesystem::is_directory(shared, ec);
    facts.xdgConfigHome = environmentValue("XDG_CONFIG_HOME");
    facts.xdgStateHome = environmentValue("XDG_STATE_HOME");
    facts.home = environmentValue("HOME");
    if (facts.home.empty())
        facts.home = accountHome();
    return facts;
}

ProgramFolders findProgramFolders(const std::string& programFolder) {
    const ProgramFolders folders = chooseProgramFolders(gatherFolderFacts(programFolder));
    if (!folders.portable) {
        createPrivateFolder(folders.configFolder);
        createPrivateFolder(folders.stateFolder);
        createPrivateFolder(folders.stateFolder + "/Freshpoll");
    }
    return folders;
}

} // namespace tw::platform
