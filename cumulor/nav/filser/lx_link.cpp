#include "cumulor/nav/filser/lx_link.h"

#include <memory>

#include "cumulor/nav/filser/lx_declaration.h"

namespace cumulor {
namespace {

constexpr std::uint8_t kSyn = 22, kAck = 6, kStx = 0x02;
constexpr std::uint8_t kReadDeclaration = 0xC9, kWriteDeclaration = 0xCA, kReadFlight = 0x31;
constexpr std::size_t kFlightBlockSize = 32769;

// Up to 11 handshakes. `withCancel`: each failure posts 500, waits 1000 ms and ends the command
// when it was cleared; the last failure posts 600/4.
bool Connect(DeviceLink& link, bool withCancel) {
  for (int attempt = 1; attempt <= 11; ++attempt) {
    if (LxHandshake(*link.io)) return true;
    if (link.Cancelled()) return false;
    link.Post(lxcode::kHandshakeRetry, attempt);
    if (withCancel) link.io->Wait(1000);
  }
  if (withCancel) link.Post(lxcode::kError, lxcode::kNoAnswer);
  return false;
}

bool SendRequest(LoggerIo& io, std::uint8_t command) {
  io.Wait(10);
  if (FAILED(io.WriteByte(kStx))) return false;
  io.Wait(10);
  return SUCCEEDED(io.WriteByte(command));
}

// Reads exactly `size` bytes; false on a short block, a read error or a wrong CRC.
bool ReadChecked(LoggerIo& io, std::uint8_t* block, std::size_t size) {
  std::size_t have = 0;
  while (have < size) {
    std::uint32_t read = 0;
    const std::uint32_t want = static_cast<std::uint32_t>(size - have > 4096 ? 4096 : size - have);
    if (FAILED(io.Read(block + have, want, read)) || read == 0) return false;
    have += read;
  }
  return LxCrc(block, size - 1) == block[size - 1];
}

HRESULT ReadCommand(DeviceLink& link, std::uint8_t command, std::uint8_t* block, std::size_t size) {
  if (!link.io || !block) return E_FAIL;
  if (!Connect(link, true)) return E_FAIL;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    if (link.Cancelled()) return E_FAIL;
    link.Post(lxcode::kReadAttempt, attempt);
    if (!SendRequest(*link.io, command)) break;
    if (ReadChecked(*link.io, block, size)) {
      link.Post(lxcode::kReadDone, 0);
      return 0;
    }
    link.io->Purge();
  }
  link.Post(lxcode::kError, lxcode::kTransferFailed);
  return E_FAIL;
}

}  // namespace

std::uint8_t LxCrc(const std::uint8_t* bytes, std::size_t count) {
  std::uint8_t crc = 0xFF;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t byte = bytes[i];
    for (int bit = 0; bit < 8; ++bit) {
      const bool differ = ((byte ^ crc) & 0x80) != 0;
      crc = static_cast<std::uint8_t>(differ ? (crc << 1) ^ 0x69 : crc << 1);
      byte = static_cast<std::uint8_t>(byte << 1);
    }
  }
  return crc;
}

bool LxHandshake(LoggerIo& io) {
  io.WriteByte(kSyn);
  for (int i = 0; i < 3; ++i) {
    io.Wait(200);
    io.Purge();
    io.WriteByte(kSyn);
  }
  std::uint8_t byte = 0;
  std::uint32_t read = 0;
  return SUCCEEDED(io.Read(&byte, 1, read)) && read == 1 && byte == kAck;
}

HRESULT DeviceReadBlock(DeviceLink& link, std::uint8_t* block) {
  return ReadCommand(link, kReadDeclaration, block, kLxBlockSize);
}

HRESULT DeviceReadFlight(DeviceLink& link) {
  std::unique_ptr<std::uint8_t[]> flight(new (std::nothrow) std::uint8_t[kFlightBlockSize]);
  if (!flight) return E_OUTOFMEMORY;
  return ReadCommand(link, kReadFlight, flight.get(), kFlightBlockSize);
}

HRESULT DeviceWriteBlock(DeviceLink& link, std::uint8_t* block) {
  if (!link.io || !block) return E_FAIL;
  if (!Connect(link, false)) {
    link.Post(lxcode::kError, lxcode::kTransferFailed);
    return E_FAIL;
  }
  block[lx::kCrc] = LxCrc(block, kLxBlockSize - 1);
  for (int attempt = 1; attempt <= 3; ++attempt) {
    link.Post(lxcode::kWriteAttempt, attempt);
    if (!SendRequest(*link.io, kWriteDeclaration)) break;
    bool written = true;
    for (int i = 0; i < kLxBlockSize && written; ++i) written = SUCCEEDED(link.io->WriteByte(block[i]));
    std::uint8_t answer = 0;
    std::uint32_t read = 0;
    if (written && SUCCEEDED(link.io->Read(&answer, 1, read)) && read == 1 && answer == kAck) {
      link.Post(lxcode::kWriteDone, 0);
      return 0;
    }
  }
  link.Post(lxcode::kError, lxcode::kTransferFailed);
  return E_FAIL;
}

}  // namespace cumulor
