// Building and reading the CEPROPVAL values the tables write and read.
#pragma once

#include <string>

#include "platform/base/types.h"
#include "platform/cedb/cedb.h"

namespace velomar::places {

inline CEPROPVAL IntValue(CEPROPID id, int value) {
  CEPROPVAL v{};
  v.propid = id;
  v.val.lVal = value;
  return v;
}

// The value points into `text`, which must outlive the write.
inline CEPROPVAL TextValue(CEPROPID id, const std::u16string& text) {
  CEPROPVAL v{};
  v.propid = id;
  v.val.lpwstr = const_cast<WCHAR*>(text.c_str());
  return v;
}

// A text property read back; a null pointer reads as empty text.
inline std::u16string TextOf(const CEPROPVAL& value) {
  return value.val.lpwstr ? std::u16string(value.val.lpwstr) : std::u16string();
}

}  // namespace velomar::places
