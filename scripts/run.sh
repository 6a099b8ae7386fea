#!/usr/bin/env bash
# The whole system on this machine: the centre stand-in in the background, the client in the foreground.
# The stand-in stops when the client ends. The client's installed settings point it at 127.0.0.1:8080.
set -uo pipefail
cd "$(dirname "$0")/.."

listen=127.0.0.1:8080
dist=build/dist
run=build/run

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Halvren is a desktop program and needs a graphical display, but this session has none (DISPLAY is not set)."
    exit 1
fi

mkdir -p "$run"
build/standins/centre-standin --listen "$listen" --data "$run/centre" --cipher "$dist/libKavrel.so" \
    >"$run/centre.log" 2>&1 &
centre=$!
stop_centre() {
    kill "$centre" 2>/dev/null
    wait "$centre" 2>/dev/null
}
trap stop_centre EXIT
trap 'exit 130' INT TERM

# Wait until the stand-in serves; give up after ten seconds.
for _ in $(seq 1 100); do
    if ! kill -0 "$centre" 2>/dev/null; then
        echo "The centre stand-in could not start:"
        cat "$run/centre.log"
        exit 1
    fi
    if grep -q . "$run/centre.log" 2>/dev/null && (exec 3<>"/dev/tcp/${listen%:*}/${listen#*:}") 2>/dev/null; then
        break
    fi
    sleep 0.1
done

echo "Centre stand-in on http://$listen/ (dispatcher's view; help page /Morvane/vesk/Help/help.jsp)."
echo "Its log: $run/centre.log. Starting the client from $dist/."
"$dist/Halvren"
