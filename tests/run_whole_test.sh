#!/usr/bin/env bash
# The test wrapper: the exit code passes through it with and without the frame symbolizing, a
# program that ends before its tests did fails, and an unsymbolized frame gets its function.
# $1: a program built with symbols (its `main` is looked up in it).
set -u
here=$(dirname "$0")
program=$1
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

for options in "" "symbolize=0"; do
  ASAN_OPTIONS=$options "$here/run_whole.sh" sh -c 'echo out; exit 3' > /tmp/run_whole_test.$$ 2>&1
  code=$?
  [ "$code" -eq 3 ] || fail "[$options] exit code 3 came out as $code"
  grep -qx out /tmp/run_whole_test.$$ || fail "[$options] the program's output was lost"
  ASAN_OPTIONS=$options "$here/run_whole.sh" sh -c ': > "$TEST_PREMATURE_EXIT_FILE"; exit 0' > /tmp/run_whole_test.$$ 2>&1
  code=$?
  [ "$code" -eq 1 ] || fail "[$options] a premature exit ended with $code"
  grep -q "ended before its tests finished" /tmp/run_whole_test.$$ || fail "[$options] a premature exit was not reported"
done

offset=$(nm "$program" | awk '$3 == "main" { print $1; exit }' | sed 's/^0*//')
frame="    #4 0x55eb4a10f255  ($program+0x$offset)"
ASAN_OPTIONS=symbolize=0 "$here/run_whole.sh" sh -c 'echo "$1"; echo "    #5 0x1  (/no/such/module+0x10)"' sh "$frame" > /tmp/run_whole_test.$$ 2>&1
grep -q "^    #4 0x55eb4a10f255 in main .*($program+0x$offset)\$" /tmp/run_whole_test.$$ || fail "the frame was not symbolized: $(cat /tmp/run_whole_test.$$)"
grep -qx "    #5 0x1  (/no/such/module+0x10)" /tmp/run_whole_test.$$ || fail "a frame of a missing module was not left as it was"
rm -f /tmp/run_whole_test.$$
[ "$failures" -eq 0 ] && echo "run_whole: all checks passed"
exit "$failures"
