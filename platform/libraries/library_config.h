// Inside the libraries area: what is registered for a library name.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/libraries/builtin_libraries.h"

namespace ce::libraries::internal {

std::optional<BuiltinLibrary> FindBuiltin(const std::u16string& key);
// The host file of a shared library of ours for this key and device base name; empty when none.
std::filesystem::path FindSharedLibrary(const std::u16string& key, std::u16string_view base_name);
// Ordinals mapped from outside for this key.
std::map<WORD, std::string> MappedOrdinals(const std::u16string& key);

}  // namespace ce::libraries::internal
