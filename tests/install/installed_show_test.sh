#!/usr/bin/env bash
# Run on a 640x480 X server: `cmake --install` into a scratch prefix, then the
# installed show started from / (it finds its media beside itself and shows
# the opening), from a folder with a resource list of its own (that list
# wins), and a copy with no media anywhere (the message names every place);
# the installed capture tool finds its show by the same rule.
#
#   installed_show_test.sh BUILD_DIR SCENE_CHECK SHOT_DIR
set -uo pipefail
set -m

build=${1:?usage: installed_show_test.sh BUILD_DIR SCENE_CHECK SHOT_DIR}
check=${2:?}
shots=${3:?}
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/show_window.sh
source "$(dirname "$0")/../support/show_window.sh"
mkdir -p "$shots"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" || { cat "$scratch/install.log" >&2; exit 1; }
id=org.pixelfolk.EnjoyDance
for file in bin/pixelfolk bin/pixelfolk-capture share/pixelfolk/resinfo.rli share/pixelfolk/demo.xm \
  share/pixelfolk/data/jpgs/font.jpg "share/pixelfolk/data/animations/greets/greets 64.jpg" \
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/128x128/apps/$id.png \
  share/icons/hicolor/256x256/apps/$id.png share/man/man6/pixelfolk.6.gz share/doc/pixelfolk/copyright; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
for size in 48 128 256; do
  got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done

# shot NAME DIR ARGS...: starts the show in DIR, takes a screenshot 5 s into
# the show, ends it with Escape; the exit code is in $code.
shot() {
  local name=$1 dir=$2
  shift 2
  (cd "$dir" && exec "$@") 2>"$shots/$name.stderr" &
  local pid=$!
  local window
  if ! window=$(wait_for_window "$pid" 30); then
    kill "$pid" 2>/dev/null
    wait "$pid"
    code=$?
    return 1
  fi
  sleep 5
  import -window root "$shots/$name.png"
  escape_window "$window"
  wait "$pid"
  code=$?
}

if shot installed-from-root / "$prefix/bin/pixelfolk" && [ "$code" -eq 0 ] && "$check" opening "$shots/installed-from-root.png"; then
  echo "ok   installed show started from /"
else
  fail "installed show from /: exit code $code, stderr:"; sed 's/^/     /' "$shots/installed-from-root.stderr" >&2
fi

# A folder with its own list, naming a plain green backdrop where the
# installed list names the nebula; everything else links to the installed media.
own=$scratch/own
mkdir -p "$own/data/jpgs"
sed 's/^backdrop 1/greenback 1/' "$prefix/share/pixelfolk/resinfo.rli" >"$own/resinfo.rli"
grep -q '^greenback 1' "$own/resinfo.rli" || fail "the installed list has no backdrop line to replace"
ln -s "$prefix/share/pixelfolk/demo.xm" "$own/demo.xm"
ln -s "$prefix/share/pixelfolk/data/animations" "$own/data/animations"
for picture in "$prefix"/share/pixelfolk/data/jpgs/*.jpg; do ln -s "$picture" "$own/data/jpgs/"; done
convert -size 640x480 xc:'#00ff00' -quality 95 "$own/data/jpgs/greenback.jpg"
if shot own-list "$own" "$prefix/bin/pixelfolk" && [ "$code" -eq 0 ]; then
  left=$(convert "$shots/own-list.png" -crop 100x180+0+150 +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:)
  if awk -v m="$left" 'BEGIN { split(m, c, " "); exit !(c[1] < 0.05 && c[2] > 0.95 && c[3] < 0.05) }'; then
    echo "ok   the working directory's own list is used (green backdrop: $left)"
  else
    fail "own list: the backdrop at the left edge is $left, not green"
  fi
else
  fail "own list: exit code $code, stderr:"; sed 's/^/     /' "$shots/own-list.stderr" >&2
fi

# The executable alone in another prefix finds nothing and says where it looked.
mkdir -p "$scratch/bare/bin" && cp "$prefix/bin/pixelfolk" "$scratch/bare/bin/"
# Headless, so that the message goes to standard error only and no box waits.
(cd / && SDL_VIDEODRIVER=offscreen exec "$scratch/bare/bin/pixelfolk") >/dev/null 2>"$scratch/err"
code=$?
want="Error: Couldn't find resinfo.rli in / or $scratch/bare/share/pixelfolk."
if [ "$code" -eq 1 ] && grep -qxF "$want" "$scratch/err"; then
  echo "ok   no media anywhere: exit code 1, every place named"
else
  fail "no media: exit code $code, stderr:"; sed 's/^/     /' "$scratch/err" >&2
fi

# The installed capture tool finds the same show without -C, and a bare copy
# of it says where it looked.
(cd / && exec "$prefix/bin/pixelfolk-capture" -q --frame-at 6 --png "$shots/captured-opening.png") 2>"$scratch/err"
code=$?
if [ "$code" -eq 0 ] && "$check" opening "$shots/captured-opening.png"; then
  echo "ok   the installed capture tool renders the opening from / without -C"
else
  fail "installed capture: exit code $code, stderr:"; sed 's/^/     /' "$scratch/err" >&2
fi
cp "$prefix/bin/pixelfolk-capture" "$scratch/bare/bin/"
(cd / && exec "$scratch/bare/bin/pixelfolk-capture" -q --frame-at 6 --png "$scratch/never.png") 2>"$scratch/err"
code=$?
if [ "$code" -ne 0 ] && grep -qF "Couldn't find resinfo.rli in / or $scratch/bare/share/pixelfolk. Name the show's folder with -C." "$scratch/err" &&
  [ ! -e "$scratch/never.png" ]; then
  echo "ok   a capture tool without a show names every place it looked (exit code $code)"
else
  fail "bare capture: exit code $code, stderr:"; sed 's/^/     /' "$scratch/err" >&2
fi

finish
