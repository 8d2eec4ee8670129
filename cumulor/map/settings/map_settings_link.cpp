#include "cumulor/map/settings/map_settings_link.h"

#include <atomic>

namespace cumulor {
namespace {
MapSettingsLink& Link() {
  static MapSettingsLink link;
  return link;
}
}  // namespace

void SetMapSettingsLink(MapSettingsLink link) { Link() = std::move(link); }
const MapSettingsLink& GetMapSettingsLink() { return Link(); }

// The option words are read by the drawing on the notify thread while the option dialogs switch
// bits on the UI thread: each bit is read and switched atomically.
bool MapOption(OptionBit option) {
  std::uint32_t* words = Link().options;
  if (!words || option.word < 1 || option.word > 3) return false;
  return (std::atomic_ref<std::uint32_t>(words[option.word]).load(std::memory_order_relaxed) >> option.bit) & 1u;
}

void SetMapOption(OptionBit option, bool on) {
  std::uint32_t* words = Link().options;
  if (!words || option.word < 1 || option.word > 3) return;
  std::atomic_ref<std::uint32_t> word(words[option.word]);
  if (on)
    word.fetch_or(1u << option.bit, std::memory_order_relaxed);
  else
    word.fetch_and(~(1u << option.bit), std::memory_order_relaxed);
}

MapDisplaySettings& MapDisplay() {
  static MapDisplaySettings settings;
  return settings;
}

}  // namespace cumulor
