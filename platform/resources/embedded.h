// Resources built into a program: the generated source of add_program_resources (see
// EmbedResources.cmake) registers its res/ folder with this call when the program starts.
#pragma once

#include <cstddef>

namespace ce::resources {

struct EmbeddedFile {
  const char* path;  // relative to the res/ folder, '/'-separated
  const unsigned char* data;
  std::size_t size;
};

// Parses the resource text and makes it the resources of `module` (empty: the program). A fault in
// the text is reported on stderr with its line; the module then has no resources.
bool RegisterEmbedded(const char16_t* module, const unsigned char* text, std::size_t text_size,
                      const EmbeddedFile* files, std::size_t file_count);

}  // namespace ce::resources
