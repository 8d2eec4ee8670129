// desktophost: the desktop connection as a program. It loads KVComDll by its CE path with
// LoadLibraryW, finds its three exports with GetProcAddress and calls them as a desktop program
// does through the connection, printing each result on a line of its own:
//
//   desktophost [--device DIR] [--library CE-PATH] COMMAND...
//     find                        DllFindWindow            -> "find window=<handle>"
//     start                       DllStartCumulor          -> "start <code>" (123, 456 or 0)
//     send MSG WPARAM LPARAM      CeSendMessage, 16 bytes  -> "send result=0x<hex> output-size=<n>"
//     send-size N MSG WPARAM LPARAM   the block cut or padded with zeros to N bytes
//     send-no-output MSG WPARAM LPARAM  no output pointers handed over
//   Numbers are decimal or 0x-hexadecimal; negative values are taken as 32-bit.
//
// Exit 0 when every command ran, 1 when the library or an export is missing, 2 for bad usage.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/files/module_path.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/shell/rapi.h"
#include "platform/text/utf.h"

namespace {

constexpr const char* kUsage =
    "usage: desktophost [--device DIR] [--library CE-PATH] COMMAND...\n"
    "  find | start | send MSG WPARAM LPARAM | send-size N MSG WPARAM LPARAM |\n"
    "  send-no-output MSG WPARAM LPARAM\n";

using FindWindowExport = HWND();
using StartExport = int();

bool ParseNumber(const char* text, std::uint32_t* value) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 0);
  if (end == text || *end != '\0' || v < INT32_MIN || v > UINT32_MAX) return false;
  *value = static_cast<std::uint32_t>(v);
  return true;
}

// The block of four 32-bit values {0, message, wParam, lParam}, little-endian, cut or padded to
// `size` bytes.
std::vector<BYTE> Block(std::uint32_t size, const std::uint32_t (&values)[3]) {
  std::vector<BYTE> block(size, 0);
  const std::uint32_t words[4] = {0, values[0], values[1], values[2]};
  for (std::uint32_t i = 0; i < size && i < 16; ++i) block[i] = static_cast<BYTE>(words[i / 4] >> (8 * (i % 4)));
  return block;
}

}  // namespace

int main(int argc, char** argv) {
  ce::files::SetModulePath(u"\\Windows\\DesktopHost.exe");
  std::u16string library = u"\\Windows\\KVComDll.dll";
  int i = 1;
  for (; i < argc; ++i) {
    if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) {
      ce::SetDeviceFolder(argv[++i]);
    } else if (std::strcmp(argv[i], "--library") == 0 && i + 1 < argc) {
      library = ce::text::FromUtf8(argv[++i]);
    } else {
      break;
    }
  }
  if (i >= argc) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // The system's own libraries are found in the build's library folder unless the environment
  // names another.
  if (const char* folder = std::getenv("CE_LIBRARY_DIR"); folder == nullptr || *folder == 0)
    ce::libraries::SetLibraryFolder(DESKTOPHOST_LIBRARY_DIR);

  HMODULE module = LoadLibraryW(library.c_str());
  if (module == nullptr) {
    std::fprintf(stderr, "desktophost: cannot load %s (error %u)\n", ce::text::ToUtf8(library).c_str(), GetLastError());
    return 1;
  }
  auto find = ce::libraries::ProcAs<FindWindowExport>(GetProcAddress(module, "DllFindWindow"));
  auto start = ce::libraries::ProcAs<StartExport>(GetProcAddress(module, "DllStartCumulor"));
  auto send = reinterpret_cast<PFNRAPIEXTENSION>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "CeSendMessage")));
  if (find == nullptr || start == nullptr || send == nullptr) {
    std::fprintf(stderr, "desktophost: %s lacks DllFindWindow, DllStartCumulor or CeSendMessage\n",
                 ce::text::ToUtf8(library).c_str());
    FreeLibrary(module);
    return 1;
  }

  int code = 0;
  while (i < argc && code == 0) {
    const std::string command = argv[i++];
    if (command == "find") {
      std::printf("find window=%llu\n", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(find())));
    } else if (command == "start") {
      std::printf("start %d\n", start());
    } else if (command == "send" || command == "send-size" || command == "send-no-output") {
      std::uint32_t size = 16;
      std::uint32_t values[3] = {};
      bool ok = command != "send-size" || (i < argc && ParseNumber(argv[i++], &size) && size <= 4096);
      for (std::uint32_t& v : values) ok = ok && i < argc && ParseNumber(argv[i++], &v);
      if (!ok) {
        std::fputs(kUsage, stderr);
        code = 2;
        break;
      }
      std::vector<BYTE> block = Block(size, values);
      DWORD outputSize = 0xFFFFFFFFu;  // the library must set it
      BYTE* output = reinterpret_cast<BYTE*>(&outputSize);  // and clear this
      const bool withOutput = command != "send-no-output";
      const HRESULT result = send(size, block.empty() ? nullptr : block.data(), withOutput ? &outputSize : nullptr,
                                  withOutput ? &output : nullptr, nullptr);
      if (withOutput)
        std::printf("send result=0x%08X output-size=%u output=%s\n", static_cast<unsigned>(result), outputSize,
                    output == nullptr ? "none" : "set");
      else
        std::printf("send result=0x%08X\n", static_cast<unsigned>(result));
    } else {
      std::fputs(kUsage, stderr);
      code = 2;
    }
    std::fflush(stdout);
  }
  FreeLibrary(module);
  return code;
}
