#include "tools/vlemu/vl_emulator.h"

#include <fstream>
#include <iterator>

namespace vlemu {
namespace {

constexpr std::uint8_t kEnq = 0x05, kAck = 0x06, kNak = 0x15, kDle = 0x10, kStx = 0x02, kEtx = 0x03;
constexpr std::size_t kPaddedFlight = 82010;

}  // namespace

std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t count) {
  std::uint16_t crc = 0;
  for (std::size_t i = 0; i < count; ++i) {
    crc ^= static_cast<std::uint16_t>(bytes[i] << 8);
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

VlEmulator::VlEmulator(std::string memoryFile) : memoryFile_(std::move(memoryFile)), memory_(kMemorySize, 0xFF) {
  if (memoryFile_.empty()) return;
  std::ifstream in(memoryFile_, std::ios::binary);
  Bytes stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (stored.size() == kMemorySize) memory_ = stored;
}

void VlEmulator::SaveMemory() const {
  if (memoryFile_.empty()) return;
  std::ofstream out(memoryFile_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(memory_.data()), static_cast<std::streamsize>(memory_.size()));
}

void VlEmulator::SendBlock(const Bytes& data, Bytes& out) {
  Bytes body = data;
  std::uint16_t crc = Crc16(data.data(), data.size());
  if (faults.crcErrors > 0) {
    --faults.crcErrors;
    crc ^= 0x5A5A;
  }
  body.push_back(static_cast<std::uint8_t>(crc >> 8));
  body.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  Bytes wire = {kDle, kStx};
  for (std::uint8_t b : body) {
    wire.push_back(b);
    if (b == kDle) wire.push_back(kDle);
  }
  wire.push_back(kDle);
  wire.push_back(kEtx);
  if (faults.unplugAfter >= 0 && static_cast<std::size_t>(faults.unplugAfter) < wire.size()) {
    wire.resize(static_cast<std::size_t>(faults.unplugAfter));
    unplugged_ = true;
  }
  out.insert(out.end(), wire.begin(), wire.end());
}

void VlEmulator::Execute(const std::uint8_t* frame, Bytes& out) {
  const std::uint8_t command = frame[0];
  commands_.push_back(command);
  switch (command) {
    case 1: {
      out.push_back(kAck);
      Bytes directory;
      for (const GenFlight& f : flights_) {
        const Bytes records = DirectoryRecords(f);
        directory.insert(directory.end(), records.begin(), records.end());
      }
      SendBlock(directory, out);
      break;
    }
    case 2:
    case 3: {
      out.push_back(kAck);
      lastFlight_ = frame[1] < flights_.size() ? frame[1] : -1;
      Bytes stream = lastFlight_ >= 0 ? FlightStream(flights_[static_cast<std::size_t>(lastFlight_)]) : Bytes{};
      if (faults.oversizeFlight && !stream.empty()) stream.resize(kPaddedFlight, 0xC0);
      SendBlock(stream, out);
      break;
    }
    case 8:
      out.push_back(kAck);
      SendBlock(lastFlight_ >= 0 ? flights_[static_cast<std::size_t>(lastFlight_)].security : Bytes{}, out);
      break;
    case 4:
      out.push_back(kAck);
      SendBlock(memory_, out);
      break;
    case 6:
      out.push_back(kAck);
      flights_.clear();
      break;
    case 7:
      // The command's answer, then the go-ahead for the memory bytes.
      out.push_back(kAck);
      out.push_back(kAck);
      state_ = State::kUpload;
      collected_.clear();
      break;
    case 12:
      out.push_back(kAck);
      break;
    default:
      out.push_back(kNak);
      break;
  }
}

void VlEmulator::Receive(std::uint8_t byte, Bytes& out) {
  if (unplugged_ || faults.silent) return;
  switch (state_) {
    case State::kUpload:
      collected_.push_back(byte);
      if (collected_.size() == kMemorySize + 2) {
        state_ = State::kIdle;
        const std::uint16_t crc = Crc16(collected_.data(), kMemorySize);
        if (collected_[kMemorySize] == (crc >> 8) && collected_[kMemorySize + 1] == (crc & 0xFF)) {
          memory_.assign(collected_.begin(), collected_.begin() + static_cast<long>(kMemorySize));
          SaveMemory();
          out.push_back(kAck);
        } else {
          out.push_back(kNak);
        }
      }
      return;
    case State::kFrame:
      collected_.push_back(byte);
      if (collected_.size() == 10) {
        state_ = State::kIdle;
        const std::uint16_t crc = Crc16(collected_.data(), 8);
        // A damaged frame gets no answer.
        if (collected_[8] == (crc >> 8) && collected_[9] == (crc & 0xFF)) Execute(collected_.data(), out);
      }
      return;
    case State::kIdle:
      if (byte == 'R') {
        out.insert(out.end(), 5, static_cast<std::uint8_t>('L'));
      } else if (byte == kEnq) {
        state_ = State::kFrame;
        collected_.clear();
      }
      // CAN and ACK bytes between frames are the host's resets and go-aheads: nothing to do.
      return;
  }
}

}  // namespace vlemu
