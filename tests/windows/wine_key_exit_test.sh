#!/usr/bin/env bash
# Run on an X server (scripts/with-xvfb): with no sound device to be had (SDL
# is pointed at a driver that does not exist), the show under Wine runs on
# its silent output, and a key that ends it (Alt+F4 goes through Windows' own
# close request) ends it with exit code 0. It is started from another folder,
# as a shortcut or a file manager may do: it finds its media beside itself.
#
#   wine_key_exit_test.sh RELEASE.zip WORK_DIR KEY
set -uo pipefail
zip=${1:?usage: wine_key_exit_test.sh RELEASE.zip WORK_DIR KEY}
work=${2:?}
key=${3:?}
source "$(dirname "$0")/wine_env.sh"

rm -rf "$work" && mkdir -p "$work/release" "$work/elsewhere" || exit 1

dir=$(unpack "$zip" "$work/release") || { check 1 "unpack $zip"; finish; }
start_show "$work/elsewhere" "$dir/pixelfolk.exe" SDL_AUDIODRIVER=no-such-driver SDL_RENDER_DRIVER=software
window=$(wait_for_window "$show_pid" 60)
check $? "the show's window opens"
[ -n "$window" ] || finish
sleep 3
kill -0 "$show_pid" 2>/dev/null
check $? "the show keeps running without sound"
# The C runtime writes Windows line ends.
tr -d '\r' <"$work/stderr.txt" | grep -q '^Sound unavailable (.*): the music plays silently$'
check $? "it says on standard error that the music plays silently"
press_key "$window" "$key"
wait_exit 15
code=$?
[ "$code" -eq 0 ]
check $? "$key ends the show with exit code 0 (got $code)"
finish
