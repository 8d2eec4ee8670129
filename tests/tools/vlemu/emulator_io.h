// The link's port wired straight to the Volkslogger emulator, and the tests' own reading of the
// declaration records in the emulator's memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tests/tools/recorder_emulator_io.h"
#include "tools/vlemu/vl_emulator.h"

namespace vlemu_test {

using vlemu::Bytes;

using EmulatorIo = recorder_test::RecorderEmulatorIo<vlemu::VlEmulator>;

// The last record of each id in the memory's record list.
inline std::map<int, Bytes> Records(const Bytes& memory) {
  std::map<int, Bytes> records;
  for (std::size_t at = 12288; at < memory.size() && memory[at] != 0 && memory[at] != 0xFF; at += memory[at]) {
    if (at + memory[at] > memory.size() || memory[at] < 2) break;
    records[memory[at + 1]] = Bytes(memory.begin() + static_cast<long>(at) + 2,
                                    memory.begin() + static_cast<long>(at) + memory[at]);
  }
  return records;
}

struct DecodedPoint {
  std::string name;
  double latitude = 0, longitude = 0;
  int small = 0, large = 0, direction = 0;
};

// A 16-byte point with its sector bytes.
inline DecodedPoint DecodePoint(const Bytes& p) {
  DecodedPoint d;
  d.name.assign(p.begin(), p.begin() + 6);
  const int lat = (p[7] & 0x7F) << 16 | p[8] << 8 | p[9];
  const int lon = p[10] << 16 | p[11] << 8 | p[12];
  d.latitude = lat / 60000.0 * ((p[7] & 0x80) ? -1 : 1);
  d.longitude = lon / 60000.0 * ((p[6] & 0x80) ? -1 : 1);
  d.direction = p[13] * 2;
  d.small = (p[14] & 0x0F) * 100;
  d.large = (p[14] >> 4) * 1000;
  return d;
}

}  // namespace vlemu_test
