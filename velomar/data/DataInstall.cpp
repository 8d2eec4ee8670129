#include "velomar/data/DataInstall.h"

#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/text/utf.h"
#include "teskautils/TeskaUtils.h"

namespace velomar {
namespace {

bool CopyIntoDevice(const std::filesystem::path& host_file, const std::u16string& device_path) {
  std::ifstream in(host_file, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  HANDLE file = CreateFileW(device_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

}  // namespace

std::filesystem::path DataSourceFolder() { return std::filesystem::path(VELOMAR_DATA_SOURCE); }

bool InstallDataFiles(const std::filesystem::path& source) {
  const std::u16string target = std::u16string(kProgramFolder) + u"\\traductions";
  CrearDirectorio(target.c_str());
  std::error_code error;
  bool ok = true;
  for (const auto& entry : std::filesystem::directory_iterator(source / "traductions", error)) {
    if (!entry.is_regular_file()) continue;
    const std::u16string name = ce::text::FromUtf8(entry.path().filename().string());
    ok = CopyIntoDevice(entry.path(), target + u"\\" + name) && ok;
  }
  return ok && !error;
}

}  // namespace velomar
