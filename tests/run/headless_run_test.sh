#!/usr/bin/env bash
# `make run` on a machine without a display, as a newcomer starts it on a server: the client comes up on a
# virtual display, the browser viewer answers on 127.0.0.1:6080, nothing it opens listens beyond the loopback,
# and Ctrl+C leaves nothing behind. Uses the program as built (build/).
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
work=$(mktemp -d)
pgid=
fail() {
    echo "FAIL: $*"
    [ -f "$work/run.log" ] && sed 's/^/  run: /' "$work/run.log"
    [ -n "$pgid" ] && kill -KILL -- "-$pgid" 2>/dev/null
    rm -rf "$work"
    exit 1
}

# Listening TCP sockets as "address:port" in hex, as the kernel lists them.
listening() {
    cat /proc/net/tcp /proc/net/tcp6 2>/dev/null | awk '$4 == "0A" { print $2 }' | sort -u
}
before=$(listening)

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HALVREN_RUN_BUILT=1 HALVREN_RUN_DIR="$work/run" \
    setsid bash scripts/run.sh >"$work/run.log" 2>&1 &
pgid=$!

address=
for _ in $(seq 1 600); do
    address=$(grep -o 'http://127\.0\.0\.1:6080/vnc.html?autoconnect=1&password=[A-Za-z0-9]*' "$work/run.log")
    [ -n "$address" ] && break
    kill -0 "$pgid" 2>/dev/null || fail "make run ended before it printed the viewer's address"
    sleep 0.1
done
[ -n "$address" ] || fail "no viewer address within 60 s"
grep -q "Starting the client" "$work/run.log" || sleep 2

# The viewer's page answers.
exec 3<>/dev/tcp/127.0.0.1/6080 || fail "nothing answers on 127.0.0.1:6080"
printf 'GET /vnc.html HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&3
status=$(head -n 1 <&3)
exec 3<&-
case "$status" in
*" 200"*) ;;
*) fail "the viewer page answered: $status" ;;
esac

# The virtual display opens with the run's cookie only: not without it, not for another user; and the VNC
# password is no process's argument.
display=$(ps -o args= -g "$pgid" | sed -n 's/^Xvfb \(:[0-9]*\) .*/\1/p' | head -n 1)
[ -n "$display" ] || fail "no Xvfb among the processes of make run"
XAUTHORITY="$work/run/xauthority" xdpyinfo -display "$display" >/dev/null 2>&1 || fail "the cookie does not open $display"
[ "$(stat -c %a "$work/run/xauthority")" = 600 ] || fail "the cookie file is not the user's alone"
env -u XAUTHORITY HOME=/nonexistent xdpyinfo -display "$display" >/dev/null 2>&1 && fail "$display opens without the cookie"
env -u XAUTHORITY HOME=/nonexistent setpriv --reuid=nobody --regid=nogroup --clear-groups \
    xdpyinfo -display "$display" >/dev/null 2>&1 && fail "another user opened $display"
ps -eo args= >"$work/ps"
grep -qF -- "${address##*password=}" "$work/ps" && fail "the VNC password shows in ps"

# Everything that started listening listens on the loopback only (127.0.0.1, or ::1).
for socket in $(comm -13 <(echo "$before") <(listening)); do
    host=${socket%:*}
    case "$host" in
    0100007F | 00000000000000000000000001000000) ;;
    *) fail "a socket listens beyond the loopback: $socket" ;;
    esac
done
opened=$(comm -13 <(echo "$before") <(listening) | wc -l)
[ "$opened" -ge 4 ] || fail "only $opened listening sockets: viewer, VNC and both stand-ins were expected"

# Ctrl+C ends everything make run started, and nothing is left listening.
kill -INT -- "-$pgid"
for _ in $(seq 1 100); do
    kill -0 -- "-$pgid" 2>/dev/null || break
    sleep 0.1
done
kill -0 -- "-$pgid" 2>/dev/null && fail "processes of make run are still there after Ctrl+C"
left=$(comm -13 <(echo "$before") <(listening))
[ -z "$left" ] || fail "still listening after the stop: $left"
rm -rf "$work"
echo "headless make run: viewer on 127.0.0.1:6080, loopback only, all gone after Ctrl+C"
