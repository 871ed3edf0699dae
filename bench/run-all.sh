#!/usr/bin/env bash
# Every benchmark of Tunewagon in one run, each against its goal, on the release build.
#   bash bench/run-all.sh [--reps N] [--work FOLDER]
# It builds the benchmark programs of the release preset, runs them one after the other
# (the copy benchmark writes about 1.5 GB into the work folder, on the disk under test;
# by default build/release/bench-work) and ends with a summary table.
set -euo pipefail
cd "$(dirname "$0")/.."

reps=5
work="$PWD/build/release/bench-work"
while (($#)); do
    case "$1" in
    --reps) reps="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    *) echo "usage: bash bench/run-all.sh [--reps N] [--work FOLDER]" >&2; exit 2 ;;
    esac
done

cmake --preset release >/dev/null
cmake --build --preset release --target tw_benchmarks >/dev/null
bin=build/release/bench
copy=build/release/Tunewagon/tunewagon-copy
mkdir -p "$work"
log="$work/run-all.log"
: >"$log"

summary=()
row() { summary+=("$(printf '%-50s %-34s %-16s %s' "$1" "$2" "$3" "$4")"); }
verdict() { awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g) ? "met" : "MISSED" }'; }
section() { printf '\n== %s\n' "$1" | tee -a "$log"; }

printf 'Tunewagon benchmarks, %s, %s, %s CPUs\n' "$(date -u '+%Y-%m-%d %H:%M UTC')" \
    "$(uname -r)" "$(nproc)" | tee -a "$log"
printf 'work folder %s (%s)\n' "$work" "$(df -T "$work" | awk 'NR == 2 { print $2 }')" | tee -a "$log"

section "List scan against a bare stat() loop, 100,000 entries; peak memory of the reader"
scan=$("$bin/tw_listscan_bench" 100000 | tee -a "$log")
printf '%s\n' "$scan"
for kind in relative absolute; do
    r=$(sed -n "s/^$kind entries.*), ratio \([0-9.]*\);.*/\1/p" <<<"$scan")
    row "scan, $kind entries / bare stat()" "$r" "<= 1.1" "$(verdict "$r" 1.1)"
done
while read -r entries scanKiB readKiB; do
    mib=$(awk -v k="$scanKiB" 'BEGIN { printf "%.1f", k / 1024 }')
    row "scan peak RSS, $entries entries" "scan $mib MiB, read $readKiB KiB" "<= 16 MiB" \
        "$(verdict "$scanKiB" 16384)"
done < <(sed -n 's/^\([0-9]*\) entries .*peak RSS scan \([0-9]*\) KiB, read \([0-9]*\) KiB.*/\1 \2 \3/p' <<<"$scan")

section "List scan on a file system answering each lookup in 1 ms (FUSE), 10,000 entries"
slow=$("$bin/tw_slowfs_bench" 10000 1000 2>&1 | tee -a "$log") || true
printf '%s\n' "$slow"
r=$(sed -n 's/.*ratio \([0-9.]*\).*/\1/p' <<<"$slow")
if [[ -n "$r" ]]; then
    row "scan on 1 ms lookups / serial stat()" "$r" "<= 0.25" "$(verdict "$r" 0.25)"
else
    row "scan on 1 ms lookups / serial stat()" "$(head -c 34 <<<"$slow")" "<= 0.25" "skipped"
fi

section "Copy against cp + sync ($reps runs each, medians), peak memory of the copy"
status=0
copyOut=$("$bin/copy_vs_cp" --work "$work/copy" --reps "$reps") || status=$?
printf '%s\n' "$copyOut" | tee -a "$log"
while IFS='|' read -r set ratio goal; do
    row "copy $set / cp + sync" "$ratio" "<= $goal" "$(verdict "$ratio" "$goal")"
done < <(sed -n 's/^\([0-9]* x [0-9]* [KM]iB\) .*ratio \([0-9.]*\)  (goal <= \([0-9.]*\).*/\1|\2|\3/p' <<<"$copyOut")
memLine=$(grep '^memory 2 GiB' <<<"$copyOut" || true)
peaks=$(sed -n 's/^peak memory copying *\([0-9]* [MG]iB\) *\([0-9]*\) KB.*/\1: \2 KB/p' <<<"$copyOut" | paste -sd ',' -)
row "copy peak RSS" "${peaks:-not measured}" "no growth" \
    "$(grep -q 'independent of file size' <<<"$memLine" && echo met || echo MISSED)"
((status == 2)) && row "copy benchmark" "failed, see $log" "-" "MISSED"

# Benchmarks that other parts of the program add to bench/ (window responsiveness, re-copy)
# run as they are; each prints its own goal.
others=()
for program in "$bin"/*; do
    name=$(basename "$program")
    [[ -f "$program" && -x "$program" ]] || continue
    # Known already.
    case "$name" in tw_listscan_bench | tw_slowfs_bench | copy_vs_cp) continue ;; esac
    others+=("$name")
    section "$name"
    out=$(QT_QPA_PLATFORM=offscreen "$program" --work "$work/$name" 2>&1) && result=met ||
        result=MISSED
    printf '%s\n' "$out" | tee -a "$log"
    # The first figure of a benchmark, or the window's pause at the disk's speed.
    first=$(grep -m1 "at the disk's speed" <<<"$out" || grep -im1 -e ratio -e ms <<<"$out" || true)
    row "$name" "$(cut -c1-34 <<<"$first")" "its own" "$result"
    # The copy window at a stick's pace, and against tunewagon-copy.
    while IFS='|' read -r pace gap; do
        row "window pause, 1 GiB at $pace" "gap $gap ms" "<= 100 ms" "$(verdict "$gap" 100)"
    done < <(sed -n 's/^[0-9]* MiB at \([0-9]* MB\/s\): [0-9.]* s, longest gap \([0-9.]*\) ms.*/\1|\2/p' <<<"$out")
    while read -r ratio; do
        row "window / tunewagon-copy, 100 x 4 MiB" "$ratio" "<= 1.1" "$(verdict "$ratio" 1.1)"
    done < <(sed -n 's/^100 x 4 MiB: tunewagon-copy .*ratio \([0-9.]*\)$/\1/p' <<<"$out")
    # The copy window on block devices: the longest pause of its event loop and of a repaint.
    while IFS='|' read -r device gap repaint; do
        row "window pause, 1 GiB to $device" "gap $gap ms, repaint $repaint ms" "<= 100 ms" \
            "$(verdict "$(awk -v a="$gap" -v b="$repaint" 'BEGIN { print (a > b) ? a : b }')" 100)"
    done < <(sed -n 's/^[0-9]* MiB to \(.*\): [0-9.]* s, longest gap \([0-9.]*\) ms, longest repaint wait \([0-9.]*\) ms.*/\1|\2|\3/p' <<<"$out")
    while read -r device; do
        row "window pause, 1 GiB to $device" "not measured" "<= 100 ms" "skipped"
    done < <(sed -n 's/^[0-9]* MiB to \(.*\): skipped.*/\1/p' <<<"$out")
    # Many smaller files to the same devices: the run waits for whole groups of them.
    while IFS='|' read -r set device gap repaint; do
        row "window pause, $set to $device" "gap $gap ms, repaint $repaint ms" "<= 100 ms" \
            "$(verdict "$(awk -v a="$gap" -v b="$repaint" 'BEGIN { print (a > b) ? a : b }')" 100)"
    done < <(sed -n 's/^\([0-9]* x [0-9]* MiB\) to \(.*\): [0-9.]* s, longest gap \([0-9.]*\) ms, longest repaint wait \([0-9.]*\) ms.*/\1|\2|\3|\4/p' <<<"$out")
    while IFS='|' read -r set device; do
        row "window pause, $set to $device" "not measured" "<= 100 ms" "skipped"
    done < <(sed -n 's/^\([0-9]* x [0-9]* MiB\) to \(.*\): skipped.*/\1|\2/p' <<<"$out")
done
if ! printf '%s\n' "${others[@]}" | grep -qi -e respons -e copywindow; then
    row "window responsiveness" "not built in this tree" "-" "skipped"
fi

# Re-copy: the same playlist a second time with --skip-same, where tunewagon-copy has it.
section "Re-copy: a second run with --skip-same"
if "$copy" --help | grep -q -- --skip-same && ! printf '%s\n' "${others[@]}" | grep -qi -e recopy -e skip; then
    src="$work/recopy/source"
    rm -rf "$work/recopy"
    mkdir -p "$src"
    for i in $(seq -w 1 1000); do head -c 65536 /dev/urandom >"$src/t$i.mp3"; done
    ls "$src"/*.mp3 >"$work/recopy/list.m3u"
    mkdir -p "$work/recopy/dest"
    t0=$(date +%s.%N)
    "$copy" --quiet --on-collision=replace "$work/recopy/list.m3u" "$work/recopy/dest" >/dev/null
    t1=$(date +%s.%N)
    "$copy" --quiet --skip-same "$work/recopy/list.m3u" "$work/recopy/dest" >/dev/null
    t2=$(date +%s.%N)
    first=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
    second=$(awk -v a="$t1" -v b="$t2" 'BEGIN { printf "%.3f", b - a }')
    ratio=$(awk -v f="$first" -v s="$second" 'BEGIN { printf "%.3f", s / f }')
    printf '1000 x 64 KiB: first run %s s, second run with --skip-same %s s, ratio %s\n' \
        "$first" "$second" "$ratio" | tee -a "$log"
    row "re-copy 1000 x 64 KiB, --skip-same / first" "$ratio ($second s / $first s)" "-" "reported"
    rm -rf "$work/recopy"
else
    echo "skipped: this tunewagon-copy has no --skip-same yet" | tee -a "$log"
    row "re-copy with --skip-same" "not in this build" "-" "skipped"
fi

section "Summary"
{
    printf '%-50s %-34s %-16s %s\n' benchmark measured goal result
    printf '%s\n' "${summary[@]}"
} | tee -a "$log"
echo "(full output in $log)"
