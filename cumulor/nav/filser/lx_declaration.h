// The 350-byte declaration block exchanged with a Filser/LX recorder, and its fields.
//
// Layout (offsets in bytes; texts 8-bit, NUL-padded; positions big-endian signed 32-bit values in
// 1/60000 degree, north and east positive):
//
//   0        flag byte, kept as read
//   1..19    pilot name, 18 characters and a NUL
//   20..31   glider type, 11 characters and a NUL
//   32..39   glider registration, 7 characters and a NUL
//   40..43   competition id, 3 characters and a NUL
//   44..46   declaration date: day, month, year - 2000
//   47..56   point types, one byte per point (1 turnpoint, 2 landing, 3 takeoff, 0 unused)
//   57..146  point names, 10 x 9 bytes (8 characters and a NUL)
//   147..186 point latitudes, 10 x 4 bytes
//   187..226 point longitudes, 10 x 4 bytes
//   227..348 reserved, kept as read
//   349      CRC of bytes 0..348
#pragma once

#include <cstdint>

namespace cumulor {

constexpr int kLxBlockSize = 350;
constexpr int kLxPoints = 10;

namespace lx {
constexpr int kFlag = 0, kPilot = 1, kGliderType = 20, kRegistration = 32, kCompetitionId = 40, kDate = 44,
              kTypes = 47, kNames = 57, kLatitudes = 147, kLongitudes = 187, kCrc = 349;
constexpr int kPilotSize = 19, kGliderTypeSize = 12, kRegistrationSize = 8, kCompetitionIdSize = 4, kNameSize = 9;
}  // namespace lx

struct LxPoint {
  std::uint8_t type = 0;
  char name[lx::kNameSize] = {};
  std::int32_t latitude = 0, longitude = 0;  // 1/60000 degree
};

struct LxDeclaration {
  char pilot[lx::kPilotSize] = {};
  char gliderType[lx::kGliderTypeSize] = {};
  char registration[lx::kRegistrationSize] = {};
  char competitionId[lx::kCompetitionIdSize] = {};
  std::uint8_t date[3] = {};
  LxPoint points[kLxPoints];
};

// Fills the fields of `block` (its flag, reserved bytes and CRC are left as they are).
void LxEncodeDeclaration(const LxDeclaration& declaration, std::uint8_t* block);
// The fields of `block`; every text is terminated whatever the block holds.
LxDeclaration LxDecodeDeclaration(const std::uint8_t* block);

}  // namespace cumulor
