#!/usr/bin/env bash
# A person at the live screen. Velomar and Cumulor run one after the other with their live SDL2
# window on a virtual X display (Xvfb); xdotool moves the pointer, taps and presses keys in that
# window as a person would; the effects are checked in the device folder and in screenshots of
# the X display (ImageMagick's import), which are kept for a person to look at:
#   live-velomar.png      Velomar's window after Bluetooth was switched off from its button (the
#                         popup gone without remains)
#   live-velomar-menu.png its soft key "Menu" opened, drawn over the window
#   live-cumulor-chooser.png  Cumulor's file chooser, opened from its menu and the logger dialog
#   live-cumulor-replay.png   the replay of the flight picked there, running
# Usage: live_session_test.sh <Velomar> <Cumulor> <devicesetup> <devicectl> <folder for screenshots>
# ($CE_SCREENSHOT_DIR, when set, takes the screenshots instead). Exit 77 (skipped) where no X
# server can be started.
set -uo pipefail
velomar=$1 cumulor=$2 setup=$3 devicectl=$4
out=${CE_SCREENSHOT_DIR:-$5}
mkdir -p "$out"

skip() { echo "SKIPPED: $*"; exit 77; }
# A failure shows the end of each program's log (a sanitizer's report is there) and the display.
fail() {
  echo "FAILED: $*"
  local name
  for name in velomar cumulor; do
    [[ -s ${work:-}/$name.log ]] || continue
    echo "--- $name.log, its last 60 lines"
    tail -n 60 "$work/$name.log"
  done
  [[ -n ${DISPLAY:-} ]] && import -window root "$out/live-failed.png" 2> /dev/null && echo "screenshot $out/live-failed.png"
  exit 1
}
for tool in Xvfb xdotool import; do
  command -v "$tool" > /dev/null || skip "$tool is not installed (scripts/packages.txt lists xvfb, xdotool, imagemagick)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/live-session.XXXXXX")
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2> /dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2> /dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $1 seconds (generous: sanitizer builds on a loaded machine) until the command holds.
wait_for() {
  local limit=$1 start=$SECONDS
  shift
  until "$@" > /dev/null 2>&1; do
    ((SECONDS - start < limit)) || return 1
    sleep 0.2
  done
}

# The X server picks a free display and tells its number.
Xvfb -displayfd 3 -screen 0 800x720x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
pids+=($!)
wait_for 30 test -s "$work/display" || skip "Xvfb could not start: $(tail -n 3 "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")
echo "X display $DISPLAY"

export CE_DEVICE_DIR=$work/device
mkdir -p "$CE_DEVICE_DIR/root"
"$setup" --device "$CE_DEVICE_DIR" > "$work/setup.log" 2>&1 || fail "devicesetup: $(tail -n 3 "$work/setup.log")"

win=
# The program's live window (each program has one, titled "Handheld"), and its place on the display.
find_window() {
  win=$(xdotool search --onlyvisible --name '^Handheld$' 2> /dev/null | head -n 1)
  [[ -n $win ]] || return 1
  eval "$(xdotool getwindowgeometry --shell "$win")"  # X, Y, WIDTH, HEIGHT
  wx=$X wy=$Y
}
# A tap at a point of the device's screen (the live window shows it at twice the size).
tap() {
  xdotool mousemove --window "$win" $(($1 * 2 + 1)) $(($2 * 2 + 1)) click 1
}
# Keys go to the window with the input focus.
key() {
  xdotool windowfocus --sync "$win" 2> /dev/null || xdotool windowfocus "$win"
  xdotool key "$@"
}
# The colour (#rrggbb) of a point of the device's screen, read from the X display.
pixel() {
  import -window root -depth 8 -crop 1x1+$((wx + $1 * 2))+$((wy + $2 * 2)) txt:- 2> /dev/null |
    grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1 | tr 'A-F' 'a-f'
}
pixel_is() { [[ $(pixel "$1" "$2") == "$3" ]]; }
pixel_isnt() { [[ $(pixel "$1" "$2") != "$3" ]]; }
# A colour somewhere in the column x of the device's screen between the rows y0 and y1.
column_has() {
  import -window root -depth 8 -crop 1x$((($3 - $2) * 2))+$((wx + $1 * 2))+$((wy + $2 * 2)) txt:- 2> /dev/null |
    tr 'A-F' 'a-f' | grep -- "$4" > /dev/null  # not -q: an early exit would fail the pipe (pipefail)
}
shot() { import -window root "$out/$1" || fail "no screenshot $1"; echo "screenshot $out/$1"; }
# A top-level window of the device with this title exists (the window records in the device folder).
titled() { grep -rqsF -- "$1" "$CE_DEVICE_DIR/run/windows"; }
bluetooth_mode() { "$devicectl" status | awk '$1 == "bluetooth.mode" { print $2 }'; }
bluetooth_is() { [[ $(bluetooth_mode) == "$1" ]]; }

# --- Velomar: shown by a second start, Bluetooth switched off from its button, ended from its
# soft key "Menu".
"$devicectl" cell 4711 815 > /dev/null
bluetooth_is 1 || fail "Bluetooth starts as $(bluetooth_mode), not 1"
CE_DISPLAY=sdl "$velomar" > "$work/velomar.log" 2>&1 &
velomar_pid=$!
pids+=($velomar_pid)
wait_for 120 "$devicectl" send MainWindow 0 || fail "Velomar did not start: $(tail -n 5 "$work/velomar.log")"
env -u CE_DISPLAY "$velomar" || fail "the second start of Velomar failed"
wait_for 60 find_window || fail "no live window for Velomar"
# Its soft-key bar is drawn along the bottom, in front of the window.
wait_for 60 pixel_is 120 310 '#303030' || fail "no soft-key bar at the bottom of Velomar's window ($(pixel 120 310))"
before=$(pixel 32 82)
tap 90 197  # the Bluetooth button: its options pop up
wait_for 60 pixel_isnt 32 82 "$before" || fail "the Bluetooth button's options did not pop up"
sleep 1
tap 32 82  # "Off"
wait_for 60 bluetooth_is 0 || fail "Bluetooth still $(bluetooth_mode) after its option Off was tapped"
sleep 1
# The popup closed over the location button leaves nothing of itself there: the button's white
# face shows again between its texts.
wait_for 30 pixel_is 150 66 '#ffffff' || { shot live-velomar-remains.png; fail "the popup left remains in the location button ($(pixel 150 66))"; }
shot live-velomar.png
tap 210 307  # the soft key "Menu"
wait_for 60 pixel_is 200 260 '#ffffff' || fail "the soft key's menu did not open"
sleep 1
shot live-velomar-menu.png
key Up Return  # its last item, "Exit"
wait_for 60 column_has 120 40 280 '#004080' || { shot live-velomar-exit-failed.png; fail "no question box on Exit"; }
sleep 1
key Return  # Yes, the box's default button
wait_for 120 bash -c "! kill -0 $velomar_pid" || fail "Velomar did not end on Exit"
wait "$velomar_pid"
status=$?
((status == 0)) || fail "Velomar ended with exit code $status"
echo "Velomar: Bluetooth off from its button, ended from its soft key"

# --- Cumulor (simulator): its menu opened with the pen, the logger's Playback, the flight picked in
# the drawn file chooser; the replay runs.
CE_DISPLAY=sdl CE_SCREENSHOT=$work/cumulor-start.png "$cumulor" s > "$work/cumulor.log" 2>&1 &
cumulor_pid=$!
pids+=($cumulor_pid)
wait_for 180 test -s "$work/cumulor-start.png" || fail "Cumulor did not start: $(tail -n 5 "$work/cumulor.log")"
wait_for 60 find_window || fail "no live window for Cumulor"
sleep 1
map=$(pixel 10 100)
tap 120 15  # the menu's tab
wait_for 60 pixel_isnt 10 100 "$map" || fail "Cumulor's menu did not open"
sleep 1
tap 224 16  # next page
sleep 2
tap 224 16  # the last page
sleep 2
tap 180 117  # "Logger"
wait_for 60 titled "Cumulor Logger" || fail "the logger dialog did not open"
sleep 2
tap 174 258  # "Playback" (the template puts it at 80,140 - 152,156 in dialog units)
wait_for 60 titled "Select a flight" || fail "the file chooser did not open"
sleep 2
shot live-cumulor-chooser.png
tap 70 123  # the row "Demo_Task_Flight.igc" (below "[..]", "[My Ringtones]" and "Demo_Flight.igc")
sleep 1
tap 61 304  # OK
wait_for 60 titled 'My Documents\Demo_Task_Flight.igc' || fail "the replay of the chosen flight did not start"
# The replay window is on the display, its caption band at the top left.
wait_for 60 pixel_is 10 8 '#004080' || fail "no replay window on the display ($(pixel 10 8))"
sleep 2
shot live-cumulor-replay.png
kill "$cumulor_pid"
wait "$cumulor_pid" 2> /dev/null
echo "Cumulor: the flight picked in the drawn chooser replays"
echo "PASSED"
