#include "support/TmpfsMount.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tw::test {

namespace {

// Single quotes for the shell; the folder names come from the tests' temporary folders.
std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) {
        if (c == '\'')
            result += "'\\''";
        else
            result += c;
    }
    return result + "'";
}

// Runs a command; returns its exit status and fills output with what it printed.
int run(const std::string& command, std::string& output) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    return ::pclose(pipe);
}

} // namespace

TmpfsMount::TmpfsMount(const std::string& folder, std::string options)
    : m_folder(folder) {
    std::string output;
    const int status =
        run("mount -t tmpfs -o " + quoted(options) + " tmpfs " + quoted(folder), output);
    m_mounted = status == 0;
    if (!m_mounted)
        m_reason = "cannot mount a tmpfs on " + folder + " (needs root): " +
                   (output.empty() ? "exit status " + std::to_string(status) : output);
}

TmpfsMount::~TmpfsMount() {
    if (!m_mounted)
        return;
    std::string output;
    if (run("umount " + quoted(m_folder), output) != 0)
        run("umount -l " + quoted(m_folder), output);
}

bool TmpfsMount::remount(const std::string& options) {
    std::string output;
    return m_mounted &&
           run("mount -o " + quoted("remount," + options) + " " + quoted(m_folder), output) == 0;
}

} // namespace tw::test
