#include "cumulor/app/program/cumulor_install.h"

#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"

namespace cumulor {
namespace {

bool WriteDeviceFile(const std::u16string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

bool CopyIntoDevice(const std::filesystem::path& host, const std::u16string& path) {
  std::ifstream in(host, std::ios::binary);
  if (!in) return false;
  return WriteDeviceFile(path, std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
}

}  // namespace

std::filesystem::path BuiltProgram() { return CUMULOR_HOST_PROGRAM; }
std::filesystem::path BuiltTones() { return CUMULOR_TONES_FOLDER; }

bool InstallCumulor(const std::filesystem::path& hostProgram, const std::filesystem::path& tones) {
  CreateDirectoryW(u"\\Program Files", nullptr);
  CreateDirectoryW(u"\\Windows", nullptr);
  CreateDirectoryW(u"\\My Documents", nullptr);
  // The device's file stands for the program; the mapping runs the host program in its place.
  bool ok = WriteDeviceFile(kProgramPath, "Cumulor flight computer (runs on the host)\n");
  const std::u16string host = ce::text::FromUtf8(std::filesystem::absolute(hostProgram).string());
  ok = SUCCEEDED(RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", kProgramPath, host.c_str())) && ok;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(tones, error)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".wav") continue;
    ok = CopyIntoDevice(entry.path(), u"\\Windows\\" + ce::text::FromUtf8(entry.path().filename().string())) && ok;
  }
  return ok && !error;
}

}  // namespace cumulor
