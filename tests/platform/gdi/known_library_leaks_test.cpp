// Fontconfig keeps its parsed configuration, and Cairo's font cache its patterns, until the
// process ends; LeakSanitizer would report them. Ours are covered by the tests; theirs are
// suppressed here for the test program.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libcairo.so\n"; }
