#!/usr/bin/env bash
# The Today screen beside Velomar. Velomar starts hidden and imports two places from "\Velomar.xml"
# (Home by cell 1001, Work by cell 4711 with its office hours); the Today host loads Velomar's
# item, which registers with Velomar's main window and shows its statuses, and below it Cumulor's
# launcher item with its two buttons, "Cumulor" and "Cumulor Simulator" (today-start.png). At
# 10:00 the phone moves to cell 4711 (LAC 815): the schedule engine enters Work's office period,
# and Bluetooth is made discoverable (today-changed.png: six status icons, the lock, "4711-815",
# "Work - Office(09:00-17:00)"); then the radio goes off and the cell is no longer shown
# (today-radio-off.png); then Velomar ends and the six icons fall back to unknown beside the lock,
# with no cell and no place line (today-velomar-gone.png). The item's
# attach and detach lines, as logreader prints them, are in log.txt.
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
  sleep 4
  cp "$shot" "$DEMO_DIR/$1"
  echo "screenshot $DEMO_DIR/$1"
}

"$logreader" --ready > "$DEMO_DIR/log.txt" 2>&1 &
pids+=($!)
wait_for grep -q '^ready' "$DEMO_DIR/log.txt"

cat > "$CE_DEVICE_DIR/root/Velomar.xml" <<'XML'
<?xml version="1.0"?>
<Velomar>
  <place name="Home" description="At home" image="home.png" id="1">
    <cell id="1001"/>
    <schedule name="Evening" begin_hour="18" begin_minute="0" end_hour="23" end_minute="0"/>
  </place>
  <place name="Work" description="The office" image="work.png" id="2">
    <cell id="4711"/>
    <schedule name="Office" begin_hour="9" begin_minute="0" end_hour="17" end_minute="0"/>
  </place>
</Velomar>
XML
"$DEVICECTL" clock set 2026-06-01 08:00:00
"$DEVICECTL" cell 1001 10
echo "box IDYES" > "$DEMO_DIR/velomar-user.txt"   # yes to the import's question

CE_USER_SCRIPT=$DEMO_DIR/velomar-user.txt "$velomar" > "$DEMO_DIR/velomar.log" 2>&1 &
velomar_pid=$!
pids+=("$velomar_pid")
wait_for "$DEVICECTL" send MainWindow 0
"$DEVICECTL" post MainWindow 273 40059   # WM_COMMAND: import "\Velomar.xml"
echo "Velomar runs (hidden) and imported its places"

CE_SCREENSHOT=$shot "$host" > "$DEMO_DIR/todayhost.log" 2>&1 &
host_pid=$!
pids+=("$host_pid")
wait_for test -e "$shot"
snapshot today-start.png

"$DEVICECTL" clock set 2026-06-01 10:00:00
"$DEVICECTL" cell 4711 815
"$DEVICECTL" bluetooth discoverable
snapshot today-changed.png

"$DEVICECTL" radio off
snapshot today-radio-off.png

kill "$velomar_pid"
wait "$velomar_pid" || true
echo "Velomar ended"
snapshot today-velomar-gone.png

"$DEVICECTL" post TodayHost 16   # WM_CLOSE: the host unloads the item and ends
wait "$host_pid"
echo "the Today host ended with $?"
sleep 0.5
grep 'DLL_PROCESS_' "$DEMO_DIR/log.txt" || { echo "no attach/detach lines in log.txt"; exit 1; }
