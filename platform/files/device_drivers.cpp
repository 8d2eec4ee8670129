// The table of device drivers by name prefix.
#include "platform/files/device_drivers.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/files/ce_path.h"

namespace ce::files {
namespace {

struct Driver {
  std::u16string prefix;
  DeviceFactory factory;
};

struct Drivers {
  std::mutex lock;
  std::vector<Driver> list;
};

Drivers& TheDrivers() {
  static Drivers* drivers = new Drivers;
  return *drivers;
}

bool StartsWith(std::u16string_view name, std::u16string_view prefix) {
  return name.size() >= prefix.size() && NamesEqual(name.substr(0, prefix.size()), prefix);
}

}  // namespace

void RegisterDeviceDriver(std::u16string_view prefix, DeviceFactory factory) {
  Drivers& d = TheDrivers();
  std::lock_guard<std::mutex> guard(d.lock);
  for (Driver& driver : d.list) {
    if (NamesEqual(driver.prefix, prefix)) {
      driver.factory = std::move(factory);
      return;
    }
  }
  d.list.push_back(Driver{std::u16string(prefix), std::move(factory)});
}

void UnregisterDeviceDriver(std::u16string_view prefix) {
  Drivers& d = TheDrivers();
  std::lock_guard<std::mutex> guard(d.lock);
  std::erase_if(d.list, [prefix](const Driver& driver) { return NamesEqual(driver.prefix, prefix); });
}

namespace internal {

DeviceFactory FindDeviceDriver(std::u16string_view name) {
  Drivers& d = TheDrivers();
  std::lock_guard<std::mutex> guard(d.lock);
  const Driver* best = nullptr;
  for (const Driver& driver : d.list) {
    if (StartsWith(name, driver.prefix) && (!best || driver.prefix.size() > best->prefix.size())) best = &driver;
  }
  return best ? best->factory : DeviceFactory();
}

}  // namespace internal
}  // namespace ce::files
