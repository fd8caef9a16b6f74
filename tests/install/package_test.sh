#!/usr/bin/env bash
# Run on a 640x480 X server: the Debian package against what `cmake --install`
# puts in place, checked by lintian and by the desktop, AppStream and manual
# page tools, then unpacked with dpkg -x into a scratch root and run from
# there with --mute: the opening appears and the music still moves the show
# on to the title.
#
#   package_test.sh DEB BUILD_DIR SCENE_CHECK SHOT_DIR
set -uo pipefail
set -m

deb=${1:?usage: package_test.sh DEB BUILD_DIR SCENE_CHECK SHOT_DIR}
build=${2:?}
check=${3:?}
shots=${4:?}
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/show_window.sh
source "$(dirname "$0")/../support/show_window.sh"
id=org.pixelfolk.EnjoyDance
mkdir -p "$shots"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# 1. The package holds exactly the installed files, stripped as CPack does.
DESTDIR=$scratch/stage cmake --install "$build" --prefix /usr --strip >/dev/null || fail "cmake --install failed"
(cd "$scratch/stage" && find . ! -type d \( -type l -printf '%p -> %l\n' -o -printf '%p\n' \) | sed 's|^\./|/|' |
  LC_ALL=C sort) >"$scratch/installed.txt"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); sub(/^\./, ""); print }' |
  LC_ALL=C sort >"$scratch/packaged.txt"
if diff -u "$scratch/installed.txt" "$scratch/packaged.txt" >"$scratch/layout.diff"; then
  echo "ok   dpkg-deb -c lists the installed layout ($(wc -l <"$scratch/packaged.txt") files)"
else
  fail "package and installed layout differ:"; cat "$scratch/layout.diff" >&2
fi
for file in /usr/bin/pixelfolk /usr/bin/pixelfolk-capture /usr/share/pixelfolk/resinfo.rli \
  /usr/share/pixelfolk/demo.xm /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
  /usr/share/icons/hicolor/48x48/apps/$id.png /usr/share/icons/hicolor/128x128/apps/$id.png \
  /usr/share/icons/hicolor/256x256/apps/$id.png /usr/share/man/man6/pixelfolk.6.gz \
  /usr/share/doc/pixelfolk/copyright; do
  grep -qxF "$file" "$scratch/packaged.txt" || fail "the package lacks $file"
done
grep -qxF "/usr/games/pixelfolk -> ../bin/pixelfolk" "$scratch/packaged.txt" || fail "no link from /usr/games"
grep -qvE '^/usr/' "$scratch/packaged.txt" && fail "files outside /usr: $(grep -vE '^/usr/' "$scratch/packaged.txt")"

# 2. The control fields: computed dependencies, maintainer, section.
control=$(dpkg-deb -f "$deb")
echo "     ${control//$'\n'/$'\n     '}"
echo "$control" | grep -q '^Depends: .*libsdl2' || fail "no computed dependency on SDL"
echo "$control" | grep -q '^Depends: .*libxmp' || fail "no computed dependency on libxmp"
echo "$control" | grep -q '^Maintainer: .*<.*@.*>' || fail "no maintainer address"
echo "$control" | grep -qx 'Section: games' || fail "not in section games"
echo "$control" | grep -q '^Recommends: .*zenity' || fail "zenity, which shows the error boxes on Wayland, not recommended"

# 3. lintian: errors fail; the rest is shown.
lintian --fail-on error --display-info "$deb" >"$scratch/lintian.txt" 2>&1
lintian_code=$?
sed 's/^/     lintian: /' "$scratch/lintian.txt"
if [ "$lintian_code" -eq 0 ]; then echo "ok   lintian reports no error"; else fail "lintian reports errors"; fi

# 4. The unpacked files, as a desktop sees them.
root=$scratch/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
if desktop-file-validate "$root/usr/share/applications/$id.desktop"; then
  echo "ok   desktop-file-validate"
else
  fail "desktop-file-validate"
fi
if appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"; then
  echo "ok   appstreamcli validate --no-net"
else
  fail "appstreamcli validate"
fi
for page in pixelfolk pixelfolk-capture; do
  if warnings=$(cd "$root/usr/share/man" && MANWIDTH=80 man --warnings -l "man6/$page.6.gz" 2>&1 >"$scratch/$page.txt") &&
    [ -z "$warnings" ] && grep -q "pixelfolk-capture" "$scratch/$page.txt"; then
    echo "ok   man -l man6/$page.6.gz renders ($(wc -l <"$scratch/$page.txt") lines)"
  else
    fail "man -l $page: $warnings"
  fi
done

# 5. The unpacked show, started from /, with --mute and the real sound
# driver choice left to SDL.
unset SDL_AUDIODRIVER
(cd / && exec "$root/usr/bin/pixelfolk" --mute) 2>"$shots/unpacked.stderr" &
pid=$!
if ! window=$(wait_for_window "$pid" 30); then
  kill "$pid" 2>/dev/null
  wait "$pid"
  fail "the unpacked show opened no window (exit code $?):"; sed 's/^/     /' "$shots/unpacked.stderr" >&2
else
  start=$(date +%s%N)
  at() { while [ $((($(date +%s%N) - start) / 1000000)) -lt "$1" ]; do sleep 0.05; done; }
  titleAt=$("$check" times "$root/usr/share/pixelfolk/demo.xm" | awk '$1 == "title" { printf "%d", $2 * 1000 }')
  at 6000
  import -window root "$shots/unpacked-opening.png"
  "$check" opening "$shots/unpacked-opening.png" || fail "no opening from the unpacked package"
  at "$titleAt"
  import -window root "$shots/unpacked-title.png"
  (cd "$root/usr/share/pixelfolk" && "$check" title "$shots/unpacked-title.png") ||
    fail "the muted music did not bring the title in"
  escape_window "$window"
  wait "$pid"
  code=$?
  if [ "$code" -eq 0 ] && ! grep -q "Sound unavailable" "$shots/unpacked.stderr"; then
    echo "ok   the unpacked show ran from / with --mute: opening, then the title at $titleAt ms"
  else
    fail "unpacked show: exit code $code, stderr:"; sed 's/^/     /' "$shots/unpacked.stderr" >&2
  fi
fi

finish
