#!/usr/bin/env bash
# Installs the build into a scratch tree and checks what the desktop reads there: the icons,
# the desktop entry, the AppStream metadata, the file managers' actions and the manual page.
# Usage: desktop_files.sh BUILD-DIR SCRATCH-DIR
set -u
build=$1
root=$2/installed
rm -rf "$root"
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || { echo "install failed"; exit 1; }
share=$root/usr/share
bad=0
fail() { echo "$*"; bad=1; }

for file in bin/vellumark bin/vellumark-icons bin/vellumark-reslist \
	share/applications/vellumark.desktop share/metainfo/org.example.vellumark.metainfo.xml \
	share/kio/servicemenus/vellumark-folder-icon.desktop \
	share/kio/servicemenus/vellumark-repair-folder-icons.desktop \
	share/nemo/actions/vellumark-folder-icon.nemo_action \
	share/nemo/actions/vellumark-repair-folder-icons.nemo_action share/man/man1/vellumark.1.gz \
	share/man/man1/vellumark-icons.1.gz share/man/man1/vellumark-reslist.1.gz; do
	[ -s "$root/usr/$file" ] || fail "not installed: /usr/$file"
done
for size in 16 32 48 64 128 256; do
	[ -s "$share/icons/hicolor/${size}x$size/apps/vellumark.png" ] || fail "no ${size}-pixel icon"
done

out=$(desktop-file-validate "$share/applications/vellumark.desktop" 2>&1)
[ -z "$out" ] || fail "$out"

# No error, no warning, not even a pedantic remark.
out=$(appstreamcli validate --no-net --pedantic --no-color \
	"$share/metainfo/org.example.vellumark.metainfo.xml" 2>&1) || fail "$out"
grep -qE '^[EWIP]:' <<<"$out" && fail "$out"
grep -q '<launchable type="desktop-id">vellumark.desktop<' "$share/metainfo/"*.xml \
	|| fail "the metainfo does not launch vellumark.desktop"

# A service menu is a desktop entry of KDE's own type "Service", which the validator knows
# only as far as keys that it allows for applications alone; anything else is a fault.
# Setting an icon applies to files and folders, repairing to folders only: two menus.
for name in vellumark-folder-icon vellumark-repair-folder-icons; do
	menu=$share/kio/servicemenus/$name.desktop
	out=$(desktop-file-validate "$menu" 2>&1 | grep -v 'but the type is "Service" while this key is only valid for type "Application"')
	[ -z "$out" ] || fail "$out"

	# A Nemo action is a key file of the same syntax under its own group; checked as an
	# application entry, with Nemo's own keys marked as extensions and its own field code for
	# the folder shown, %P, taken as a file's.
	action=$2/$name.desktop
	sed -E -e 's/^\[Nemo Action\]$/[Desktop Entry]\nType=Application/' \
		-e 's/^(Icon-Name|Selection|Extensions|Dependencies|Quote)=/X-Nemo-\1=/' -e '/^Exec=/s/%P/%f/' \
		"$share/nemo/actions/$name.nemo_action" >"$action"
	out=$(desktop-file-validate "$action" 2>&1)
	[ -z "$out" ] || fail "$out"
	for key in Name Exec Selection Extensions; do
		grep -q "^$key=" "$share/nemo/actions/$name.nemo_action" || fail "Nemo action $name without $key"
	done
	grep -q '^MimeType=' "$share/nemo/actions/$name.nemo_action" && fail "Nemo action $name claims file types"
done

for file in "$share/kio/servicemenus/vellumark-folder-icon.desktop" \
	"$share/nemo/actions/vellumark-folder-icon.nemo_action"; do
	grep -qx 'Exec=vellumark --refs %F' "$file" || fail "$file does not run vellumark --refs %F"
done
grep -qx 'MimeType=inode/directory;' "$share/kio/servicemenus/vellumark-repair-folder-icons.desktop" \
	|| fail "the repair menu is not for folders alone"
grep -qx 'Exec=vellumark-icons repair -r %f' "$share/kio/servicemenus/vellumark-repair-folder-icons.desktop" \
	|| fail "the repair menu does not run vellumark-icons repair -r %f"
grep -qx 'Exec=vellumark-icons repair -r %P' "$share/nemo/actions/vellumark-repair-folder-icons.nemo_action" \
	|| fail "the repair action does not run vellumark-icons repair -r on the folder shown"

for page in vellumark vellumark-icons vellumark-reslist; do
	out=$(zcat "$root/usr/share/man/man1/$page.1.gz" | LC_ALL=C.UTF-8 groff -t -man -ww -z -K utf8 2>&1)
	[ -z "$out" ] || fail "manual page of $page: $out"
done
for section in SYNOPSIS OPTIONS 'STORED ATTRIBUTES' 'PUBLISHED IMAGES' ENVIRONMENT; do
	zcat "$root/usr/share/man/man1/vellumark.1.gz" | grep -q "^\.SH $section" || fail "manual page without $section"
done
for section in SYNOPSIS COMMANDS OPTIONS 'EXIT STATUS'; do
	zcat "$root/usr/share/man/man1/vellumark-icons.1.gz" | grep -q "^\.SH $section" \
		|| fail "vellumark-icons's manual page without $section"
done

# The licence, in the AppStream data.
grep -q '<project_license>MIT</project_license>' "$share/metainfo/"*.xml || fail "the metainfo names no MIT licence"

exit $bad
