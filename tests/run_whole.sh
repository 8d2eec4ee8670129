#!/usr/bin/env bash
# Runs a test program and fails it when the process ended before GoogleTest finished its tests
# (code under test that ends the process with code 0 would otherwise pass unseen). GoogleTest
# makes the file named by TEST_PREMATURE_EXIT_FILE when it starts and removes it when it is done.
#
# When the sanitizers are told not to symbolize (scripts/test.sh does: LeakSanitizer otherwise
# reads the debug information of every loaded object at each exit, only to match the suppressed
# library leaks by module, about 0.3 s a process), the frames of a report are symbolized here.
marker=$(mktemp "${TMPDIR:-/tmp}/test-running-XXXXXX") || exit 1
rm -f "$marker"
case ":${ASAN_OPTIONS-}:" in
  *:symbolize=0:*)
    TEST_PREMATURE_EXIT_FILE=$marker "$@" 2>&1 | awk -f "$(dirname "$0")/symbolize_frames.awk"
    code=${PIPESTATUS[0]} ;;
  *)
    TEST_PREMATURE_EXIT_FILE=$marker "$@"
    code=$? ;;
esac
if [ -e "$marker" ]; then
  rm -f "$marker"
  echo "The test program ended before its tests finished (exit code $code)." >&2
  [ "$code" -eq 0 ] && code=1
fi
exit "$code"
