#!/bin/sh
# Adds Tunewagon to your desktop's application menu (for you alone, no root needed):
# writes ~/.local/share/applications/tunewagon.desktop pointing at this folder.
#   sh install-desktop-entry.sh            add or update the entry
#   sh install-desktop-entry.sh --remove   take it away again
# Run it again after moving this folder.
set -eu

folder=$(cd "$(dirname "$0")" && pwd -P)
applications="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
entry="$applications/tunewagon.desktop"

refresh_menu() {
    if command -v update-desktop-database >/dev/null 2>&1; then
        update-desktop-database "$applications" >/dev/null 2>&1 || true
    fi
}

case "${1:-}" in
--remove)
    rm -f "$entry"
    refresh_menu
    echo "Removed $entry"
    exit 0
    ;;
"") ;;
*)
    echo "usage: sh install-desktop-entry.sh [--remove]" >&2
    exit 2
    ;;
esac

case "$folder" in
*"
"*)
    echo "The folder's path holds a line break; a desktop entry cannot name it." >&2
    exit 1
    ;;
esac
if [ ! -x "$folder/tunewagon" ]; then
    echo "$folder/tunewagon is missing: run this script from the Tunewagon folder." >&2
    exit 1
fi

# A string value of a desktop entry writes a backslash as two.
string_value() {
    printf '%s' "$1" | sed 's/\\/\\\\/g'
}
# Exec is quoted as one argument: inside the quotes ", `, $ and \ take a backslash, a
# percent sign is doubled; then the whole is a string value as above.
exec_value() {
    quoted=$(printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/["`$]/\\&/g' -e 's/%/%%/g')
    string_value "\"$quoted\""
}

mkdir -p "$applications"
tmp="$applications/.tunewagon-$$.desktop"
trap 'rm -f "$tmp"' EXIT
sed -e "/^Exec=/d" -e "/^Icon=/d" -e "/^TryExec=/d" "$folder/Desktop/tunewagon.desktop" >"$tmp"
{
    printf 'TryExec=%s\n' "$(string_value "$folder/tunewagon")"
    printf 'Exec=%s %%f\n' "$(exec_value "$folder/tunewagon")"
    printf 'Icon=%s\n' "$(string_value "$folder/Desktop/tunewagon.svg")"
} >>"$tmp"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$tmp"
fi
mv -f "$tmp" "$entry"
trap - EXIT
refresh_menu
echo "Added $entry"
