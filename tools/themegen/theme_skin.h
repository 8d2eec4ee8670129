// The "skin.xml" files of Velomar's default theme: one per resolution class ("qvga", "vga",
// "square"), each holding its orientations, every button and bar the program looks up, and the
// text line under the location button. VGA sizes are the QVGA ones doubled.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace themegen {

// The button ids the skin defines.
std::vector<std::string> ButtonIds();

// Writes <folder>/skin.xml for the class ("qvga", "vga" or "square"). False when it cannot be
// written.
bool WriteSkin(const std::filesystem::path& folder, const std::string& resolution);

}  // namespace themegen
