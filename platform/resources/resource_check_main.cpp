// resource_check <res folder>: reads the folder's resource texts as one set, as the program will
// when it starts, and fails (exit 1, the fault on stderr) when they do not make one: a fault in a
// text, a missing file, or a resource defined in two texts. add_program_resources runs it before
// it builds the folder into a program, so such a folder fails the build.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/resources/resource_set.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: resource_check <res folder>\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::vector<std::string> text_names;
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_regular_file()) continue;
    const std::string relative = it->path().lexically_relative(folder).generic_string();
    if (it.depth() == 0 && it->path().extension() == ".txt") text_names.push_back(relative);
    else files[relative] = Bytes(it->path());
  }
  if (error) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  std::sort(text_names.begin(), text_names.end());
  if (text_names.empty()) {
    std::fprintf(stderr, "%s holds no resource text (*.txt)\n", argv[1]);
    return 1;
  }
  std::vector<std::string> contents;
  for (const auto& name : text_names) {
    const auto bytes = Bytes(folder / name);
    contents.emplace_back(bytes.begin(), bytes.end());
  }
  std::vector<ce::resources::NamedText> texts;
  for (std::size_t i = 0; i < text_names.size(); ++i) texts.push_back({text_names[i], contents[i]});
  const auto parsed = ce::resources::ParseResourceTexts(texts, files);
  if (!parsed.set) {
    std::fprintf(stderr, "error: resources in %s: %s\n", argv[1], parsed.error.c_str());
    return 1;
  }
  return 0;
}
