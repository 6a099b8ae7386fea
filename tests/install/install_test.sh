#!/usr/bin/env bash
# Packs the built program folder as `make dist` does, installs it into a home of its own and checks what a
# person gets: a valid menu entry whose command starts the client, a complete program folder, a reinstall that
# keeps the stored persons and the settings' binding and server, and an uninstall that keeps them too.
#
#   install_test.sh <program folder> <icon png> <centre stand-in>
set -euo pipefail
dist=$(cd "$1" && pwd)
icon=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
centre_program=$3
work=$(mktemp -d)
centre=
cleanup() {
    [ -n "$centre" ] && kill "$centre" 2>/dev/null && wait "$centre" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

# The publisher's key pair: only its public half may go into the package.
openssl genpkey -algorithm ed25519 -out "$work/sign.pem" 2>/dev/null
openssl pkey -in "$work/sign.pem" -pubout -out "$work/public.pem"
! bash "$(dirname "$0")/../../scripts/dist.sh" "$dist" "$icon" "$work/refused.tar.gz" "$work/sign.pem" 2>/dev/null ||
    fail "a private key was packed"
[ ! -e "$work/refused.tar.gz" ] || fail "a package was made with a private key"
bash "$(dirname "$0")/../../scripts/dist.sh" "$dist" "$icon" "$work/halvren-test-linux-x86_64.tar.gz" "$work/public.pem" >/dev/null
tar -C "$work" -xzf "$work/halvren-test-linux-x86_64.tar.gz"
package=$work/halvren-test-linux-x86_64
[ ! -e "$package/Person.std" ] || fail "the package carries a person file"
! grep -q '^REGKEY=' "$package/EnvSet.ini" || fail "the package carries a machine binding"

home=$work/home
mkdir -p "$home"
install() { env -u XDG_DATA_HOME HOME="$home" bash "$package/install.sh" >"$work/install.log" || fail "install.sh: $(cat "$work/install.log")"; }
install
prefix=$home/.local/share/halvren
entry=$home/.local/share/applications/halvren.desktop
for f in Halvren Updater libKavrel.so EnvSet.ini TxtRes.rsc uninstall.sh; do
    [ -f "$prefix/$f" ] || fail "$f is missing from the program folder"
done
cmp -s "$work/public.pem" "$prefix/update-key.pem" || fail "the publisher's key is not in the program folder"
grep -q "$prefix/uninstall.sh" "$work/install.log" || fail "install.sh does not say where the uninstaller is"
[ "$(ls "$prefix/images" | wc -l)" -eq 69 ] || fail "the program folder has $(ls "$prefix/images" | wc -l) skin files"
[ -f "$home/.local/share/icons/hicolor/64x64/apps/halvren.png" ] || fail "no icon"
desktop-file-validate "$entry" || fail "the menu entry is not valid"
grep -q '^Name\[ko\]=' "$entry" || fail "the menu entry has no Korean name"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ "$exec_line" = "\"$prefix/Halvren\"" ] || fail "the menu entry starts $exec_line"

# The command of the menu entry starts the client, which asks the centre for the version.
"$centre_program" --listen 127.0.0.1:0 --data "$work/centre" --cipher "$prefix/libKavrel.so" >"$work/centre.log" 2>&1 &
centre=$!
source "$(dirname "$0")/../../scripts/serving-host.sh"
host=$(serving_host "$work/centre.log")
[ -n "$host" ] || fail "the centre stand-in did not start"
sed -i "s|^URL=.*|URL=$host\r|" "$prefix/EnvSet.ini"
set +e
(cd "$home" && env HOME="$home" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen timeout 5 \
    bash -c "eval exec $exec_line") >"$work/client.log" 2>&1
status=$?
set -e
[ "$status" -eq 124 ] || fail "the client ended by itself ($status): $(cat "$work/client.log")"
grep -q "003" "$work/centre.log" || fail "the client never asked the centre: $(cat "$work/centre.log")"

# A reinstall keeps the stored persons and the binding and server of the settings.
printf 'persons of this machine' >"$prefix/Person.std"
sed -i "s|^URL=.*|URL=https://centre.example:8443\r|" "$prefix/EnvSet.ini"
printf 'CAFILE=centre-ca.pem\r\n' >>"$prefix/EnvSet.ini"
grep -q '^REGKEY=' "$prefix/EnvSet.ini" || fail "the client wrote no machine binding"
regkey=$(grep '^REGKEY=' "$prefix/EnvSet.ini")
install
[ "$(cat "$prefix/Person.std")" = "persons of this machine" ] || fail "a reinstall changed the person file"
grep -q "^URL=https://centre.example:8443" "$prefix/EnvSet.ini" || fail "a reinstall lost the server"
grep -q "^CAFILE=centre-ca.pem" "$prefix/EnvSet.ini" || fail "a reinstall lost the centre's authority"
[ "$(grep '^REGKEY=' "$prefix/EnvSet.ini")" = "$regkey" ] || fail "a reinstall lost the machine binding"
[ "$(grep -c '^REGKEY=' "$prefix/EnvSet.ini")" -eq 1 ] || fail "the binding stands twice"
grep -q '^CURRENT_VERSION=' "$prefix/EnvSet.ini" || fail "the installed version is gone"

# The unpacked folder is deleted by now: the program folder's uninstaller keeps the persons unless asked to purge.
rm -rf "$package"
env -u XDG_DATA_HOME HOME="$home" bash "$prefix/uninstall.sh" >/dev/null
[ ! -e "$entry" ] && [ ! -e "$prefix/Halvren" ] || fail "uninstall left the program"
[ -f "$prefix/Person.std" ] || fail "uninstall removed the stored persons"
env -u XDG_DATA_HOME HOME="$home" bash "$prefix/uninstall.sh" --purge >/dev/null
[ ! -e "$prefix" ] || fail "purge left $prefix"
echo "install, reinstall and uninstall behave"
