#!/usr/bin/env bash
# Pictures of the live client for review (build/screens/*.png): the real program against a fresh centre
# stand-in on a free loopback port, drawn offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
centre=
cleanup() {
    [ -n "$centre" ] && kill "$centre" 2>/dev/null && wait "$centre" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Reports are taken on at once, so that the history page pictures a state.
build/standins/centre-standin --listen 127.0.0.1:0 --data "$work/centre" --cipher build/dist/libKavrel.so \
    --progress 0,60,180 >"$work/centre.log" 2>&1 &
centre=$!
source scripts/serving-host.sh
host=$(serving_host "$work/centre.log")
if [ -z "$host" ]; then
    echo "The centre stand-in did not start:"
    cat "$work/centre.log"
    exit 1
fi

rm -rf build/screens
QT_QPA_PLATFORM=offscreen build/assets/skin-painter/halvren_screens build/dist build/screens "$host"
(cd build && QT_QPA_PLATFORM=offscreen ./updater/halvren_updater_screens screens)
# The dispatcher's view of the reports just sent, as a browser shows it, at a width where cells wrap.
if command -v chromium >/dev/null; then
    timeout 60 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$work/browser" \
        --window-size=900,600 --screenshot="$PWD/build/screens/dispatcher_view.png" "http://$host/" >/dev/null 2>&1 ||
        echo "The dispatcher's view could not be pictured."
else
    echo "No picture of the dispatcher's view: chromium is not installed."
fi
echo "Pictures of the live windows: $(ls build/screens | tr '\n' ' ')"
