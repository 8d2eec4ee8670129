#!/usr/bin/env bash
# The flight computer started in the simulator (" /sx"): the start-up runs to its last command and
# the screen then shows the banner and "Starting Simulator..." (cumulor-start.png); a second start
# ends at once; the desktop's identify request answers 17284 (0x4384); Exit, answered Yes, shuts
# it down with its registry values saved.
# Run by scripts/run.sh with $BUILD_DIR, $DEVICECTL, $CE_DEVICE_DIR and $DEMO_DIR.
set -euo pipefail
program=$BUILD_DIR/cumulor/app/program/Cumulor
shot=$DEMO_DIR/cumulor-start.png
echo "box IDYES" > "$DEMO_DIR/user-script.txt"

CE_SCREENSHOT=$shot CE_USER_SCRIPT=$DEMO_DIR/user-script.txt "$program" " /sx" > "$DEMO_DIR/cumulor.log" 2>&1 &
pid=$!
for _ in $(seq 1 300); do
  [[ -e $shot ]] && break
  sleep 0.1
done
[[ -e $shot ]] || { echo "no screenshot: the start-up did not finish"; kill "$pid"; exit 1; }
echo "start-up finished; screenshot $shot"

"$program" " /sx" && echo "a second start ended at once (exit 0)"
echo "identify request answers $("$DEVICECTL" send Cumulor 1104 2001)"
"$DEVICECTL" effects sound | tail -n 2
"$DEVICECTL" post Cumulor 273 40034   # WM_COMMAND: Exit
wait "$pid"
echo "Cumulor ended with $?"
