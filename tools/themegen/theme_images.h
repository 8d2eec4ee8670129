// The pictures of Velomar's default theme, drawn with Cairo at a chosen size. Every picture is
// opaque: its background is the key colour (magenta), which the buttons leave out when they draw
// transparently, and its ink is plain colours without antialiasing, so that the key colour never
// blends into the edges.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace themegen {

struct Rgb {
  int r, g, b;
};
inline constexpr Rgb kKey{255, 0, 255};

// Writes every picture of the theme into `folder` at `base` pixels for a unit. False (with a
// message on stderr) when a file cannot be written.
bool WritePictures(const std::filesystem::path& folder, int base);

// The file names WritePictures writes.
std::vector<std::string> PictureNames();

}  // namespace themegen
