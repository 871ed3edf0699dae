#!/usr/bin/env bash
# Checks the portable archive as a user meets it: installs a built tree into a temporary
# prefix, packs the archive with CPack, unpacks it elsewhere (a path with a blank), and
# starts both programs from there with an empty home folder. Then the Debian package: made
# with cpack -G DEB, checked by lintian, appstreamcli and desktop-file-validate, unpacked
# into a temporary root (never installed) and started from there by a user who cannot write
# to it, whose settings must land in that user's own folders.
#   bash scripts/archive-check.sh [BUILD_DIR]        (default build/release, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/tunewagon-archive.XXXXXX")
window_pid=
cleanup() {
    [[ -n "$window_pid" ]] && kill -KILL "$window_pid" 2>/dev/null || true
    chmod -R u+w "$tmp" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "archive check: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
(cd "$build" && cpack -B "$tmp/pack" >/dev/null)
archives=("$tmp"/pack/*.tar.gz)
[[ -f "${archives[0]}" ]] || fail "cpack made no .tar.gz"
archive="${archives[0]}"
unpacked="$tmp/unpacked here"
mkdir -p "$unpacked"
tar -xzf "$archive" -C "$unpacked"
dir="$unpacked/Tunewagon"
echo "archive $(basename "$archive"): $(tar -tzf "$archive" | grep -vc '/$') files, $(du -k "$archive" | cut -f1) KiB"

# What ships: the programs, the manual page and every data file, nothing a run leaves.
for f in tunewagon tunewagon-copy Freshpoll/freshpoll; do
    [[ -x "$dir/$f" ]] || fail "$f is missing or not executable"
done
[[ -f "$dir/man/man1/tunewagon-copy.1" ]] || fail "the manual page is missing"
# The programs as built hold no test seam (the archive's copies are stripped, so look at the
# build's own).
for f in tunewagon tunewagon-copy; do
    if nm -C --defined-only "$build/Tunewagon/$f" | grep -q 'injectFileFault\|setWritePacer\|setLookupPacer'; then
        fail "$f holds the test seam"
    fi
done
# Qt's own buttons in Russian: the catalogue ships where the build machine has it.
if [[ -f /usr/share/qt6/translations/qtbase_ru.qm ]]; then
    cmp -s /usr/share/qt6/translations/qtbase_ru.qm "$dir/Translations/qtbase_ru.qm" ||
        fail "Qt's Russian catalogue (Translations/qtbase_ru.qm) is missing"
fi
while IFS= read -r f; do
    cmp -s "data/program/$f" "$dir/$f" || fail "$f differs from data/program or is missing"
done < <(cd data/program && find . -type f | sed 's|^\./||')
for f in Settings.ini ErrorLog TempFiles Freshpoll/LastCheck.ini; do
    [[ ! -e "$dir/$f" ]] || fail "$f of a run in the build tree went into the archive"
done
diff <(cd "$tmp/prefix/Tunewagon" && find . | sort) <(cd "$dir" && find . | sort) >/dev/null ||
    fail "the archive and cmake --install hold different files"

# Self-contained but for the system's libraries: nothing found in the build tree or missing.
for f in tunewagon tunewagon-copy Freshpoll/freshpoll; do
    libs=$(ldd "$dir/$f")
    ! grep -q 'not found' <<<"$libs" || fail "$f: $(grep 'not found' <<<"$libs")"
    ! grep -q "$PWD" <<<"$libs" || fail "$f loads a library from the build tree"
    ! readelf -d "$dir/$f" | grep -qE 'RPATH|RUNPATH' || fail "$f carries a library path"
done

# Started from the unpacked folder with an empty home: English is found there, and nothing is
# written outside the folder.
home="$tmp/home"
mkdir -p "$home"
clean_env=(env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen)
music="$tmp/music"
mkdir -p "$music" "$tmp/dest"
printf 'ID3 song' >"$music/Песня.mp3"
printf '%s\n' "$music/Песня.mp3" >"$music/list.m3u"
out=$("${clean_env[@]}" "$dir/tunewagon-copy" --language=English --translit --flat --on-collision=skip \
    "$music/list.m3u" "$tmp/dest" 2>&1) || fail "tunewagon-copy failed: $out"
grep -q 'Files copied in all: 1' <<<"$out" || fail "tunewagon-copy did not speak English: $out"
[[ -f "$tmp/dest/Pesnya.mp3" ]] || fail "tunewagon-copy did not copy: $(ls -R "$tmp/dest")"

# Starts the window program with the given environment and closes it by SIGTERM.
start_and_close() {
    "$@" >"$tmp/window.log" 2>&1 &
    window_pid=$!
    sleep 3
    kill -0 "$window_pid" 2>/dev/null || fail "tunewagon ended on its own: $(cat "$tmp/window.log")"
    kill -TERM "$window_pid"
    for _ in $(seq 50); do
        kill -0 "$window_pid" 2>/dev/null || break
        sleep 0.1
    done
    status=0
    wait "$window_pid" || status=$?
    window_pid=
    ((status == 0)) || fail "tunewagon ended with status $status after SIGTERM: $(cat "$tmp/window.log")"
}

# The window program: a settings file naming English (so no first-start question), closed by
# SIGTERM as Exit closes it; at exit it writes all its settings next to the executable.
printf '[Settings]\r\nLanguage=English\r\n' >"$dir/Settings.ini"
start_and_close "${clean_env[@]}" "$dir/tunewagon"
grep -q '^Language=English' "$dir/Settings.ini" || fail "Settings.ini lost its language"
grep -q '^Top=' "$dir/Settings.ini" || fail "Settings.ini was not written at exit: $(cat "$dir/Settings.ini")"
[[ ! -s "$dir/ErrorLog/Debug.Log" ]] || fail "the run logged errors: $(cat "$dir/ErrorLog/Debug.Log")"
leftovers=$(find "$home" -mindepth 1)
[[ -z "$leftovers" ]] || fail "files written outside the program folder: $leftovers"

# The desktop entry as the folder's script registers it, and the manual page as man reads it.
HOME="$tmp/home2" sh "$dir/install-desktop-entry.sh" >/dev/null
entry="$tmp/home2/.local/share/applications/tunewagon.desktop"
desktop-file-validate "$entry" || fail "the registered desktop entry is not valid"
grep -qF "Exec=\"$dir/tunewagon\"" "$entry" || fail "the entry does not start $dir/tunewagon"
warnings=$(MANWIDTH=80 man --warnings -l "$dir/man/man1/tunewagon-copy.1" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "the manual page has faults: $warnings"


echo "archive check passed"

# The Debian package.
(cd "$build" && cpack -G DEB -B "$tmp/deb" >/dev/null)
version=$(sed -n 's/^project(Tunewagon VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb="$tmp/deb/tunewagon_${version}_$(dpkg --print-architecture).deb"
[[ -f "$deb" ]] || fail "cpack -G DEB made no $(basename "$deb"): $(ls "$tmp/deb")"
echo "package $(basename "$deb"): $(dpkg-deb -c "$deb" | grep -vc '/$') files, $(du -k "$deb" | cut -f1) KiB"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "the package's dependencies were not computed"
lintian_out=$(lintian --no-cfg --fail-on error "$deb" 2>&1) || fail "lintian: $lintian_out"
grep -v '^running with root' <<<"$lintian_out" | sed 's/^/lintian: /' || true
root="$tmp/root"
dpkg-deb -x "$deb" "$root"
for f in usr/lib/tunewagon/tunewagon usr/lib/tunewagon/tunewagon-copy \
    usr/lib/tunewagon/Freshpoll/freshpoll usr/bin/tunewagon usr/bin/tunewagon-copy; do
    [[ -x "$root/$f" ]] || fail "the package has no $f"
done
for f in usr/share/tunewagon/Language/English/English.txt usr/share/tunewagon/Help.htm \
    usr/share/tunewagon/Source/Temp.mht usr/share/tunewagon/Freshpoll/Settings.ini \
    usr/share/applications/tunewagon.desktop usr/share/icons/hicolor/scalable/apps/tunewagon.svg \
    usr/share/man/man1/tunewagon.1.gz usr/share/man/man1/tunewagon-copy.1.gz \
    usr/share/metainfo/net.tunewagon.Tunewagon.metainfo.xml usr/share/doc/tunewagon/copyright; do
    [[ -f "$root/$f" ]] || fail "the package has no $f"
done
desktop-file-validate "$root/usr/share/applications/tunewagon.desktop" ||
    fail "the package's desktop entry is not valid"
grep -q '^MimeType=.*audio/x-mpegurl' "$root/usr/share/applications/tunewagon.desktop" ||
    fail "the desktop entry declares no playlist types"
appstreamcli validate --no-net "$root/usr/share/metainfo/net.tunewagon.Tunewagon.metainfo.xml" |
    sed 's/^/appstreamcli: /' || fail "the AppStream file is not valid"

# Started from the unpacked root by a user who cannot write to it: nobody when this runs as
# root (as CI does), else the user with the tree made read-only.
chmod 755 "$tmp"
user_home="$tmp/user-home"
user_dest="$tmp/user-dest"
mkdir -p "$user_home" "$user_dest"
as_user=()
if (($(id -u) == 0)); then
    chown 65534:65534 "$user_home" "$user_dest"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod -R a-w "$root"
fi
listing() { find "$root" -printf '%p %m %s %T@\n' | sort; }
before=$(listing)
user_env=("${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$user_home" QT_QPA_PLATFORM=offscreen)
out=$("${user_env[@]}" "$root/usr/bin/tunewagon-copy" --language=English --flat \
    "$music/list.m3u" "$user_dest" 2>&1) || fail "packaged tunewagon-copy failed: $out"
grep -q 'Files copied in all: 1' <<<"$out" || fail "packaged tunewagon-copy did not speak English: $out"
config="$user_home/.config/tunewagon"
"${as_user[@]}" mkdir -p "$config"
printf '[Settings]\r\nLanguage=English\r\n' | "${as_user[@]}" tee "$config/Settings.ini" >/dev/null
start_and_close "${user_env[@]}" "$root/usr/bin/tunewagon"
start_and_close "${user_env[@]}" "$root/usr/bin/tunewagon"
grep -q '^Language=English' "$config/Settings.ini" || fail "the user's Settings.ini lost its language"
grep -q '^Top=' "$config/Settings.ini" ||
    fail "the user's Settings.ini was not written at exit: $(cat "$config/Settings.ini")"
[[ -d "$user_home/.local/state/tunewagon/Freshpoll" ]] || fail "no state folder for the user"
written=$(diff <(echo "$before") <(listing) || true)
[[ -z "$written" ]] || fail "the program wrote into its installation: $written"

echo "package check passed"
