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

// Reads the resource texts (the folder's *.txt files, in name order) as one set and makes it the
// resources of `module` (empty: the program). A fault is reported on stderr with its file and
// line; the module then has no resources.
bool RegisterEmbedded(const char16_t* module, const EmbeddedFile* texts, std::size_t text_count,
                      const EmbeddedFile* files, std::size_t file_count);

}  // namespace ce::resources
