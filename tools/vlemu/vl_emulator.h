// The recorder side of the Volkslogger serial link: answers wake-up requests, checks command
// frames, sends stuffed blocks (directory, flights, security blocks, the declaration memory),
// takes a new declaration memory and erases flights. Byte in, bytes out: the tests run it in
// process, vlemu_main puts it behind a pseudo-terminal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/vlemu/vl_flight_gen.h"

namespace vlemu {

constexpr std::size_t kMemorySize = 16384;

// Scripted faults.
struct Faults {
  bool silent = false;           // never answers
  int crcErrors = 0;             // the next n blocks go out with a wrong CRC
  long unplugAfter = -1;         // the next block stops after n bytes and the recorder is gone
  bool oversizeFlight = false;   // flights are padded beyond the host's 82000-byte buffer
  int slowMs = 0;                // delay before each answer (honoured by the pseudo-terminal main)
};

// The recorder's own CRC-16 (bitwise: polynomial 0x1021, start 0).
std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t count);

class VlEmulator {
 public:
  // `memoryFile` keeps the declaration memory between runs (empty: memory only).
  explicit VlEmulator(std::string memoryFile = {});

  void AddFlight(const GenFlight& flight) { flights_.push_back(flight); }
  const std::vector<GenFlight>& flights() const { return flights_; }
  const Bytes& memory() const { return memory_; }
  Bytes& memory() { return memory_; }
  bool unplugged() const { return unplugged_; }
  // Commands that passed the frame check, in order.
  const std::vector<std::uint8_t>& commands() const { return commands_; }

  // One byte from the host; the answer's bytes are appended to `out`.
  void Receive(std::uint8_t byte, Bytes& out);

  Faults faults;

 private:
  enum class State { kIdle, kFrame, kUpload };
  void Execute(const std::uint8_t* frame, Bytes& out);
  void SendBlock(const Bytes& data, Bytes& out);
  void SaveMemory() const;

  std::string memoryFile_;
  Bytes memory_;
  std::vector<GenFlight> flights_;
  std::vector<std::uint8_t> commands_;
  State state_ = State::kIdle;
  Bytes collected_;
  int lastFlight_ = -1;
  bool unplugged_ = false;
};

}  // namespace vlemu
