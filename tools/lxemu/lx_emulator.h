// The recorder side of the Filser/LX block protocol: answers each SYN with ACK, and after STX a
// command byte: 0xC9 sends the 350-byte declaration block, 0xCA takes a new one (ACK when its
// last byte is the CRC of the others), 0x31 sends the 32769-byte flight block. Byte in, bytes
// out: tests run it in process, lxemu_main puts it behind a pseudo-terminal. Written from the
// protocol's description alone; it shares no code with the flight computer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lxemu {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBlockSize = 350;
constexpr std::size_t kFlightSize = 32769;

// Scripted faults.
struct Faults {
  bool silent = false;      // never answers
  int crcErrors = 0;        // the next n blocks sent carry a wrong CRC
  long unplugAfter = -1;    // the next block stops after n bytes and the recorder is gone
  int slowMs = 0;           // delay before each answer (honoured by the pseudo-terminal main)
};

// The recorder's 8-bit check byte: register 0xFF, generator 0x69, bits taken high first.
std::uint8_t CheckByte(const std::uint8_t* bytes, std::size_t count);

// The declaration fields the recorder keeps, at their places in the block.
struct Declaration {
  std::string pilot, gliderType, registration, competitionId;
  std::uint8_t day = 0, month = 0, year = 0;
  struct Point {
    std::uint8_t type = 0;  // 1 turnpoint, 2 landing, 3 takeoff, 0 unused
    std::string name;
    std::int32_t latitude = 0, longitude = 0;  // 1/60000 degree
  } points[10];
};
Bytes EncodeBlock(const Declaration& d);  // with its check byte
Declaration DecodeBlock(const Bytes& block);

class LxEmulator {
 public:
  // `blockFile` keeps the declaration block between runs (empty: memory only).
  explicit LxEmulator(std::string blockFile = {});

  void Receive(std::uint8_t byte, Bytes& out);
  const Bytes& block() const { return block_; }
  Bytes& block() { return block_; }
  bool unplugged() const { return unplugged_; }
  // Requests served, in order (0xC9, 0xCA, 0x31); a rejected upload is recorded as 0.
  const std::vector<std::uint8_t>& requests() const { return requests_; }
  // The flight block the recorder sends (with its check byte).
  Bytes FlightBlock() const;

  Faults faults;

 private:
  void Send(Bytes data, Bytes& out);
  void Save() const;

  enum class State { kIdle, kCommand, kUpload };
  std::string blockFile_;
  Bytes block_;
  Bytes upload_;
  State state_ = State::kIdle;
  std::vector<std::uint8_t> requests_;
  bool unplugged_ = false;
};

}  // namespace lxemu
