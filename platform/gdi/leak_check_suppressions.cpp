// Fontconfig keeps its parsed configuration, Cairo its font caches, SDL2 its hints and the D-Bus
// connection SDL2 opens on a real X display its buffers until the process ends; LeakSanitizer would report them in every program that draws text or opens the
// live window. This tells it so (the hook is only read by sanitizer builds, and the one
// definition serves the whole process).
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libcairo.so\nleak:libSDL2\nleak:libdbus-1.so\n";
}
