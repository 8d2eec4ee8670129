#include "tools/lxemu/lx_emulator.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace lxemu {
namespace {

constexpr std::uint8_t kSyn = 0x16, kAck = 0x06, kStx = 0x02;
constexpr std::uint8_t kSendDeclaration = 0xC9, kTakeDeclaration = 0xCA, kSendFlight = 0x31;

// Block places (bytes): flag 0, pilot 1 (19), glider type 20 (12), registration 32 (8),
// competition id 40 (4), date 44 (3), point types 47 (10), names 57 (10 x 9), latitudes 147
// (10 x 4, big-endian), longitudes 187 (10 x 4), check byte 349.
void PutText(Bytes& b, std::size_t at, std::size_t room, const std::string& text) {
  for (std::size_t i = 0; i < room; ++i) b[at + i] = i + 1 < room && i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}
std::string GetText(const Bytes& b, std::size_t at, std::size_t room) {
  std::string text;
  for (std::size_t i = 0; i + 1 < room && b[at + i] != 0; ++i) text += static_cast<char>(b[at + i]);
  return text;
}
void PutLong(Bytes& b, std::size_t at, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (24 - 8 * i));
}
std::int32_t GetLong(const Bytes& b, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u = u << 8 | b[at + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(u);
}

}  // namespace

std::uint8_t CheckByte(const std::uint8_t* bytes, std::size_t count) {
  unsigned reg = 0xFF;
  for (std::size_t i = 0; i < count; ++i) {
    for (int bit = 7; bit >= 0; --bit) {
      const unsigned in = (bytes[i] >> bit) & 1u;
      const unsigned top = (reg >> 7) & 1u;
      reg = (reg << 1) & 0xFFu;
      if (in != top) reg ^= 0x69u;
    }
  }
  return static_cast<std::uint8_t>(reg);
}

Bytes EncodeBlock(const Declaration& d) {
  Bytes b(kBlockSize, 0);
  PutText(b, 1, 19, d.pilot);
  PutText(b, 20, 12, d.gliderType);
  PutText(b, 32, 8, d.registration);
  PutText(b, 40, 4, d.competitionId);
  b[44] = d.day;
  b[45] = d.month;
  b[46] = d.year;
  for (std::size_t i = 0; i < 10; ++i) {
    b[47 + i] = d.points[i].type;
    PutText(b, 57 + 9 * i, 9, d.points[i].name);
    PutLong(b, 147 + 4 * i, d.points[i].latitude);
    PutLong(b, 187 + 4 * i, d.points[i].longitude);
  }
  b[kBlockSize - 1] = CheckByte(b.data(), kBlockSize - 1);
  return b;
}

Declaration DecodeBlock(const Bytes& b) {
  Declaration d;
  if (b.size() < kBlockSize) return d;
  d.pilot = GetText(b, 1, 19);
  d.gliderType = GetText(b, 20, 12);
  d.registration = GetText(b, 32, 8);
  d.competitionId = GetText(b, 40, 4);
  d.day = b[44];
  d.month = b[45];
  d.year = b[46];
  for (std::size_t i = 0; i < 10; ++i) {
    d.points[i].type = b[47 + i];
    d.points[i].name = GetText(b, 57 + 9 * i, 9);
    d.points[i].latitude = GetLong(b, 147 + 4 * i);
    d.points[i].longitude = GetLong(b, 187 + 4 * i);
  }
  return d;
}

LxEmulator::LxEmulator(std::string blockFile) : blockFile_(std::move(blockFile)) {
  Declaration d;
  d.pilot = "LX PILOT";
  d.gliderType = "DISCUS";
  d.registration = "D-LXLX";
  d.competitionId = "LX";
  d.day = 1;
  d.month = 6;
  d.year = 26;
  d.points[0] = {3, "HOME", 2850000, 495000};
  d.points[1] = {1, "NORTH", 2880000, 495000};
  d.points[2] = {2, "HOME", 2850000, 495000};
  block_ = EncodeBlock(d);
  if (blockFile_.empty()) return;
  std::ifstream in(blockFile_, std::ios::binary);
  Bytes stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (stored.size() == kBlockSize) block_ = stored;
}

void LxEmulator::Save() const {
  if (blockFile_.empty()) return;
  std::ofstream out(blockFile_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(block_.data()), static_cast<std::streamsize>(block_.size()));
}

Bytes LxEmulator::FlightBlock() const {
  Bytes flight(kFlightSize);
  for (std::size_t i = 0; i + 1 < kFlightSize; ++i) flight[i] = static_cast<std::uint8_t>((i * 31 + 7) & 0xFF);
  flight[kFlightSize - 1] = CheckByte(flight.data(), kFlightSize - 1);
  return flight;
}

void LxEmulator::Send(Bytes data, Bytes& out) {
  if (faults.crcErrors > 0) {
    --faults.crcErrors;
    data.back() ^= 0x5A;
  }
  if (faults.unplugAfter >= 0 && static_cast<std::size_t>(faults.unplugAfter) < data.size()) {
    data.resize(static_cast<std::size_t>(faults.unplugAfter));
    unplugged_ = true;
  }
  out.insert(out.end(), data.begin(), data.end());
}

void LxEmulator::Receive(std::uint8_t byte, Bytes& out) {
  if (unplugged_ || faults.silent) return;
  switch (state_) {
    case State::kUpload:
      upload_.push_back(byte);
      if (upload_.size() == kBlockSize) {
        state_ = State::kIdle;
        if (CheckByte(upload_.data(), kBlockSize - 1) == upload_.back()) {
          block_ = upload_;
          Save();
          requests_.push_back(kTakeDeclaration);
          out.push_back(kAck);
        } else {
          requests_.push_back(0);
        }
      }
      return;
    case State::kCommand:
      state_ = State::kIdle;
      if (byte == kSendDeclaration) {
        requests_.push_back(byte);
        Send(block_, out);
      } else if (byte == kSendFlight) {
        requests_.push_back(byte);
        Send(FlightBlock(), out);
      } else if (byte == kTakeDeclaration) {
        state_ = State::kUpload;
        upload_.clear();
      }
      return;
    case State::kIdle:
      if (byte == kSyn) out.push_back(kAck);
      if (byte == kStx) state_ = State::kCommand;
      return;
  }
}

}  // namespace lxemu
