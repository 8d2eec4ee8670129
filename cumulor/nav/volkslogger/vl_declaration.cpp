#include "cumulor/nav/volkslogger/vl_declaration.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace cumulor {
namespace {

constexpr std::int32_t kAreaSize = kVlMemorySize - kVlRecordArea;

std::uint32_t Magnitude(float degrees) {
  const double value = std::fabs(static_cast<double>(degrees)) * 60000.0;
  return value >= 16777215.0 ? 16777215u : static_cast<std::uint32_t>(value);
}

void CopyText(char* to, std::size_t size, const std::uint8_t* from, std::int32_t length) {
  std::size_t n = 0;
  for (; n + 1 < size && static_cast<std::int32_t>(n) < length && from[n]; ++n) to[n] = static_cast<char>(from[n]);
  to[n] = 0;
}

}  // namespace

void EncodeVlPoint(const VlPoint& point, bool withSector, std::uint8_t* out) {
  std::size_t n = 0;
  for (; n < 6 && point.name[n]; ++n) out[n] = static_cast<std::uint8_t>(point.name[n]);
  for (; n < 6; ++n) out[n] = ' ';
  const std::uint32_t lat = Magnitude(point.latitude) & 0x7FFFFF;
  const std::uint32_t lon = Magnitude(point.longitude);
  out[6] = static_cast<std::uint8_t>((point.longitude < 0 ? 0x80 : 0) | (point.type & 0x7F));
  out[7] = static_cast<std::uint8_t>((point.latitude < 0 ? 0x80 : 0) | (lat >> 16));
  out[8] = static_cast<std::uint8_t>(lat >> 8);
  out[9] = static_cast<std::uint8_t>(lat);
  out[10] = static_cast<std::uint8_t>(lon >> 16);
  out[11] = static_cast<std::uint8_t>(lon >> 8);
  out[12] = static_cast<std::uint8_t>(lon);
  if (!withSector) return;
  out[13] = static_cast<std::uint8_t>(point.direction / 2);
  out[14] = static_cast<std::uint8_t>(((point.smallRadius / 100) & 0x0F) + 16 * ((point.largeRadius / 1000) & 0x0F));
  out[15] = static_cast<std::uint8_t>(point.further);
}

void DecodeVlPoint(const std::uint8_t* in, bool withSector, VlPoint& point) {
  for (int i = 0; i < 6; ++i) point.name[i] = static_cast<char>(in[i]);
  point.name[6] = 0;
  point.type = in[6] & 0x7F;
  const std::uint32_t lat = static_cast<std::uint32_t>((in[7] & 0x7F) << 16 | in[8] << 8 | in[9]);
  const std::uint32_t lon = static_cast<std::uint32_t>(in[10] << 16 | in[11] << 8 | in[12]);
  point.latitude = static_cast<float>(lat / 60000.0 * ((in[7] & 0x80) ? -1 : 1));
  point.longitude = static_cast<float>(lon / 60000.0 * ((in[6] & 0x80) ? -1 : 1));
  if (!withSector) return;
  point.direction = in[13] * 2;
  point.smallRadius = (in[14] & 0x0F) * 100;
  point.largeRadius = (in[14] >> 4) * 1000;
  point.further = in[15];
}

bool CompactDeclarationRecords(std::uint8_t* memory) {
  std::uint8_t* area = memory + kVlRecordArea;
  std::int32_t last[256];
  for (std::int32_t& at : last) at = -1;
  for (std::int32_t at = 0; at < kAreaSize;) {
    const std::uint8_t length = area[at];
    if (length == 0 || length == 0xFF) break;
    if (length < 2 || at + length > kAreaSize) return false;
    last[area[at + 1]] = at;
    at += length;
  }
  std::uint8_t fresh[kAreaSize];
  std::memset(fresh, 0xFF, sizeof fresh);
  std::int32_t end = 0;
  for (int id = 0; id < 256; ++id) {
    if (last[id] < 0) continue;
    const std::uint8_t length = area[last[id]];
    std::memcpy(fresh + end, area + last[id], length);
    end += length;
  }
  std::memcpy(area, fresh, sizeof fresh);
  return true;
}

bool AppendDeclarationRecord(std::uint8_t* memory, std::uint8_t id, const std::uint8_t* data, std::int32_t length) {
  // A record length of 0xFF would read as the end of the list: at most 252 data bytes.
  if (length < 1 || length > 252) return false;
  std::int32_t at = kVlRecordArea;
  while (at < kVlMemorySize && memory[at] != 0xFF) {
    if (memory[at] < 2) return false;  // a length of 0 ends the list without room after it
    at += memory[at];
  }
  if (at + length + 2 >= kVlMemorySize) return false;
  memory[at] = static_cast<std::uint8_t>(length + 2);
  memory[at + 1] = id;
  std::memcpy(memory + at + 2, data, static_cast<std::size_t>(length));
  return true;
}

void ParseDeclarationRecords(const std::uint8_t* memory, VlDeclaration& d) {
  for (std::int32_t at = kVlRecordArea; at < kVlMemorySize;) {
    const std::int32_t length = memory[at];
    if (length == 0 || length == 0xFF) break;
    if (length < 2 || at + length > kVlMemorySize) break;
    const std::uint8_t id = memory[at + 1];
    const std::uint8_t* data = memory + at + 2;
    const std::int32_t n = length - 2;
    if (id >= 1 && id <= 4) {
      char piece[17];
      CopyText(piece, sizeof piece, data, n);
      // The pieces are put together in order; each holds 16 characters of the name.
      std::size_t offset = static_cast<std::size_t>(id - 1) * 16;
      std::memset(d.pilot + offset, 0, 16);
      std::memcpy(d.pilot + offset, piece, std::strlen(piece));
      d.pilot[64] = 0;
    } else if (id == 5) {
      CopyText(d.gliderType, sizeof d.gliderType, data, n);
    } else if (id == 6) {
      CopyText(d.registration, sizeof d.registration, data, n);
    } else if (id == 7) {
      CopyText(d.competitionId, sizeof d.competitionId, data, n);
    } else if (id == 8) {
      CopyText(d.competitionClass, sizeof d.competitionClass, data, n);
    } else if (id == 16 && n >= 1) {
      d.turnpointCount = data[0];
    } else if (n >= 16 && (id == 32 || id == 33 || id == 34 || (id >= 49 && id < 49 + kVlMaxTurnpoints))) {
      VlPoint& point = id == 32 ? d.takeoff : id == 33 ? d.start : id == 34 ? d.finish : d.turnpoints[id - 49];
      DecodeVlPoint(data, id != 32, point);
    }
    at += length;
  }
}

void WriteDeclarationRecords(const VlDeclaration& d, std::uint8_t* memory) {
  auto text = [memory](std::uint8_t id, const char* value, std::size_t size) {
    std::uint8_t data[65] = {};
    std::size_t n = 0;
    for (; n + 1 < size && value[n]; ++n) data[n] = static_cast<std::uint8_t>(value[n]);
    AppendDeclarationRecord(memory, id, data, static_cast<std::int32_t>(n + 1));
  };
  for (int piece = 0; piece < 4; ++piece) {
    std::uint8_t data[17] = {};
    for (int i = 0; i < 16 && d.pilot[piece * 16 + i]; ++i) data[i] = static_cast<std::uint8_t>(d.pilot[piece * 16 + i]);
    AppendDeclarationRecord(memory, static_cast<std::uint8_t>(1 + piece), data, 17);
  }
  text(5, d.gliderType, sizeof d.gliderType);
  text(6, d.registration, sizeof d.registration);
  text(8, d.competitionClass, sizeof d.competitionClass);
  text(7, d.competitionId, sizeof d.competitionId);
  std::uint8_t point[16] = {};
  EncodeVlPoint(d.takeoff, false, point);
  AppendDeclarationRecord(memory, 32, point, 16);
  const std::uint8_t count = static_cast<std::uint8_t>(d.turnpointCount);
  AppendDeclarationRecord(memory, 16, &count, 1);
  EncodeVlPoint(d.start, true, point);
  AppendDeclarationRecord(memory, 33, point, 16);
  EncodeVlPoint(d.finish, true, point);
  AppendDeclarationRecord(memory, 34, point, 16);
  const std::int32_t turnpoints = d.turnpointCount > kVlMaxTurnpoints ? kVlMaxTurnpoints : d.turnpointCount;
  for (std::int32_t i = 0; i < turnpoints; ++i) {
    EncodeVlPoint(d.turnpoints[i], true, point);
    AppendDeclarationRecord(memory, static_cast<std::uint8_t>(49 + i), point, 16);
  }
  CompactDeclarationRecords(memory);
}

void SetDeclarationTask(VlDeclaration& d, const VlTaskPoint* points, std::int32_t count, std::int32_t sectorKind,
                        std::int32_t sectorRadius) {
  d.turnpointCount = count >= 2 ? (count + 254) % 256 : 0;
  if (d.turnpointCount > kVlMaxTurnpoints) d.turnpointCount = kVlMaxTurnpoints;
  for (std::int32_t i = 0; i < count; ++i) {
    VlPoint* target;
    if (i == count - 1) {
      target = &d.finish;
    } else if (i == 0) {
      target = &d.start;
    } else if (i - 1 < kVlMaxTurnpoints) {
      target = &d.turnpoints[i - 1];
    } else {
      continue;
    }
    VlPoint point;
    for (int c = 0; c < 6 && points[i].name[c]; ++c) {
      point.name[c] = static_cast<char>(std::toupper(static_cast<unsigned char>(points[i].name[c])));
    }
    point.latitude = static_cast<float>(points[i].latitude);
    point.longitude = static_cast<float>(points[i].longitude);
    point.type = 4;
    point.direction = 360;
    if (sectorKind == 360) {
      point.smallRadius = sectorRadius;
    } else {
      point.largeRadius = sectorRadius;
    }
    point.further = target->further;
    *target = point;
  }
}

}  // namespace cumulor
