#!/usr/bin/env bash
# The Today screen beside Velomar: the Today host loads Velomar's item, which registers with
# Velomar's main window and shows its statuses (today-start.png); the phone's radio, Bluetooth and
# cell change with devicectl and the item follows (today-changed.png); Velomar ends and the six
# icons fall back to unknown beside the lock (today-velomar-gone.png). The item's attach and detach
# lines, as logreader prints them, are in log.txt.
# Run by scripts/run.sh with $BUILD_DIR, $DEVICECTL, $CE_DEVICE_DIR and $DEMO_DIR.
set -euo pipefail
velomar=$BUILD_DIR/velomar/core/app/Velomar
host=$BUILD_DIR/tools/todayhost/todayhost
logreader=$BUILD_DIR/tools/logreader/logreader
shot=$DEMO_DIR/today.png
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# Waits (at most 30 s) until the command succeeds.
wait_for() {
  for _ in $(seq 1 300); do
    if "$@" > /dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "gave up waiting for: $*"
  return 1
}
# Copies the Today screenshot once the host has drawn a few more refreshes.
snapshot() {
  sleep 3
  cp "$shot" "$DEMO_DIR/$1"
  echo "screenshot $DEMO_DIR/$1"
}

"$logreader" --ready > "$DEMO_DIR/log.txt" 2>&1 &
pids+=($!)
wait_for grep -q '^ready' "$DEMO_DIR/log.txt"

"$velomar" > "$DEMO_DIR/velomar.log" 2>&1 &
velomar_pid=$!
pids+=("$velomar_pid")
wait_for "$DEVICECTL" send MainWindow 0
echo "Velomar runs (hidden)"

CE_SCREENSHOT=$shot "$host" > "$DEMO_DIR/todayhost.log" 2>&1 &
host_pid=$!
pids+=("$host_pid")
wait_for test -e "$shot"
snapshot today-start.png

"$DEVICECTL" radio off
"$DEVICECTL" bluetooth discoverable
"$DEVICECTL" cell 4711 815
snapshot today-changed.png

kill "$velomar_pid"
wait "$velomar_pid" || true
echo "Velomar ended"
snapshot today-velomar-gone.png

"$DEVICECTL" post TodayHost 16   # WM_CLOSE: the host unloads the item and ends
wait "$host_pid"
echo "the Today host ended with $?"
sleep 0.5
grep 'DLL_PROCESS_' "$DEMO_DIR/log.txt" || { echo "no attach/detach lines in log.txt"; exit 1; }
