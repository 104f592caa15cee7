#!/usr/bin/env bash
# Installs the game under a temporary DESTDIR with the /usr layout of the
# package, checks the installed files with the desktop's own validators, then
# plays a few frames of the installed game from an unrelated folder with a
# home folder of its own: the sounds must be found from the executable's
# folder, the best score must land in the per-user folder, and the working
# folder must stay untouched.
# Usage: install_test.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2

root=$(mktemp -d "${TMPDIR:-/tmp}/rezarudev-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
fail() {
    echo "install_test: $*" >&2
    exit 1
}

DESTDIR="$root/dest" "$cmake" --install "$build" --prefix /usr >/dev/null
usr="$root/dest/usr"

[[ -x $usr/games/rezarudev ]] || fail "no executable in /usr/games"
sounds=("$usr"/share/games/rezarudev/*.ogg)
((${#sounds[@]} == 18)) || fail "${#sounds[@]} sound files installed, not 18"
for size in 16 32 48 64 128 256; do
    icon="$usr/share/icons/hicolor/${size}x${size}/apps/rezarudev.png"
    file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "bad icon: $(file "$icon")"
done
desktop="$usr/share/applications/rezarudev.desktop"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
command=$(sed -n 's/^Exec=//p' "$desktop")
[[ -x $usr/games/$command ]] || fail "the desktop entry runs '$command', which is not installed"
appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "metainfo does not validate: $(appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml)"
page="$usr/share/man/man6/rezarudev.6.gz"
gzip -t "$page" 2>/dev/null || fail "the man page is not compressed"
warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
[[ -z $warnings ]] || fail "man page warnings: $warnings"
[[ -f $usr/share/doc/rezarudev/LICENSE && -f $usr/share/doc/rezarudev/font-LICENSE.txt ]] || fail "licences missing"

work="$root/work"
home="$root/home"
mkdir -p "$work" "$home"
# A server of its own: the game waits while another test's window has the focus.
server=$((5200 + $$ % 4000))
(cd "$work" && env HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    SDL_AUDIODRIVER=dummy timeout 120 xvfb-run -a -n "$server" -s "-screen 0 1024x768x24" \
    "$usr/games/rezarudev" --windowed --fast --frames 20 >/dev/null 2>"$root/stderr.txt") ||
    fail "the installed game failed: $(cat "$root/stderr.txt")"
! grep -q "cannot load sound" "$root/stderr.txt" || fail "$(cat "$root/stderr.txt")"
best="$home/.local/share/rezarudev/hiscore.dat"
[[ $(stat -c %s "$best" 2>/dev/null) == 4 ]] || fail "no 4-byte best score in $best"
left=$(find "$work" -mindepth 1)
[[ -z $left ]] || fail "the game left files in its working folder: $left"
echo "install_test: installed files, desktop entry, metainfo, man page and a run from another folder are fine"
