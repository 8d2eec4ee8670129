# Passes a test's output through unchanged, except the frames of sanitizer reports printed
# without symbols ("#3 0x55eb4a10f0f0  (/path/module+0x10f0)"), which get their function and
# source line from addr2line (inlined calls on lines of their own, as the sanitizers print them).
# Each line goes on at once, so a test that hangs still shows everything it printed.
/^ *#[0-9]+ 0x[0-9a-f]+ +\(.+\+0x[0-9a-f]+\)$/ {
  indent = $0; sub(/#.*/, "", indent)
  frame = $1; pc = $2
  where = $0; sub(/^[^(]*\(/, "", where); sub(/\)$/, "", where)
  plus = match(where, /\+0x[0-9a-f]+$/)
  module = substr(where, 1, plus - 1); offset = substr(where, plus + 1)
  if (module ~ /'/) { print; fflush(); next }
  command = "addr2line -C -f -i -e '" module "' " offset " 2>/dev/null"
  n = 0
  while ((command | getline function_name) > 0 && (command | getline source) > 0) {
    if (function_name == "??" && source ~ /^\?\?/) break
    printf "%s%s %s in %s %s (%s)\n", indent, (n == 0 ? frame : "  "), pc, function_name, source, where
    n++
  }
  close(command)
  if (n == 0) print
  fflush()
  next
}
{ print; fflush() }
