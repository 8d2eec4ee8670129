// The Volkslogger's declaration: the 636-byte declaration object and the record list it keeps in
// bytes 12288 to 16383 of the recorder's 16384-byte declaration memory.
//
// Record list: {length including these two bytes, id, data}; a length of 0 or 0xFF ends it; free
// space is 0xFF. Ids: 1 to 4 pilot name pieces (16 characters and a terminator), 5 glider type,
// 6 registration, 7 competition id, 8 competition class, 16 turnpoint count, 32 takeoff, 33 start,
// 34 finish, 49 + i turnpoint i (16-byte points, see EncodeVlPoint).
#pragma once

#include <cstdint>

namespace cumulor {

constexpr std::int32_t kVlMemorySize = 16384;
constexpr std::int32_t kVlRecordArea = 12288;
constexpr std::int32_t kVlMaxTurnpoints = 12;

struct VlPoint {
  char name[7] = {};
  float latitude = 0, longitude = 0;  // degrees, north and east positive
  std::int32_t type = 0;
  std::int32_t smallRadius = 0, largeRadius = 0;  // metres
  std::int32_t direction = 0;                     // degrees
  std::int32_t further = 0;
};

struct VlDeclaration {
  char pilot[65] = {};
  char registration[8] = {};
  char gliderType[13] = {};
  char competitionClass[13] = {};
  char competitionId[4] = {};
  VlPoint takeoff;
  std::int32_t turnpointCount = 0;
  VlPoint start, finish;
  VlPoint turnpoints[kVlMaxTurnpoints];
};

// The 16-byte point: name blank-padded to 6 characters; byte 6 bit 7 west, bits 0..6 type;
// bytes 7..9 latitude magnitude in 1/60000 degree with bit 7 of byte 7 for south; bytes 10..12 the
// longitude magnitude; for sector points byte 13 direction / 2, byte 14 small radius / 100 in the
// low and large radius / 1000 in the high nibble, byte 15 the further byte. Without a sector,
// bytes 13..15 are left as they are.
void EncodeVlPoint(const VlPoint& point, bool withSector, std::uint8_t* out);
void DecodeVlPoint(const std::uint8_t* in, bool withSector, VlPoint& point);

// Keeps the last record of every id, in id order, in a fresh area. False when the list runs into
// the end of the memory (the area is then left as it was).
bool CompactDeclarationRecords(std::uint8_t* memory);
// Appends a record of `length` data bytes (1 to 252); false when there is no room or the list is
// damaged.
bool AppendDeclarationRecord(std::uint8_t* memory, std::uint8_t id, const std::uint8_t* data, std::int32_t length);
// Fills `declaration` from the record list; of two records with one id the later wins.
void ParseDeclarationRecords(const std::uint8_t* memory, VlDeclaration& declaration);
// Appends the declaration's records (records that do not fit are left out) and compacts the list.
void WriteDeclarationRecords(const VlDeclaration& declaration, std::uint8_t* memory);

// One point of a task for SetDeclarationTask.
struct VlTaskPoint {
  const char* name;
  double latitude, longitude;  // degrees
};
// Start, turnpoints and finish from `count` task points: the first is the start, the last the
// finish, the others turnpoints (at most 12); one point fills the finish only. Sector kind 360:
// the small radius is `sectorRadius`, else the large one.
void SetDeclarationTask(VlDeclaration& declaration, const VlTaskPoint* points, std::int32_t count,
                        std::int32_t sectorKind, std::int32_t sectorRadius);

}  // namespace cumulor
