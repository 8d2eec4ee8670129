// gx.dll as the programs load it, by name.
#include "platform/devicelibs/gx.h"

#include <mutex>

#include "platform/device/device.h"
#include "platform/display/virtual_keys.h"
#include "platform/libraries/builtin_libraries.h"

namespace {

std::mutex input_lock;
bool input_open = false;

void RecordInput(bool open) {
  ce::device::Effect e;
  e.kind = "gx-input";
  e.value = open ? 1 : 0;
  ce::device::Record(e);
}

}  // namespace

int GXOpenInput() {
  std::lock_guard<std::mutex> guard(input_lock);
  if (input_open) return 0;
  input_open = true;
  RecordInput(true);
  return 1;
}

int GXCloseInput() {
  std::lock_guard<std::mutex> guard(input_lock);
  if (!input_open) return 0;
  input_open = false;
  RecordInput(false);
  return 1;
}

GXKeyList GXGetDefaultKeys(int) {
  // The simulated device has one key layout whatever the screen's orientation.
  GXKeyList keys{};
  keys.vkUp = VK_UP;
  keys.vkDown = VK_DOWN;
  keys.vkLeft = VK_LEFT;
  keys.vkRight = VK_RIGHT;
  keys.vkA = VK_APP1;
  keys.vkB = VK_APP2;
  keys.vkC = VK_APP3;
  keys.vkStart = VK_RETURN;
  return keys;
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"gx.dll", {.by_name = {{"GXOpenInput", Export(&GXOpenInput)},
                                                         {"GXCloseInput", Export(&GXCloseInput)},
                                                         {"GXGetDefaultKeys", Export(&GXGetDefaultKeys)}},
                                             .by_ordinal = {}});
  return true;
}();
}  // namespace
