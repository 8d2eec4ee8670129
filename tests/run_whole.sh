#!/bin/sh
# Runs a test program and fails it when the process ended before GoogleTest finished its tests
# (code under test that ends the process with code 0 would otherwise pass unseen). GoogleTest
# makes the file named by TEST_PREMATURE_EXIT_FILE when it starts and removes it when it is done.
marker=$(mktemp "${TMPDIR:-/tmp}/test-running-XXXXXX") || exit 1
rm -f "$marker"
TEST_PREMATURE_EXIT_FILE=$marker "$@"
code=$?
if [ -e "$marker" ]; then
  rm -f "$marker"
  echo "The test program ended before its tests finished (exit code $code)." >&2
  [ "$code" -eq 0 ] && code=1
fi
exit "$code"
