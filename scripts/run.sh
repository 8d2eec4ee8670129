#!/usr/bin/env bash
# The demo runner: builds the release tree, makes a fresh device folder, installs both suites into
# it and runs the demos of scripts/demos/ (one file each), headless; then prints where each demo
# left its screenshots and logs.
#   scripts/run.sh                   every demo
#   scripts/run.sh <demo>...         the named demos
#   scripts/run.sh --live [<demo>...]  the same, with the programs' screens in SDL2 windows
#   scripts/run.sh status            the device's state (devicectl status)
#   scripts/run.sh list              the demos there are
# The device folder is $CE_DEVICE_DIR (default: ./device); the output goes to $DEMO_OUT (default:
# ./demo-out), one folder per demo. $JOBS limits the build's parallel jobs (default: all cores).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
demo_dir=$root/scripts/demos
build=$root/build
export CE_DEVICE_DIR=${CE_DEVICE_DIR:-$root/device}
out=$(realpath -m "${DEMO_OUT:-$root/demo-out}")

demos() {
  local f
  for f in "$demo_dir"/*.sh; do [[ -e $f ]] && basename "$f" .sh; done
}

build_tree() {
  scripts/setup.sh
  # Through the compiler cache where one is installed, as scripts/test.sh does: a later clone on
  # the same machine compiles only what changed.
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
  fi
  cmake -S . -B "$build" -G Ninja "${launcher[@]}"
  # Only what the demos run: the programs, their libraries, the tools and the installed files.
  cmake --build "$build" -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}" --target programs
}

case "${1:-}" in
  status)
    build_tree
    exec "$build/tools/devicectl/devicectl" status ;;
  list)
    demos
    exit 0 ;;
  -h|--help|help)
    sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'
    exit 0 ;;
esac

live=0
if [[ "${1:-}" == --live ]]; then
  live=1
  shift
fi
chosen=("$@")
if ((${#chosen[@]} == 0)); then
  mapfile -t chosen < <(demos)
fi
known=" $(demos | tr '\n' ' ')"
list=$(demos | paste -sd, - | sed 's/,/, /g')
for d in "${chosen[@]}"; do
  if [[ "$known" != *" $d "* ]]; then
    echo "run.sh: unknown demo '$d'; the demos are: $list" >&2
    exit 2
  fi
done

build_tree

# A fresh device: the old folder goes, unless it is something other than a device folder.
if [[ -e "$CE_DEVICE_DIR" ]]; then
  if [[ -n "$(ls -A "$CE_DEVICE_DIR")" && ! -d "$CE_DEVICE_DIR/root" ]]; then
    echo "run.sh: $CE_DEVICE_DIR is not a device folder; not removing it" >&2
    exit 1
  fi
  rm -rf "$CE_DEVICE_DIR"
fi
mkdir -p "$CE_DEVICE_DIR/root"
"$build/tools/devicesetup/devicesetup" --device "$CE_DEVICE_DIR"

export BUILD_DIR=$build DEVICECTL=$build/tools/devicectl/devicectl DEMO_LIVE=$live
if ((live)); then export CE_DISPLAY=sdl; else unset CE_DISPLAY; fi
failed=()
for d in "${chosen[@]}"; do
  export DEMO_DIR=$out/$d
  rm -rf "$DEMO_DIR"
  mkdir -p "$DEMO_DIR"
  echo "== demo $d"
  if ! bash "$demo_dir/$d.sh" 2>&1 | tee "$DEMO_DIR/run.log"; then failed+=("$d"); fi
done

echo
echo "Device folder: $CE_DEVICE_DIR"
for d in "${chosen[@]}"; do
  shots=$(cd "$out/$d" && find . -name '*.png' | sort | sed 's|^\./||' | paste -sd' ' -)
  logs=$(cd "$out/$d" && find . -type f ! -name '*.png' | sort | sed 's|^\./||' | paste -sd' ' -)
  state=ok
  [[ " ${failed[*]} " == *" $d "* ]] && state=FAILED
  echo "$d ($state): $out/$d"
  echo "  screenshots: ${shots:-none}"
  echo "  logs: ${logs:-none}"
done
((${#failed[@]} == 0))
