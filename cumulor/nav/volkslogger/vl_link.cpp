#include "cumulor/nav/volkslogger/vl_link.h"

#include <cstring>

#include "cumulor/nav/volkslogger/vl_crc.h"

namespace cumulor {
namespace {

// Writes `byte`, retrying every 100 ms while writing fails; false when the exchange stops first.
bool WriteRetrying(LoggerLink& link, std::uint8_t byte) {
  while (FAILED(link.io->WriteByte(byte))) {
    if (link.Stopping()) return false;
    link.io->Wait(100);
  }
  return true;
}

// Sets 9600 baud after a fast transfer, retrying until it takes or the exchange stops.
bool BackTo9600(LoggerLink& link) {
  while (FAILED(link.io->SetBaud(9600))) {
    if (link.Stopping()) return false;
    link.io->Wait(100);
  }
  return true;
}

}  // namespace

HRESULT LoggerConnect(LoggerLink& link) {
  if (!link.io) return E_FAIL;
  link.Status(1, 100, u"Set logger to PC mode!");
  if (FAILED(link.io->SetBaud(9600))) return E_FAIL;
  link.io->Purge();
  if (!WriteRetrying(link, vl::kCan)) return E_FAIL;
  int answers = 0;
  for (int attempt = 0; attempt < 11; ++attempt) {
    if (link.Stopping()) return E_FAIL;
    if (!WriteRetrying(link, vl::kRequest)) return E_FAIL;
    link.io->Wait(50);
    std::uint8_t byte = 0;
    std::uint32_t read = 0;
    if (FAILED(link.io->Read(&byte, 1, read))) return E_FAIL;
    if (read != 1 || byte != vl::kAnswer) continue;
    for (int further = 0; further < 5; ++further) {
      if (FAILED(link.io->Read(&byte, 1, read))) return E_FAIL;
      if (read == 1 && byte == vl::kAnswer && ++answers >= 4) {
        link.Status(1, 100, u"Receiving Data...");
        return 0;
      }
    }
  }
  return E_FAIL;
}

HRESULT LoggerSendCommand(LoggerLink& link, std::uint8_t command, std::uint8_t parameter1, std::uint8_t parameter2) {
  if (!link.io) return E_FAIL;
  LoggerIo& io = *link.io;
  for (int i = 0; i < 6; ++i) {
    if (FAILED(io.WriteByte(vl::kCan))) return E_FAIL;
    io.Wait(2);
  }
  io.Wait(2);
  if (FAILED(io.WriteByte(vl::kEnq))) return E_FAIL;
  io.Wait(2);
  // Bytes 3 to 7 are not used by the commands sent; they go out as zeros.
  const std::uint8_t frame[8] = {command, parameter1, parameter2, 0, 0, 0, 0, 0};
  std::uint16_t crc = 0;
  for (std::uint8_t byte : frame) {
    if (FAILED(io.WriteByte(byte))) return E_FAIL;
    io.Wait(2);
    crc = VlCrcUpdate(crc, byte);
  }
  if (FAILED(io.WriteByte(static_cast<std::uint8_t>(crc >> 8))) || FAILED(io.WriteByte(static_cast<std::uint8_t>(crc))))
    return E_FAIL;
  io.Wait(200);
  std::uint32_t read = 0;
  if (FAILED(io.Read(&link.reply, 1, read)) || read != 1) return E_FAIL;
  return 0;
}

std::int32_t LoggerReadBlock(LoggerLink& link, std::uint8_t* buffer, std::int32_t capacity, std::uint8_t fill) {
  if (!buffer || capacity < 1 || !link.io) return E_FAIL;
  std::memset(buffer, fill, static_cast<std::size_t>(capacity));
  LoggerIo& io = *link.io;
  bool dlePending = false;
  bool started = false;
  std::int64_t count = 0;
  std::uint16_t crc = 0;
  for (;;) {
    std::uint8_t byte = 0;
    for (;;) {
      io.WriteByte(vl::kAck);
      if (link.Stopping()) {
        io.WriteByte(vl::kCan);
        io.Wait(100);
        io.WriteByte(vl::kCan);
        io.Wait(100);
        io.WriteByte(vl::kCan);
        return E_FAIL;
      }
      std::uint32_t read = 0;
      if (FAILED(io.Read(&byte, 1, read))) return E_FAIL;
      if (read == 1) break;
    }
    bool data = false;
    if (byte == vl::kDle) {
      if (dlePending) {
        dlePending = false;
        data = true;
      } else {
        dlePending = true;
      }
    } else if (byte == vl::kStx && dlePending) {
      dlePending = false;
      started = true;
      crc = 0;
    } else if (byte == vl::kEtx && dlePending) {
      dlePending = false;
      if (started) break;
    } else {
      data = true;
    }
    if (!data || !started) continue;
    if (count < capacity) buffer[count] = byte;
    // The count saturates far above any capacity: the result only has to exceed it.
    if (count < INT32_MAX - 1) ++count;
    crc = VlCrcUpdate(crc, byte);
    if (count % 200 == 0) {
      if (fill == 0xFF) {
        link.Status(static_cast<std::int32_t>(count % 4000), 4000, nullptr);
      } else {
        link.Status(static_cast<std::int32_t>(count > capacity ? capacity : count), capacity, nullptr);
      }
    }
  }
  if (crc != 0 || count < 3) return -1;
  // The CRC bytes are not data: they become fill bytes again, only where they were stored.
  for (std::int64_t at = count - 2; at < count; ++at) {
    if (at < capacity) buffer[at] = 0xFF;
  }
  return static_cast<std::int32_t>(count - 2);
}

HRESULT LoggerReadMemory(LoggerLink& link, std::uint8_t* buffer, std::int32_t length) {
  while (FAILED(LoggerSendCommand(link, 4, 0, vl::kBaud57600))) {
    if (link.Stopping()) return E_FAIL;
    link.io->Wait(100);
  }
  while (FAILED(link.io->SetBaud(57600))) {
    if (link.Stopping()) return E_FAIL;
    link.io->Wait(100);
  }
  const std::int32_t received = LoggerReadBlock(link, buffer, length, 0);
  if (!BackTo9600(link)) return E_FAIL;
  return (received >= 1 && received <= length) ? 0 : E_FAIL;
}

HRESULT LoggerReadFlight(LoggerLink& link, std::uint8_t* buffer, std::int32_t capacity, std::uint8_t index,
                         bool secondForm, std::uint8_t baudCode, std::int32_t& length) {
  length = 0;
  if (!link.io) return E_FAIL;
  for (int attempt = 1;; ++attempt) {
    if (SUCCEEDED(LoggerSendCommand(link, secondForm ? 3 : 2, index, baudCode))) break;
    if (attempt == 4 || link.Stopping()) return E_FAIL;
    link.Status(1, 100, u"Cmd error 1");
    link.io->Wait(200);
  }
  link.Status(1, 100, u"Downloading...");
  if (!buffer || capacity < 1 || FAILED(link.io->SetBaud(57600))) return E_FAIL;
  const std::int32_t flight = LoggerReadBlock(link, buffer, capacity, 0xFF);
  if (flight < 1 || flight >= capacity) {
    // A failed or oversized block: back to the normal rate, nothing to read after it.
    BackTo9600(link);
    return E_FAIL;
  }
  if (FAILED(link.io->SetBaud(9600))) return E_FAIL;
  link.io->Wait(300);
  for (int attempt = 1;; ++attempt) {
    if (SUCCEEDED(LoggerSendCommand(link, 8, 0, 0))) break;
    if (attempt == 4 || link.Stopping()) return E_FAIL;
    link.io->Wait(200);
  }
  const std::int32_t rest = capacity - flight;
  const std::int32_t security = LoggerReadBlock(link, buffer + flight, rest, 0xFF);
  if (security < 1 || security > rest) return E_FAIL;
  length = flight + security;
  return 0;
}

HRESULT LoggerWriteMemory(LoggerLink& link, const std::uint8_t* memory) {
  if (!link.io || !memory) return E_FAIL;
  LoggerIo& io = *link.io;
  for (;;) {
    if (link.Stopping()) return E_FAIL;
    io.Purge();
    io.Wait(100);
    link.Status(0, 0, u"Preparing...");
    if (FAILED(LoggerSendCommand(link, 7, 0, 0))) {
      link.Status(0, 0, u"Read Error 1");
      continue;
    }
    std::uint8_t byte = 0;
    std::uint32_t read = 0;
    // After the command's reply the recorder says it is ready for the data.
    if (FAILED(io.Read(&byte, 1, read)) || read != 1) {
      link.Status(0, 0, u"Read Error 2");
      io.Wait(100);
      continue;
    }
    if (byte != vl::kAck) continue;
    link.Status(0, 0, u"Sending data...");
    io.Wait(100);
    std::uint16_t crc = 0;
    bool written = true;
    for (std::int32_t i = 0; i < vl::kMemorySize && written; ++i) {
      written = SUCCEEDED(io.WriteByte(memory[i]));
      io.Wait(1);
      crc = VlCrcUpdate(crc, memory[i]);
      if ((i + 1) % 200 == 0) link.Status(i + 1, vl::kMemorySize, nullptr);
    }
    if (written) {
      io.WriteByte(static_cast<std::uint8_t>(crc >> 8));
      io.Wait(1);
      io.WriteByte(static_cast<std::uint8_t>(crc));
      io.Wait(1);
      io.Wait(200);
      if (SUCCEEDED(io.Read(&byte, 1, read)) && read == 1 && byte == vl::kAck) {
        link.Status(0, 1, u"Declaration sent OK.");
        return 0;
      }
    }
    link.Status(0, 0, u"Transmision Error, Retrying...");
    io.Wait(1000);
  }
}

}  // namespace cumulor
