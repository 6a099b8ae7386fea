#!/usr/bin/env bash
# Packs a program folder into the tarball a person installs Halvren from: the program, the updater, the
# cipher library, the settings, the text table, the skin, the icon, install.sh and uninstall.sh.
#
#   dist.sh <program folder> <icon png> <output .tar.gz>
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$1
icon=$2
out=$3

name=$(basename "$out" .tar.gz)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name/images"
# Only what belongs to an installation: never a person file, a download or a key of this machine.
for f in Halvren Updater libKavrel.so EnvSet.ini TxtRes.rsc; do
    cp "$folder/$f" "$stage/$name/"
done
cp "$folder"/images/*.bmp "$stage/$name/images/"
cp "$icon" "$stage/$name/halvren.png"
cp assets/install/install.sh assets/install/uninstall.sh "$stage/$name/"
chmod 755 "$stage/$name/install.sh" "$stage/$name/uninstall.sh" "$stage/$name/Halvren" "$stage/$name/Updater"
# A settings file without any machine's binding.
sed -i '/^REGKEY=/d' "$stage/$name/EnvSet.ini"
tar -C "$stage" --owner=0 --group=0 -czf "$out.tmp" "$name"
mv -f "$out.tmp" "$out"
echo "$out ($(du -h "$out" | cut -f1))"
