#!/usr/bin/env bash
# The whole system on this machine: the centre and update stand-ins in the background, the client in the
# foreground. The stand-ins stop when the client ends (and the updater, when the client handed over to it).
# The client's installed settings point it at 127.0.0.1:8080; the updater looks for its server on the same
# host, port 1472.
#
# OFFER_UPDATE=1: the centre announces a newer version, so the client offers the update, and the update
# stand-in hands out the freshly built client, signed with a key made in build/run/.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

# Tests pass their own program folder, centre address and viewer port, so that they run beside a `make run`.
listen=${HALVREN_CENTRE_LISTEN:-127.0.0.1:8080}
update_listen=127.0.0.1:1472
dist=${HALVREN_DIST_DIR:-build/dist}
run=${HALVREN_RUN_DIR:-build/run}
viewer_port=${HALVREN_VIEWER_PORT:-6080}
offer=${OFFER_UPDATE:-0}

# The display is decided before anything is built. Without one (a server, a container), the client gets a
# virtual display that a browser on this machine can show: Xvfb, shared by a VNC server and the noVNC viewer,
# both on 127.0.0.1 only and behind a fresh password.
headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    headless=1
    bash scripts/bootstrap.sh headless || exit 1
fi
# Ctrl+C (or the client's end) stops everything this script started, the client first and the display last,
# so that nothing reports a lost connection; a stop by the user ends with one calm line.
mkdir -p "$run/update"
pids=()
interrupted=0
stop_all() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
        wait "${pids[i]}" 2>/dev/null
    done
    rm -f "$run/vnc.pass"
    if [ "$interrupted" = 1 ]; then
        echo "Stopped: everything make run started has ended."
    fi
}
trap stop_all EXIT
trap 'interrupted=1; exit 0' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Builds only what runs here (the client, the updater, the cipher library, the stand-ins): no tests, no
# benchmarks. The build tool shows how far it is.
if [ "${HALVREN_RUN_BUILT:-0}" != 1 ]; then
    if [ ! -f build/build.ninja ]; then
        echo "Configuring the build in build/ ..."
        configure_log="${TMPDIR:-/tmp}/halvren-configure.$$.log"
        "${MAKE:-make}" --no-print-directory build/build.ninja >"$configure_log" 2>&1 || {
            cat "$configure_log"
            rm -f "$configure_log"
            echo "Configuring the build failed (see above)."
            exit 1
        }
        rm -f "$configure_log"
    fi
    echo "Building the client, the updater and the stand-ins (the first build takes a while; see README.md) ..."
    cmake --build build -j "$(nproc)" --target Halvren Updater Kavrel halvren_assets halvren_skin_art \
        centre-standin update-standin || {
        echo "The build failed (see above)."
        exit 1
    }
fi

# The version the centre announces: the installed one, or one that compares greater as text.
installed=$(sed -n 's/^CURRENT_VERSION *= *\([^[:space:]]*\).*/\1/p' "$dist/EnvSet.ini" | head -n 1)
installed=${installed:-1.0.0.0}
announced=$installed
if [ "$offer" = 1 ]; then
    last=${installed: -1}
    case "$last" in
        [0-8]) announced="${installed%?}$((last + 1))" ;;
        *) announced="$installed.1" ;;
    esac
fi


# Waits until the stand-in with this pid passes the check that follows; false, with its log shown, when it
# ended instead or still does not pass after 10 s.
wait_until_serving() {
    local pid=$1 log=$2
    shift 2
    for _ in $(seq 1 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            cat "$log"
            return 1
        fi
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    echo "Still not serving after 10 s."
    cat "$log"
    return 1
}
centre_serves() {
    grep -q . "$run/centre.log" 2>/dev/null && (exec 3<>"/dev/tcp/${listen%:*}/${listen#*:}") 2>/dev/null
}
# The update stand-in says so once it listens; a trial connection would only add a line to its log.
update_serves() {
    grep -q "serving" "$run/update.log" 2>/dev/null
}

# A free port on the loopback, from `first` upwards.
free_port() {
    local port=$1
    while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
        port=$((port + 1))
    done
    echo "$port"
}

if [ "$headless" = 1 ]; then
    if (exec 3<>"/dev/tcp/127.0.0.1/$viewer_port") 2>/dev/null; then
        echo "Port $viewer_port on 127.0.0.1 is taken, so the browser viewer cannot start there: stop what uses it, or take another port, e.g. HALVREN_VIEWER_PORT=6081 make run."
        exit 1
    fi
    number=99
    while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
        number=$((number + 1))
    done
    # The client's window is 1024 x 750, centred for a 768-line screen: a larger screen only adds black
    # around it in the viewer.
    # In a session of its own, so that Ctrl+C in the terminal reaches it only through stop_all, after the
    # client; and ended with this script however it ends.
    setsid setpriv --pdeathsig TERM Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        sleep 0.1
    done
    export DISPLAY=":$number"
    # Keys without symbols: where x11vnc puts the characters the keymap lacks (every Hangul syllable).
    spare_keys=$(xmodmap -pke 2>/dev/null | awk '$2 > 8 && NF <= 3' | wc -l)
    password=$(tr -dc 'A-Za-z0-9' </dev/urandom | head -c 8)
    x11vnc -storepasswd "$password" "$run/vnc.pass" >/dev/null 2>&1
    vnc_port=$(free_port 5900)
    x11vnc -display "$DISPLAY" -localhost -rfbauth "$run/vnc.pass" -rfbport "$vnc_port" -noipv6 -forever -shared \
        -quiet >"$run/vnc.log" 2>&1 &
    pids+=($!)
    # Our viewer page (scripts/viewer) beside the noVNC library it uses, served by websockify.
    web="$run/viewer"
    rm -rf "$web"
    mkdir -p "$web"
    cp scripts/viewer/index.html scripts/viewer/viewer.js "$web/"
    echo "$spare_keys $(tr -dc 'a-z0-9' </dev/urandom 2>/dev/null | head -c 12)" >"$web/keys.txt"
    ln -s /usr/share/novnc/core "$web/core"
    ln -s /usr/share/novnc/vendor "$web/vendor"
    websockify --web "$web" "127.0.0.1:$viewer_port" "127.0.0.1:$vnc_port" >"$run/viewer.log" 2>&1 &
    pids+=($!)
    viewer_serves() { (exec 3<>"/dev/tcp/127.0.0.1/$viewer_port") 2>/dev/null; }
    if ! wait_until_serving "$!" "$run/viewer.log" viewer_serves; then
        echo "The browser viewer could not start (see above)."
        exit 1
    fi
    echo "No display here: Halvren runs on a virtual one. Open http://127.0.0.1:$viewer_port/#password=$password in a browser on this machine."
fi

build/standins/centre-standin --listen "$listen" --data "$run/centre" --cipher "$dist/libKavrel.so" \
    --version "$announced" >"$run/centre.log" 2>&1 &
pids+=($!)
if ! wait_until_serving "$!" "$run/centre.log" centre_serves; then
    echo "The centre stand-in could not start (see above)."
    exit 1
fi

# The update stand-in hands out a copy of the client as built now, signed, and paced so that the download can
# be watched; the program folder gets the public key, so the updater accepts only files signed with it.
if [ ! -s "$run/update-sign.pem" ]; then
    openssl genpkey -algorithm ed25519 -out "$run/update-sign.pem" 2>/dev/null
fi
if ! openssl pkey -in "$run/update-sign.pem" -pubout -out "$dist/update-key.pem" 2>/dev/null ||
    ! cp "$dist/Halvren" "$run/update/Halvren"; then
    echo "Cannot prepare the signed update in $run/update/ (is openssl installed?)."
    exit 1
fi
build/standins/update-standin --listen "$update_listen" --file "$run/update/Halvren" --name Halvren --action 1 \
    --sign-key "$run/update-sign.pem" --block-delay 1 >"$run/update.log" 2>&1 &
pids+=($!)
if ! wait_until_serving "$!" "$run/update.log" update_serves; then
    echo "The update stand-in could not start (see above)."
    [ "$offer" = 1 ] && exit 1
fi

echo "Centre stand-in on http://$listen/ (dispatcher's view; help page /Morvane/vesk/Help/help.jsp), announcing $announced."
echo "Update stand-in on $update_listen, handing out the client built now (signed)."
echo "Logs: $run/centre.log, $run/update.log. Starting the client from $dist/."
# Waited for rather than run in the foreground, so that a stop signal to this script ends everything at once.
if [ "$headless" = 1 ]; then
    BROWSER="$PWD/scripts/viewer/help-address.sh" "$dist/Halvren" &
else
    "$dist/Halvren" &
fi
client=$!
pids+=("$client")
wait "$client"

# When the user agreed to update, the client has just started the updater. Keep the update stand-in until
# the updater ends: it holds its lock "VeskUpdater" while it runs.
if [ "$offer" = 1 ]; then
    locks=/tmp/halvren-$(id -u)
    if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ "${XDG_RUNTIME_DIR:0:1}" = / ] && [ -d "$XDG_RUNTIME_DIR" ] &&
        [ -O "$XDG_RUNTIME_DIR" ]; then
        locks=$XDG_RUNTIME_DIR
    fi
    for _ in $(seq 1 30); do
        if [ -e "$locks/VeskUpdater.lock" ] && ! flock -n "$locks/VeskUpdater.lock" true 2>/dev/null; then
            echo "The updater runs; the stand-ins stay until it ends."
            flock "$locks/VeskUpdater.lock" true
            break
        fi
        sleep 0.1
    done
fi
