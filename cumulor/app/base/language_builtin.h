// The built-in English texts (record 0 of the language table).
#pragma once

#include <cstdint>

namespace cumulor::detail {

struct BuiltinText {
  std::int32_t id;
  const char16_t* text;
};

extern const BuiltinText kBuiltinEnglish[];
extern const std::int32_t kBuiltinEnglishCount;

}  // namespace cumulor::detail
