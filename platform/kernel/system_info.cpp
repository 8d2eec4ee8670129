#include "platform/kernel/system_info.h"

#include <filesystem>
#include <fstream>

#include "platform/kernel/device_folder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"

namespace ce::kernel {
namespace {

struct DebugOutput {
  std::mutex lock;
  std::function<void(std::u16string_view)> receiver;
};

DebugOutput& TheDebugOutput() {
  static DebugOutput* out = new DebugOutput;
  return *out;
}

// The kernel sits below the text services (which report through SetLastError), so it converts
// its own debug output; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool DebugToStderr() {
  const char* env = std::getenv("CE_DEBUG_OUTPUT");
  return env && *env && std::strcmp(env, "0") != 0;
}

}  // namespace

void CaptureDebugOutput(std::function<void(std::u16string_view)> receiver) {
  DebugOutput& out = TheDebugOutput();
  std::lock_guard<std::mutex> guard(out.lock);
  out.receiver = std::move(receiver);
}

}  // namespace ce::kernel

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const ce::kernel::OsVersion version = ce::kernel::DeviceOsVersion();
  info->dwMajorVersion = version.major;
  info->dwMinorVersion = version.minor;
  info->dwBuildNumber = version.build;
  info->dwPlatformId = VER_PLATFORM_WIN32_CE;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  return TRUE;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

void GetSystemInfo(LPSYSTEM_INFO info) {
  if (!info) return;
  *info = SYSTEM_INFO{};
  info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM;
  info->dwPageSize = 4096;
  info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
  info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFF);
  info->dwActiveProcessorMask = 1;
  info->dwNumberOfProcessors = 1;
  info->dwProcessorType = ce::kernel::DeviceProcessorType();
  info->dwAllocationGranularity = 0x10000;
  info->wProcessorLevel = 4;
}

void OutputDebugStringW(LPCWSTR text) {
  if (!text) return;
  std::u16string_view view(text);
  auto& out = ce::kernel::TheDebugOutput();
  {
    std::lock_guard<std::mutex> guard(out.lock);
    if (out.receiver) out.receiver(view);
  }
  if (ce::kernel::DebugToStderr()) {
    std::string utf8 = ce::kernel::ToUtf8(view);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  }
}

namespace ce::kernel {
namespace {

std::filesystem::path OsVersionFile() { return ce::DeviceFolder() / "os_version"; }
std::filesystem::path ProcessorTypeFile() { return ce::DeviceFolder() / "processor_type"; }

bool WriteWhole(const std::filesystem::path& file, const std::string& text) {
  const std::filesystem::path temp = file.string() + ".new";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, file, ec);
  return !ec;
}

}  // namespace

OsVersion DeviceOsVersion() {
  OsVersion version;
  std::ifstream in(OsVersionFile());
  unsigned long major = 0, minor = 0, build = 0;
  char dot1 = 0, dot2 = 0;
  // "major.minor.build"; anything else leaves the default.
  if (in >> major >> dot1 >> minor >> dot2 >> build && dot1 == '.' && dot2 == '.' && major <= 0xFFFF &&
      minor <= 0xFFFF && build <= 0xFFFFFFFFul) {
    version = {static_cast<DWORD>(major), static_cast<DWORD>(minor), static_cast<DWORD>(build)};
  }
  return version;
}

bool SetDeviceOsVersion(const OsVersion& version) {
  return WriteWhole(OsVersionFile(), std::to_string(version.major) + '.' + std::to_string(version.minor) + '.' +
                                         std::to_string(version.build) + '\n');
}

DWORD DeviceProcessorType() {
  std::ifstream in(ProcessorTypeFile());
  unsigned long type = 0;
  if (in >> type && type > 0 && type <= 0xFFFFFFFFul) return static_cast<DWORD>(type);
  return PROCESSOR_STRONGARM;
}

bool SetDeviceProcessorType(DWORD type) { return WriteWhole(ProcessorTypeFile(), std::to_string(type) + '\n'); }

}  // namespace ce::kernel
