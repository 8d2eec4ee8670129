#include "cumulor/data/vector/contour_settings.h"

#include <algorithm>
#include <cstring>

#include "cumulor/app/base/number_text.h"

namespace cumulor {
namespace {

constexpr std::int32_t kContourBytes = 20;

void PutWord(BYTE* at, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>(v >> (8 * i));
}

std::int32_t GetWord(const BYTE* at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(at[i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

}  // namespace

std::int32_t ContourSlot(const ContourSettings& s, std::int64_t value) {
  const std::int64_t slot = static_cast<std::int64_t>(s.offset) + static_cast<std::int64_t>(s.step) * value;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(slot, 0, kContourSlots - 1));
}

void ContourSettingsClamp(ContourSettings& s) {
  s.offset = std::clamp(s.offset, 0, kContourSlots - 1);
  if (s.startGroup < 0) s.startGroup = 0;
  if (s.step != 1 && s.step != 2) s.step = 1;
}

void ContoursSave(XmlNode& settings, const ContourSettings& s) {
  BYTE bytes[kContourBytes];
  PutWord(bytes, s.word0);
  PutWord(bytes + 4, s.offset);
  PutWord(bytes + 8, s.startGroup);
  PutWord(bytes + 12, s.step);
  PutWord(bytes + 16, s.word4);
  DynString text;
  BytesToText(bytes, kContourBytes, text);
  settings.AddChildString("Contours", text.CStr());
}

bool ContoursLoad(const XmlNode& contours, ContourSettings& s) {
  const char* text = contours.GetText();
  BYTE bytes[kContourBytes] = {};
  if (!text || !TextToBytes(bytes, kContourBytes, text)) return false;
  s.word0 = GetWord(bytes);
  s.offset = GetWord(bytes + 4);
  s.startGroup = GetWord(bytes + 8);
  s.step = GetWord(bytes + 12);
  s.word4 = GetWord(bytes + 16);
  ContourSettingsClamp(s);
  return true;
}

}  // namespace cumulor
