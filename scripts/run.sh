#!/usr/bin/env bash
# The whole system on this machine: the centre and update stand-ins in the background, the client in the
# foreground. The stand-ins stop when the client ends (and the updater, when the client handed over to it).
# The centre speaks HTTPS on 127.0.0.1:8080 with a certificate from a local authority made in build/run/,
# which the program folder trusts (CAFILE); its dispatcher's view is also on plain HTTP, loopback only, for a
# browser. The updater looks for its server on the same host, port 1472.
#
# OFFER_UPDATE=1: the centre announces a newer version, so the client offers the update, and the update
# stand-in hands out the freshly built client with a statement of that version, signed with a key made in
# build/run/. When the updater has put it in place it starts the client again on the same display; the
# stand-ins stay until that client ends.
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
# Resident numbers, keys and the display's secrets live here: for this user only.
mkdir -p "$run/update" && chmod 700 "$run" || exit 1
pids=()
interrupted=0
stop_all() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
        # A server can lose the signal (Xvfb does, when it comes in the middle of starting a new generation):
        # after three seconds it is ended without a say, so that a stop never hangs.
        for _ in $(seq 1 30); do
            kill -0 "${pids[i]}" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "${pids[i]}" 2>/dev/null
        wait "${pids[i]}" 2>/dev/null
    done
    rm -f "$run/vnc.pass" "$run/xauthority"
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
        configure_log="$run/configure.log"
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

# The version the centre announces and the update's signed statement names: the installed one, or one that
# compares greater as text. The updater records it as installed, so the next start offers nothing.
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
    # Only holders of a fresh cookie may open the display; the cookie reaches xauth on its input, never as an
    # argument, and the client and the VNC server find it through XAUTHORITY.
    export XAUTHORITY
    XAUTHORITY="$(cd "$run" && pwd)/xauthority"
    (umask 077 && : >"$XAUTHORITY") || exit 1
    echo "add :$number . $(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" | xauth -q -f "$XAUTHORITY" source - || exit 1
    # The client's window is 1024 x 750, centred for a 768-line screen: a larger screen only adds black
    # around it in the viewer. In a session of its own, so that Ctrl+C in the terminal reaches it only
    # through stop_all, after the client; and ended with this script however it ends.
    # x11vnc puts each character the keymap lacks (every Hangul syllable) on a key without symbols. The
    # usual keymap fills a hundred keys with media keys nobody presses here and leaves 18 free; a keymap
    # folder without them leaves over a hundred, so a whole description can be typed through the viewer.
    xkb="$(cd "$run" && pwd)/xkb"
    rm -rf "$xkb"
    cp -r /usr/share/X11/xkb "$xkb" &&
        awk '/^xkb_symbols "evdev"/ { print; skip = 1; next } skip && /^};/ { skip = 0 } !skip' \
            /usr/share/X11/xkb/symbols/inet >"$xkb/symbols/inet" || exit 1
    setsid setpriv --pdeathsig TERM Xvfb ":$number" -auth "$XAUTHORITY" -xkbdir "$xkb" -noreset -screen 0 1024x768x24 \
        -nolisten tcp >"$run/xvfb.log" 2>&1 &
    xvfb=$!
    pids+=($xvfb)
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        sleep 0.1
    done
    export DISPLAY=":$number"
    # Ours, and open to our cookie: a server that did not start, or another that took the same number at the
    # same moment, ends the run here with what the server said.
    if ! kill -0 "$xvfb" 2>/dev/null || ! xdpyinfo >/dev/null 2>&1; then
        cat "$run/xvfb.log"
        echo "The virtual display could not start (see above)."
        exit 1
    fi
    # Keys without symbols: where x11vnc puts the characters the keymap lacks (every Hangul syllable).
    spare_keys=$(xmodmap -pke 2>/dev/null | awk '$2 > 8 && NF <= 3' | wc -l)
    password=$(tr -dc 'A-Za-z0-9' </dev/urandom | head -c 8)
    # Written by the shell itself, so the password is never an argument that ps shows; x11vnc removes the
    # file once it has read it.
    (umask 077 && printf '%s\n' "$password" >"$run/vnc.pass") || exit 1
    vnc_port=$(free_port 5900)
    x11vnc -display "$DISPLAY" -localhost -passwdfile "rm:$run/vnc.pass" -rfbport "$vnc_port" -noipv6 -forever -shared \
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

# A local authority (made once) and a certificate for 127.0.0.1 from it; the program folder trusts that authority
# alone and calls the centre at its https address.
if [ ! -s "$run/centre-ca.pem" ] || [ ! -s "$run/centre.pem" ]; then
    (umask 077 &&
        openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 3650 -subj "/CN=Halvren local centre CA" \
            -keyout "$run/centre-ca.key" -out "$run/centre-ca.pem" &&
        openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=127.0.0.1" \
            -keyout "$run/centre.key" -out "$run/centre.csr" &&
        openssl x509 -req -in "$run/centre.csr" -CA "$run/centre-ca.pem" -CAkey "$run/centre-ca.key" -days 825 \
            -CAcreateserial -extfile <(printf 'subjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n') \
            -out "$run/centre.pem") >"$run/tls.log" 2>&1 || {
        cat "$run/tls.log"
        echo "Cannot make the centre's certificate in $run/ (is openssl installed?)."
        exit 1
    }
fi
cp "$run/centre-ca.pem" "$dist/centre-ca.pem" &&
    sed -i -e '/^URL *=/d' -e '/^CAFILE *=/d' -e "s|^\[DEFAULT\]\r\?\$|&\nURL=https://$listen\nCAFILE=centre-ca.pem|" \
        "$dist/EnvSet.ini" || exit 1
pages_listen=127.0.0.1:$(free_port 8081)
build/standins/centre-standin --listen "$listen" --data "$run/centre" --cipher "$dist/libKavrel.so" \
    --version "$announced" --tls-cert "$run/centre.pem" --tls-key "$run/centre.key" --pages "$pages_listen" \
    >"$run/centre.log" 2>&1 &
pids+=($!)
if ! wait_until_serving "$!" "$run/centre.log" centre_serves; then
    echo "The centre stand-in could not start (see above)."
    exit 1
fi

# The update stand-in hands out a copy of the client as built now, with a signed statement of the announced
# version, paced so that the download can be watched; the program folder gets the public key, so the updater
# accepts only files signed with it.
if [ ! -s "$run/update-sign.pem" ]; then
    openssl genpkey -algorithm ed25519 -out "$run/update-sign.pem" 2>/dev/null
fi
if ! openssl pkey -in "$run/update-sign.pem" -pubout -out "$dist/update-key.pem" 2>/dev/null ||
    ! cp "$dist/Halvren" "$run/update/Halvren"; then
    echo "Cannot prepare the signed update in $run/update/ (is openssl installed?)."
    exit 1
fi
build/standins/update-standin --listen "$update_listen" --file "$run/update/Halvren" --name Halvren --action 1 \
    --sign-key "$run/update-sign.pem" --version "$announced" --block-delay 1 >"$run/update.log" 2>&1 &
pids+=($!)
if ! wait_until_serving "$!" "$run/update.log" update_serves; then
    echo "The update stand-in could not start (see above)."
    [ "$offer" = 1 ] && exit 1
fi

echo "Centre stand-in on https://$listen/ (the client's channel, certificate from $run/centre-ca.pem), announcing $announced."
echo "Dispatcher's view: http://$pages_listen/ (this machine only; help page /Morvane/vesk/Help/help.jsp)."
echo "Update stand-in on $update_listen, handing out the client built now (signed as version $announced)."
echo "Logs: $run/centre.log, $run/update.log. Starting the client from $dist/."
# Waited for rather than run in the foreground, so that a stop signal to this script ends everything at once.
# An update replaces the file, so a new file there means the client was updated.
client_inode=$(stat -c %i "$dist/Halvren")
if [ "$headless" = 1 ]; then
    BROWSER="$PWD/scripts/viewer/help-address.sh" "$dist/Halvren" &
else
    "$dist/Halvren" &
fi
client=$!
pids+=("$client")
wait "$client"

# When the user agreed to update, the client has just started the updater. Keep the stand-ins and the display
# until the updater ends (it holds its lock while it runs) and, when it put a new client in place and started
# it again, until that client ends too.
if [ "$offer" = 1 ]; then
    locks=$("$dist/Updater" --print-locks)
    updater_lock=$(sed -n 's/^VeskUpdater=//p' <<<"$locks")
    client_lock=$(sed -n 's/^Halvren=//p' <<<"$locks")
    # Held by a process right now. Looked up in the system's lock table rather than tried, because a trial
    # would hold the lock for a moment and could turn away the very program that is starting.
    held() {
        local inode
        inode=$(stat -c %i "$1" 2>/dev/null) && grep -q ":$inode " /proc/locks
    }
    # Waits up to `tenths` tenths of a second for the lock to be taken, then until it is let go.
    wait_for_holder() {
        local lock=$1 tenths=$2 what=$3
        for _ in $(seq 1 "$tenths"); do
            if held "$lock"; then
                echo "$what runs; the stand-ins stay until it ends."
                flock "$lock" true &
                wait $!
                return
            fi
            sleep 0.1
        done
    }
    wait_for_holder "$updater_lock" 30 "The updater"
    if [ "$(stat -c %i "$dist/Halvren")" != "$client_inode" ]; then
        wait_for_holder "$client_lock" 100 "The updated client"
    fi
fi
