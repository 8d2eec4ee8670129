// The data the dialogs need on the device: help texts and the change list, ring tones, and the
// Today themes with their file association.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"
#include "velomar/data/DataInstall.h"

namespace velomar {
namespace {

bool WriteDeviceFile(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// A UTF-8 host file as UTF-16 little-endian with a byte-order mark (line ends made CR LF).
bool CopyAsUtf16(const std::filesystem::path& host, const std::u16string& device) {
  std::ifstream in(host, std::ios::binary);
  if (!in) return false;
  const std::string utf8((std::istreambuf_iterator<char>(in)), {});
  std::u16string text;
  for (char16_t c : ce::text::FromUtf8(utf8)) {
    if (c == u'\r') continue;
    if (c == u'\n') text.push_back(u'\r');
    text.push_back(c);
  }
  std::vector<std::uint8_t> bytes{0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return WriteDeviceFile(device, bytes);
}

// A mono 16-bit wave of 8000 samples a second: the tones (Hz, ms) one after another.
std::vector<std::uint8_t> Wave(const std::vector<std::pair<double, int>>& tones) {
  constexpr int kRate = 8000;
  std::vector<std::int16_t> samples;
  for (const auto& [hz, ms] : tones) {
    const int n = kRate * ms / 1000;
    for (int i = 0; i < n; ++i) {
      const double fade = std::min(1.0, std::min(i, n - i) / 80.0);
      samples.push_back(static_cast<std::int16_t>(hz > 0 ? 9000 * fade * std::sin(2 * M_PI * hz * i / kRate) : 0));
    }
  }
  std::vector<std::uint8_t> out;
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  const auto data_size = static_cast<std::uint32_t>(samples.size() * 2);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put32(36 + data_size);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(16);
  put16(1);
  put16(1);
  put32(kRate);
  put32(kRate * 2);
  put16(2);
  put16(16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put32(data_size);
  for (std::int16_t s : samples) put16(static_cast<std::uint16_t>(s));
  return out;
}

bool SetDefaultValue(const WCHAR* key_path, const WCHAR* value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key_path, 0, nullptr, 0, 0, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const std::u16string text(value);
  const LONG result = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace

bool InstallHelpTexts(const std::filesystem::path& source) {
  const std::u16string folder = std::u16string(kProgramFolder) + u"\\traductions\\";
  CreateDirectoryW(kProgramFolder, nullptr);
  CreateDirectoryW(folder.substr(0, folder.size() - 1).c_str(), nullptr);
  bool ok = true;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(source / "help", error)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
    ok = CopyAsUtf16(entry.path(), folder + ce::text::FromUtf8(entry.path().filename().string())) && ok;
  }
  if (error) return false;
  return CopyAsUtf16(source / "changesQXT.txt", std::u16string(kProgramFolder) + u"\\changesQXT.txt") && ok;
}

bool InstallRingTones() {
  CreateDirectoryW(u"\\My Documents", nullptr);
  CreateDirectoryW(u"\\My Documents\\My Ringtones", nullptr);
  CreateDirectoryW(u"\\Windows", nullptr);
  CreateDirectoryW(u"\\Windows\\Rings", nullptr);
  bool ok = WriteDeviceFile(u"\\My Documents\\My Ringtones\\Velomar Chime.wav",
                            Wave({{880, 150}, {0, 60}, {660, 150}, {0, 60}, {990, 250}}));
  ok = WriteDeviceFile(u"\\Windows\\Rings\\Classic Ring.wav", Wave({{440, 400}, {0, 200}, {440, 400}})) && ok;
  ok = WriteDeviceFile(u"\\Windows\\Rings\\Rising.wav", Wave({{330, 200}, {440, 200}, {550, 200}, {660, 300}})) && ok;
  return ok;
}

bool InstallTodayThemes() {
  CreateDirectoryW(u"\\Windows", nullptr);
  bool ok = true;
  for (const WCHAR* name : kTodayThemeNames) {
    const std::string body = "Today theme " + ce::text::ToUtf8(name) + "\r\n";
    ok = WriteDeviceFile(std::u16string(u"\\Windows\\") + name + u".tsk", std::vector<std::uint8_t>(body.begin(), body.end())) &&
         ok;
  }
  ok = SetDefaultValue(u"\\.tsk", u"tskfile") && ok;
  return SetDefaultValue(u"\\tskfile\\Shell\\Open\\Command", u"ctlpnl.exe cplmain.cpl,23") && ok;
}

}  // namespace velomar
