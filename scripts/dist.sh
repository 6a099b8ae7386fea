#!/usr/bin/env bash
# Packs a program folder into the tarball a person installs Halvren from: the program, the updater, the
# cipher library, the settings, the text table, the skin, the icon, install.sh and uninstall.sh; with a public
# key, also that key as update-key.pem, so that the installed updater takes only updates signed with it.
#
#   dist.sh <program folder> <icon png> <output .tar.gz> [Ed25519 public key, PEM]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$1
icon=$2
out=$3
key=${4:-}

# Only an Ed25519 public key goes into a package; a private key would hand the power to sign to everyone.
if [ -n "$key" ]; then
    if ! openssl pkey -pubin -in "$key" -noout 2>/dev/null ||
        ! openssl pkey -pubin -in "$key" -text -noout 2>/dev/null | grep -q '^ED25519 Public-Key'; then
        echo "dist.sh: $key is not an Ed25519 public key in PEM form (make one with: openssl pkey -in private.pem -pubout -out public.pem)" >&2
        exit 1
    fi
fi

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
if [ -n "$key" ]; then
    cp "$key" "$stage/$name/update-key.pem"
    chmod 644 "$stage/$name/update-key.pem"
fi
cp assets/install/install.sh assets/install/uninstall.sh "$stage/$name/"
chmod 755 "$stage/$name/install.sh" "$stage/$name/uninstall.sh" "$stage/$name/Halvren" "$stage/$name/Updater"
# A settings file without any machine's binding.
sed -i '/^REGKEY=/d' "$stage/$name/EnvSet.ini"
tar -C "$stage" --owner=0 --group=0 -czf "$out.tmp" "$name"
mv -f "$out.tmp" "$out"
echo "$out ($(du -h "$out" | cut -f1))"
