#include "cumulor/map/settings/map_settings_link.h"

namespace cumulor {
namespace {
MapSettingsLink& Link() {
  static MapSettingsLink link;
  return link;
}
}  // namespace

void SetMapSettingsLink(MapSettingsLink link) { Link() = std::move(link); }
const MapSettingsLink& GetMapSettingsLink() { return Link(); }

bool MapOption(OptionBit option) {
  const std::uint32_t* words = Link().options;
  if (!words || option.word < 1 || option.word > 3) return false;
  return (words[option.word] >> option.bit) & 1u;
}

void SetMapOption(OptionBit option, bool on) {
  std::uint32_t* words = Link().options;
  if (!words || option.word < 1 || option.word > 3) return;
  if (on)
    words[option.word] |= 1u << option.bit;
  else
    words[option.word] &= ~(1u << option.bit);
}

MapDisplaySettings& MapDisplay() {
  static MapDisplaySettings settings;
  return settings;
}

}  // namespace cumulor
