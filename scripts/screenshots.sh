#!/usr/bin/env bash
# Takes the user's guide pictures again (docs/*.png): builds the picture taker of the debug
# preset and runs it under a virtual X display (Xvfb), so no desktop is needed.
#   bash scripts/screenshots.sh [OUTPUT_FOLDER]       (default docs)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs}"
for tool in xvfb-run openbox; do
    command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xauth openbox)" >&2; exit 2; }
done
cmake --preset debug >/dev/null
cmake --build --preset debug --target tunewagon-screenshots
mkdir -p "$out"
# The system font and the plain Fusion style, the same on every machine. A window manager
# (openbox) frames the windows as a desktop does, so the main window's saved place is tried
# against a real frame too.
xvfb-run -a -s '-screen 0 1280x800x24' sh -c '
    openbox & wm=$!
    sleep 1
    env QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion LANG=C.UTF-8 \
        build/debug/tools/tunewagon-screenshots "$0"
    status=$?
    kill $wm
    exit $status' "$out"
ls -l "$out"/*.png
