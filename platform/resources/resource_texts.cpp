// Several resource texts of one res/ folder read as one set.
#include <string>

#include "platform/resources/resource_set.h"
#include "platform/text/utf.h"

namespace ce::resources {
namespace {

std::string Describe(const ResName& name) {
  return name.id ? std::to_string(name.id) : text::ToUtf8(name.name);
}

std::string KindOfFile(const ResName& type) {
  switch (type.id) {
    case 2: return "bitmap";
    case 3: return "icon";
    case 10: return "data";
    default: return type.id ? "resource of type " + std::to_string(type.id) : "sound";
  }
}

// Moves the entries of `from` into `into`; an entry already there is a duplicate, reported with
// the file that defined it first.
template <typename Key, typename Value, typename Describer>
bool MergeInto(std::map<Key, Value>& into, std::map<Key, Value>& from, std::map<Key, std::string>& owners,
               const std::string& file, Describer describe, std::string* error) {
  for (auto& [key, value] : from) {
    auto [it, added] = owners.emplace(key, file);
    if (!added) {
      *error = describe(key) + " is defined in both " + it->second + " and " + file;
      return false;
    }
    into[key] = std::move(value);
  }
  return true;
}

}  // namespace

ParseResult ParseResourceTexts(const std::vector<NamedText>& texts,
                               const std::map<std::string, std::vector<std::uint8_t>>& files) {
  auto set = std::make_shared<ResourceSet>();
  std::map<ResName, std::string> dialogs, menus, softkeys;
  std::map<UINT, std::string> strings;
  std::map<ResName, std::map<ResName, std::string>> file_owners;
  std::string error;
  for (const NamedText& t : texts) {
    ParseResult one = ParseResources(t.text, files);
    if (!one.set) return {nullptr, t.name + ": " + one.error};
    ResourceSet& s = *one.set;
    const bool ok =
        MergeInto(set->dialogs, s.dialogs, dialogs, t.name,
                  [](const ResName& n) { return "dialog " + Describe(n); }, &error) &&
        MergeInto(set->menus, s.menus, menus, t.name, [](const ResName& n) { return "menu " + Describe(n); }, &error) &&
        MergeInto(set->softkeys, s.softkeys, softkeys, t.name,
                  [](const ResName& n) { return "soft-key bar " + Describe(n); }, &error) &&
        MergeInto(set->strings, s.strings, strings, t.name,
                  [](UINT id) { return "string " + std::to_string(id); }, &error);
    if (!ok) return {nullptr, error};
    for (auto& [type, by_name] : s.files) {
      const std::string kind = KindOfFile(type);
      if (!MergeInto(set->files[type], by_name, file_owners[type], t.name,
                     [&kind](const ResName& n) { return kind + " " + Describe(n); }, &error))
        return {nullptr, error};
    }
  }
  return {set, {}};
}

}  // namespace ce::resources
