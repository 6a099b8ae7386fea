#!/usr/bin/env bash
# Installs Halvren for the person running it: the program folder in ~/.local/share/halvren/ (it stays writable,
# for the stored persons, the settings and the updater) and an entry in the desktop's menu. Nothing outside
# the home folder is touched. Run it from the unpacked folder; running it again over an older version keeps the
# stored persons and the machine binding and server address of the settings.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# What the program needs of the system, as Debian packages.
needed=(libqt6widgets6 qt6-qpa-plugins libcurl4 libssl3 fonts-nanum xdg-utils)
missing=()
for p in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Halvren needs these Debian packages first: ${missing[*]} (install them with: sudo apt-get install ${missing[*]})"
    exit 1
fi

data=${XDG_DATA_HOME:-$HOME/.local/share}
prefix=$data/halvren
mkdir -p "$prefix/images" "$data/applications" "$data/icons/hicolor/64x64/apps"

# One value of section DEFAULT of a settings file; empty when it is not there.
setting() {
    [ -f "$1" ] || return 0
    sed -n "s/^[[:space:]]*$2[[:space:]]*=[[:space:]]*\\([^\\r]*\\)\\r\\{0,1\\}$/\\1/p" "$1" | head -n 1 | sed 's/[[:space:]]*$//'
}
old_url=$(setting "$prefix/EnvSet.ini" URL)
old_regkey=$(setting "$prefix/EnvSet.ini" REGKEY)
old_cafile=$(setting "$prefix/EnvSet.ini" CAFILE)

# Each file is put in place whole: copied beside its place, then renamed over it.
place() {
    cp "$1" "$2.new" && chmod "$3" "$2.new" && mv -f "$2.new" "$2"
}
place "$here/Halvren" "$prefix/Halvren" 755
place "$here/Updater" "$prefix/Updater" 755
place "$here/libKavrel.so" "$prefix/libKavrel.so" 644
place "$here/TxtRes.rsc" "$prefix/TxtRes.rsc" 644
# The publisher's key, when the package brings one: from now on the updater takes only updates signed with it.
if [ -f "$here/update-key.pem" ]; then
    place "$here/update-key.pem" "$prefix/update-key.pem" 644
fi
# The unpacked folder may be deleted once installed; the uninstaller lives with the program.
place "$here/uninstall.sh" "$prefix/uninstall.sh" 755
for image in "$here"/images/*.bmp; do
    place "$image" "$prefix/images/$(basename "$image")" 644
done

# The settings of this version, with the server (and the authority its certificate is checked against) and the
# machine binding of the one before.
settings=$(mktemp "$prefix/.EnvSet.XXXXXX")
cp "$here/EnvSet.ini" "$settings"
if [ -n "$old_url" ]; then
    sed -i "s|^URL=.*|URL=$old_url\r|" "$settings"
fi
if [ -n "$old_cafile" ]; then
    sed -i '/^CAFILE[[:space:]]*=/d' "$settings"
    printf 'CAFILE=%s\r\n' "$old_cafile" >>"$settings"
fi
if [ -n "$old_regkey" ]; then
    printf 'REGKEY=%s\r\n' "$old_regkey" >>"$settings"
fi
chmod 644 "$settings"
mv -f "$settings" "$prefix/EnvSet.ini"

place "$here/halvren.png" "$data/icons/hicolor/64x64/apps/halvren.png" 644
entry=$(mktemp "$data/applications/.halvren.XXXXXX")
cat >"$entry" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Halvren
Name[ko]=Halvren 인터넷 119 신고
GenericName=Emergency report
GenericName[ko]=긴급 신고
Comment=Report a fire or an emergency to the fire-and-rescue reporting centre over the internet
Comment[ko]=화재나 긴급 상황을 인터넷으로 소방 신고센터에 알립니다
Exec="$prefix/Halvren"
Icon=halvren
Terminal=false
Categories=Utility;
Keywords=119;emergency;fire;ambulance;신고;화재;구급;
StartupNotify=true
DESKTOP
chmod 644 "$entry"
mv -f "$entry" "$data/applications/halvren.desktop"
command -v update-desktop-database >/dev/null && update-desktop-database -q "$data/applications" 2>/dev/null || true

echo "Halvren is installed in $prefix and in the menu (Utilities). Remove it again with: $prefix/uninstall.sh"
