#!/usr/bin/env bash
# The flight computer flies the demonstration task (about 300 km with thermals and glides): the
# flight is played in as live NMEA on "COM1" (nmeaplayer on a pseudo-terminal), the program writes
# its IGC log, screenshots of the moving map are taken at moments of the flight (fix-HHMMSS.png,
# start.png, end.png), Exit is answered "Yes", and the log is copied out (*.igc).
# Run by scripts/run.sh with $BUILD_DIR and $DEMO_DIR; $DEMO_LIVE=1 shows the live window.
# Other ways: tools/flightdemo/flightdemo --mode replay|sim, --screen 480x640 (flightdemo --help).
set -euo pipefail
args=(--mode played --out "$DEMO_DIR" --device "${CE_DEVICE_DIR:-$DEMO_DIR/..}-flight")
[[ "${DEMO_LIVE:-0}" == 1 ]] && args+=(--live)
[[ -n "${FLIGHT_SCREEN:-}" ]] && args+=(--screen "$FLIGHT_SCREEN")
"$BUILD_DIR/tools/flightdemo/flightdemo" "${args[@]}"
