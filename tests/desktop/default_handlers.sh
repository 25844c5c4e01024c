#!/usr/bin/env bash
# Installs Vellumark for one user into a fresh home, the way the README says, lets the desktop
# database see it, and asks GIO which application opens folders and common files. Vellumark
# badges the parent folder of whatever it is handed, so it must never be anyone's default.
# Usage: default_handlers.sh BUILD_DIR
set -euo pipefail
build=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

cmake --install "$build" --prefix "$home/.local" >/dev/null
apps=$home/.local/share/applications
desktop-file-validate "$apps/vellumark.desktop"

# A probe entry that does claim a type of its own shows that GIO sees this install at all.
sed -e 's/^Name=.*/Name=Probe/' "$apps/vellumark.desktop" >"$apps/vellumark-probe.desktop"
echo 'MimeType=application/x-vellumark-probe;' >>"$apps/vellumark-probe.desktop"
update-desktop-database "$apps"

types=(inode/directory application/octet-stream text/plain application/pdf image/png
	application/x-executable)
ask() { # DATA_DIRS DESKTOP TYPE: GIO's first line about TYPE
	env -i PATH="$home/.local/bin:$PATH" HOME="$home" XDG_DATA_HOME="$home/.local/share" \
		XDG_CONFIG_HOME="$home/.config" XDG_DATA_DIRS="$1" XDG_CURRENT_DESKTOP="$2" \
		gio mime "$3" 2>&1 | sed -n 1p
}

# The user's own bin folder is on PATH, as Debian's ~/.profile puts it: GIO only offers
# applications whose program it finds.
# Once with the system's applications, once with none, where any claim at all would win.
mkdir -p "$home/empty"
failed=0
probe=$(ask "$home/empty" "" application/x-vellumark-probe)
if [[ $probe != *vellumark-probe.desktop* ]]; then
	echo "FAIL: GIO does not see the installed entries: $probe"
	failed=1
fi
for system in /usr/local/share:/usr/share "$home/empty"; do
	for desktop in "" GNOME KDE X-Cinnamon; do
		for type in "${types[@]}"; do
			default=$(ask "$system" "$desktop" "$type")
			if [[ $default == *vellumark* ]]; then
				echo "FAIL: ${desktop:-no desktop}, system data in $system: $default"
				failed=1
			fi
		done
	done
done
[ "$failed" -eq 0 ] && echo "Vellumark is the default for none of: ${types[*]}"
exit "$failed"
