#!/usr/bin/env bash
# Removes Halvren of the person running it: the program and its menu entry. The stored persons and the
# settings stay, so that a later install finds them, unless "--purge" is given; so does this script, which
# install.sh put in the program folder, to purge them later.
set -euo pipefail
data=${XDG_DATA_HOME:-$HOME/.local/share}
prefix=$data/halvren

rm -f "$data/applications/halvren.desktop" "$data/icons/hicolor/64x64/apps/halvren.png"
command -v update-desktop-database >/dev/null && update-desktop-database -q "$data/applications" 2>/dev/null || true
if [ "${1:-}" = --purge ]; then
    rm -rf "$prefix"
    echo "Halvren and everything it kept are removed."
    exit 0
fi
rm -rf "$prefix/images" "$prefix/Down"
rm -f "$prefix/Halvren" "$prefix/Updater" "$prefix/libKavrel.so" "$prefix/TxtRes.rsc"
echo "Halvren is removed. Its stored persons and settings stay in $prefix (remove them with: $prefix/uninstall.sh --purge)."
