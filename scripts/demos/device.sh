#!/usr/bin/env bash
# The simulated phone: its state, a move to another cell made with devicectl, and the state after,
# in which the new cell and location area show.
# Run by scripts/run.sh with $DEVICECTL, $CE_DEVICE_DIR and $DEMO_DIR (this demo's output folder).
set -euo pipefail
"$DEVICECTL" status > "$DEMO_DIR/status-before.txt"
"$DEVICECTL" cell 4711 815
"$DEVICECTL" status > "$DEMO_DIR/status-after.txt"
diff "$DEMO_DIR/status-before.txt" "$DEMO_DIR/status-after.txt" > "$DEMO_DIR/changes.txt" || true
echo "Changed by 'devicectl cell 4711 815':"
cat "$DEMO_DIR/changes.txt"
grep -q '^radio.cell *4711$' "$DEMO_DIR/status-after.txt"
grep -q '^radio.lac *815$' "$DEMO_DIR/status-after.txt"
