// Helpers of the airspace tests: reading texts into a load and looking at what it holds.
#pragma once

#include <string>
#include <vector>

#include "cumulor/data/airspace/airspace_reader.h"

namespace airspace_test {

using namespace cumulor;

inline std::string Narrow(const WCHAR* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

inline std::string Narrow(const std::u16string& text) { return Narrow(text.c_str()); }

// Reads texts (one a file) into the module as one load and commits it; the message texts and
// captions shown, in order.
struct Loaded {
  std::vector<std::string> texts;
  std::vector<std::string> captions;
  std::vector<HRESULT> results;
};

inline Loaded LoadTexts(AirspaceModule& module, const std::vector<std::string>& files) {
  Loaded out;
  module.ui.messageBox = [&out](const std::u16string& text, const std::u16string& caption, bool) {
    out.texts.push_back(Narrow(text));
    out.captions.push_back(Narrow(caption));
  };
  AirspaceLoad load;
  AirspaceLoadBegin(module, load);
  for (const std::string& f : files)
    out.results.push_back(AirspaceReadText(module, load, f.data(), static_cast<std::int32_t>(f.size())));
  AirspaceLoadCommit(module, load);
  module.ui.messageBox = nullptr;
  return out;
}

inline std::vector<const AirspaceShape*> AllShapes(const AirspaceModule& module) {
  std::vector<const AirspaceShape*> out;
  for (int g = 1; g < kAirspaceGroupCount; ++g)
    for (const AirspaceShape& s : module.group[g].shapes) out.push_back(&s);
  return out;
}

}  // namespace airspace_test
