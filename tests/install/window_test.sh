#!/usr/bin/env bash
# Run on an X server larger than the windows: --window=WxH puts the show in a
# window of that size, the 4:3 picture scaled into it (black bars when the
# window is not 4:3), and the opening scene checked inside. Screenshots are
# kept in SHOT_DIR.
#
#   window_test.sh SHOW_EXECUTABLE SCENE_CHECK SHOT_DIR
set -uo pipefail
set -m

show=${1:?usage: window_test.sh SHOW_EXECUTABLE SCENE_CHECK SHOT_DIR}
check=${2:?}
shots=${3:?}
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck source=../support/show_window.sh
source "$(dirname "$0")/../support/show_window.sh"
mkdir -p "$shots"

# Mean of each colour channel (0..1) in a region of a PNG: "r g b".
means() { convert "$1" -crop "$2" +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:; }
isBlack() { awk -v m="$1" 'BEGIN { split(m, c, " "); exit !(c[1] < 0.01 && c[2] < 0.01 && c[3] < 0.01) }'; }

# NAME WxH PICTURE-WxH PICTURE-X PICTURE-Y: the picture's place inside the window.
window_case() {
  local name=$1 size=$2 picture=$3 px=$4 py=$5
  cd / || exit 1
  "$show" --window="$size" 2>"$shots/$name.stderr" &
  local pid=$!
  local id
  if ! id=$(wait_for_window "$pid" 30); then
    fail "$name: no window: $(cat "$shots/$name.stderr")"
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    return
  fi
  sleep 5  # well into the opening
  local x y w h
  read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                                              /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }')
  import -window root "$shots/$name-screen.png"
  escape_window "$id"
  wait "$pid"
  local code=$?
  [ "$code" -eq 0 ] || fail "$name: Escape ended the show with code $code"
  [ "${w}x${h}" = "$size" ] || fail "$name: the window is ${w}x${h}, not $size"

  # The window as the screen shows it, then the picture inside it, brought
  # back to 640x480 for the scene check.
  convert "$shots/$name-screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$shots/$name-window.png"
  convert "$shots/$name-window.png" -crop "${picture}+${px}+${py}" +repage -filter point -resize '640x480!' \
    "$shots/$name-picture.png"
  "$check" opening "$shots/$name-picture.png" || fail "$name: no opening scene in the picture"
  if [ "$px" -gt 0 ]; then
    isBlack "$(means "$shots/$name-window.png" "${px}x${h}+0+0")" || fail "$name: the left bar is not black"
  fi
  if [ "$py" -gt 0 ]; then
    isBlack "$(means "$shots/$name-window.png" "${w}x${py}+0+0")" || fail "$name: the top bar is not black"
  fi
  echo "ok   $name: ${w}x${h} window at $x,$y, picture $picture at $px,$py"
}

window_case window-800x600 800x600 800x600 0 0
window_case window-1000x600 1000x600 800x600 100 0
window_case window-640x600 640x600 640x480 0 60

finish
