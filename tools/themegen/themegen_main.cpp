// themegen <themes folder>: writes Velomar's default theme into <themes folder>/default: the
// folders "qvga", "vga" and "square", each with its "skin.xml" and the pictures it names.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "theme_images.h"
#include "theme_skin.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: themegen <themes folder>\n");
    return 2;
  }
  const std::filesystem::path theme = std::filesystem::path(argv[1]) / "default";
  // Pictures per resolution class at their base size: QVGA and square 40 pixels, VGA doubled.
  const struct {
    const char* name;
    int base;
  } classes[] = {{"qvga", 40}, {"vga", 80}, {"square", 40}};
  for (const auto& c : classes) {
    const std::filesystem::path folder = theme / c.name;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
      std::fprintf(stderr, "themegen: cannot make %s: %s\n", folder.c_str(), error.message().c_str());
      return 1;
    }
    if (!themegen::WritePictures(folder, c.base)) return 1;
    if (!themegen::WriteSkin(folder, c.name)) {
      std::fprintf(stderr, "themegen: cannot write %s\n", (folder / "skin.xml").c_str());
      return 1;
    }
  }
  return 0;
}
