#!/usr/bin/env bash
# `make run` on a machine without a display, as a newcomer starts it on a server: the client comes up on a
# virtual display, the browser viewer answers on the loopback, nothing it opens listens beyond the loopback,
# and Ctrl+C ends everything with one calm line and leaves nothing behind. Uses the program as built (build/),
# from a program folder, centre port and viewer port of its own, so that it runs beside someone's `make run`.
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

free_port() {
    /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
viewer_port=$(free_port)
centre=127.0.0.1:$(free_port)
cp -r build/dist "$work/dist" || fail "no program folder in build/dist"
printf '[DEFAULT]\r\nCURRENT_VERSION=1.0.0.0\r\nURL=%s\r\n' "$centre" >"$work/dist/EnvSet.ini"
mkdir -m 700 "$work/runtime"

# Started in the background, a script ignores Ctrl+C; from a terminal it does not.
as_from_a_terminal='import os, signal; signal.signal(signal.SIGINT, signal.SIG_DFL); signal.signal(signal.SIGPIPE, signal.SIG_DFL); os.execvp("bash", ["bash", "scripts/run.sh"])'
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HALVREN_RUN_BUILT=1 HALVREN_RUN_DIR="$work/run" \
    HALVREN_DIST_DIR="$work/dist" HALVREN_CENTRE_LISTEN="$centre" HALVREN_VIEWER_PORT="$viewer_port" \
    XDG_RUNTIME_DIR="$work/runtime" setsid /usr/bin/python3 -c "$as_from_a_terminal" >"$work/run.log" 2>&1 &
pgid=$!

address=
for _ in $(seq 1 600); do
    address=$(grep -o "http://127\.0\.0\.1:$viewer_port/#password=[A-Za-z0-9]*" "$work/run.log")
    [ -n "$address" ] && break
    kill -0 "$pgid" 2>/dev/null || fail "make run ended before it printed the viewer's address"
    sleep 0.1
done
[ -n "$address" ] || fail "no viewer address within 60 s"
grep -q "Starting the client" "$work/run.log" || sleep 2

# The viewer's page answers.
exec 3<>"/dev/tcp/127.0.0.1/$viewer_port" || fail "nothing answers on 127.0.0.1:$viewer_port"
printf 'GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&3
status=$(head -n 1 <&3)
exec 3<&-
case "$status" in
*" 200"*) ;;
*) fail "the viewer page answered: $status" ;;
esac

# The virtual display opens with the run's cookie only: not without it, not for another user; and the VNC
# password is no process's argument.
# Xvfb runs in a session of its own, as a child of make run's script.
members=$(ps -o pid= -g "$pgid" | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
display=$(ps -o args= --ppid "$members" | sed -n 's/^Xvfb \(:[0-9]*\) .*/\1/p' | head -n 1)
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
kill -0 -- "-$pgid" 2>/dev/null && fail "processes of make run are still there after Ctrl+C: $(ps -o pid=,args= -g "$pgid" | tr '\n' ';')"
[ "$(tail -n 1 "$work/run.log")" = "Stopped: everything make run started has ended." ] ||
    fail "Ctrl+C did not end with the line that says everything stopped"
! grep -qi "x11\|traceback\|error" "$work/run.log" || fail "Ctrl+C left an alarm on the terminal"
# What make run opened is closed again (only its own ports: other programs on this machine come and go).
vnc_port=$(sed -n 's/^PORT=\([0-9]*\)$/\1/p' "$work/run/vnc.log" | head -n 1)
for port in "$viewer_port" "${centre##*:}" ${vnc_port:+"$vnc_port"}; do
    hex=$(printf '%04X' "$port")
    listening | grep -q ":$hex\$" && fail "still listening on port $port after the stop"
done
rm -rf "$work"
echo "headless make run: viewer on 127.0.0.1:$viewer_port, loopback only, all gone after Ctrl+C"
