// Fontconfig keeps its parsed configuration, and Cairo its font caches, until the process ends;
// LeakSanitizer would report them in every program that draws text. This tells it so (the hook is
// only read by sanitizer builds).
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libcairo.so\n";
}
