#!/usr/bin/env bash
# Velomar on the fresh device: the notification launcher runs, the phone is in cell 4711 of
# location area 815, and Velomar starts hidden behind its tray icon. A second start with an
# empty command line (the user starting it again) brings its window forward, and Velomar writes
# the screen as velomar-main.png: the buttons in the simulated phone's statuses, the battery and
# signal bars, the location button with cell, LAC and place. Then Exit (answered Yes) ends it.
# With --live the window shows in the SDL2 window (mouse as pen, keys as hardware keys) and the
# demo waits until Velomar is ended there (menu "Exit").
# Run by scripts/run.sh with $BUILD_DIR, $DEVICECTL, $CE_DEVICE_DIR, $DEMO_DIR and $DEMO_LIVE.
set -euo pipefail
program=$BUILD_DIR/velomar/core/app/Velomar
launcher=$BUILD_DIR/tools/notifylauncher/notifylauncher
shot=$DEMO_DIR/velomar-main.png

"$launcher" --device "$CE_DEVICE_DIR" > "$DEMO_DIR/notifylauncher.log" 2>&1 &
launcher_pid=$!
stop_launcher() { kill "$launcher_pid" 2> /dev/null || true; wait "$launcher_pid" 2> /dev/null || true; }
trap stop_launcher EXIT

# The device is shared with the other demos (one may have left the radio off).
"$DEVICECTL" radio on
"$DEVICECTL" cell 4711 815
echo "box IDYES" > "$DEMO_DIR/user-script.txt"
CE_SCREENSHOT=$shot CE_USER_SCRIPT=$DEMO_DIR/user-script.txt "$program" > "$DEMO_DIR/velomar.log" 2>&1 &
pid=$!
# Started when its main window can be found.
for _ in $(seq 1 300); do
  "$DEVICECTL" send MainWindow 0 > /dev/null 2>&1 && break
  sleep 0.1
done
"$DEVICECTL" send MainWindow 0 > /dev/null 2>&1 || { echo "Velomar did not start"; kill "$pid"; exit 1; }
echo "Velomar runs hidden"

# The user starts it again: the running one comes forward (this start ends at once).
"$program" && echo "a second start brought the window forward and ended (exit 0)"
for _ in $(seq 1 300); do
  [[ -e $shot ]] && break
  sleep 0.1
done
[[ -e $shot ]] || { echo "no screenshot: the window was not shown"; kill "$pid"; exit 1; }
echo "screenshot $shot"
"$DEVICECTL" status | grep -E '^(radio|battery|bluetooth|wifi)' || true

if [[ ${DEMO_LIVE:-0} == 1 ]]; then
  echo "Velomar is in the SDL2 window; end it there (menu, Exit)"
  wait "$pid" || true
  exit 0
fi
"$DEVICECTL" post MainWindow 273 1234   # WM_COMMAND: Exit, answered Yes by the script
for _ in $(seq 1 100); do
  kill -0 "$pid" 2> /dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2> /dev/null; then
  echo "Velomar did not end on Exit; stopped"
  kill "$pid"
fi
wait "$pid" 2> /dev/null || true
echo "Velomar ended"
