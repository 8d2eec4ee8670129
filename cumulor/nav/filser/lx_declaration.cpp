#include "cumulor/nav/filser/lx_declaration.h"

#include <cstring>

namespace cumulor {
namespace {

void PutText(std::uint8_t* at, const char* text, int size) {
  std::memset(at, 0, static_cast<std::size_t>(size));
  for (int i = 0; i < size - 1 && text[i]; ++i) at[i] = static_cast<std::uint8_t>(text[i]);
}

void GetText(char* text, const std::uint8_t* at, int size) {
  std::memcpy(text, at, static_cast<std::size_t>(size - 1));
  text[size - 1] = 0;
}

void PutBe32(std::uint8_t* at, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  at[0] = static_cast<std::uint8_t>(v >> 24);
  at[1] = static_cast<std::uint8_t>(v >> 16);
  at[2] = static_cast<std::uint8_t>(v >> 8);
  at[3] = static_cast<std::uint8_t>(v);
}

std::int32_t GetBe32(const std::uint8_t* at) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(at[0]) << 24) | (at[1] << 16) | (at[2] << 8) | at[3]);
}

}  // namespace

void LxEncodeDeclaration(const LxDeclaration& d, std::uint8_t* block) {
  PutText(block + lx::kPilot, d.pilot, lx::kPilotSize);
  PutText(block + lx::kGliderType, d.gliderType, lx::kGliderTypeSize);
  PutText(block + lx::kRegistration, d.registration, lx::kRegistrationSize);
  PutText(block + lx::kCompetitionId, d.competitionId, lx::kCompetitionIdSize);
  std::memcpy(block + lx::kDate, d.date, 3);
  for (int i = 0; i < kLxPoints; ++i) {
    const LxPoint& p = d.points[i];
    block[lx::kTypes + i] = p.type;
    PutText(block + lx::kNames + i * lx::kNameSize, p.name, lx::kNameSize);
    PutBe32(block + lx::kLatitudes + i * 4, p.latitude);
    PutBe32(block + lx::kLongitudes + i * 4, p.longitude);
  }
}

LxDeclaration LxDecodeDeclaration(const std::uint8_t* block) {
  LxDeclaration d;
  GetText(d.pilot, block + lx::kPilot, lx::kPilotSize);
  GetText(d.gliderType, block + lx::kGliderType, lx::kGliderTypeSize);
  GetText(d.registration, block + lx::kRegistration, lx::kRegistrationSize);
  GetText(d.competitionId, block + lx::kCompetitionId, lx::kCompetitionIdSize);
  std::memcpy(d.date, block + lx::kDate, 3);
  for (int i = 0; i < kLxPoints; ++i) {
    LxPoint& p = d.points[i];
    p.type = block[lx::kTypes + i];
    GetText(p.name, block + lx::kNames + i * lx::kNameSize, lx::kNameSize);
    p.latitude = GetBe32(block + lx::kLatitudes + i * 4);
    p.longitude = GetBe32(block + lx::kLongitudes + i * 4);
  }
  return d;
}

}  // namespace cumulor
