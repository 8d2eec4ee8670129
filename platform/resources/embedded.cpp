// Registering the resources built into a program.
#include "platform/resources/embedded.h"

#include <cstdio>
#include <string>

#include "platform/resources/resource_set.h"
#include "platform/text/utf.h"

namespace ce::resources {

bool RegisterEmbedded(const char16_t* module, const EmbeddedFile* texts, std::size_t text_count,
                      const EmbeddedFile* files, std::size_t file_count) {
  std::map<std::string, std::vector<std::uint8_t>> contents;
  for (std::size_t i = 0; i < file_count; ++i)
    contents[files[i].path] = std::vector<std::uint8_t>(files[i].data, files[i].data + files[i].size);
  std::vector<NamedText> named;
  for (std::size_t i = 0; i < text_count; ++i)
    named.push_back({texts[i].path, std::string_view(reinterpret_cast<const char*>(texts[i].data), texts[i].size)});
  ParseResult parsed = ParseResourceTexts(named, contents);
  if (!parsed.set) {
    std::fprintf(stderr, "resources of %s: %s\n", *module ? text::ToUtf8(module).c_str() : "the program",
                 parsed.error.c_str());
    return false;
  }
  AddModuleResources(module, parsed.set);
  return true;
}

}  // namespace ce::resources
