// Fontconfig keeps its parsed configuration, Cairo its font caches and SDL2 its hints until the
// process ends; LeakSanitizer would report them in every program that draws text or opens the
// live window. This tells it so (the hook is only read by sanitizer builds, and the one
// definition serves the whole process).
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libcairo.so\nleak:libSDL2\n";
}
