#!/usr/bin/env bash
# Installs the Debian packages Tunewagon needs to build, run and test, when any is missing.
# Safe to run again: with everything present it only checks and returns.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev
    qt6-translations-l10n       # Qt's own buttons and dialogs in the chosen language
    libcurl4-openssl-dev
    zlib1g-dev   # the checker tests send compressed answers
    libicu-dev
    libexpat1-dev               # XSPF and WPL playlists
    libgtest-dev libgmock-dev libbenchmark-dev
    xdg-utils
    exfatprogs exfat-fuse e2fsprogs dosfstools fusefat
    libfuse3-dev                # the slow file system of the list scan benchmark
    dbus-daemon
    xvfb xauth openbox          # the guide's pictures under a window manager
    desktop-file-utils man-db   # the archive check: desktop entry and manual page
    dpkg-dev lintian appstream  # the package check: dependencies, lintian, AppStream file
    clang-format                # the format check (scripts/format-check.sh)
)
# The fuzzing build (scripts/fuzz.sh) uses clang and its runtime when asked for; clang-tidy
# comes with them for the checks in .clang-tidy.
if [[ "${TW_WITH_CLANG:-0}" == 1 ]]; then
    packages+=(clang libclang-rt-14-dev clang-tidy)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
