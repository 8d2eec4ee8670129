// Velomar's settings as the item reads them, and where its icons are.
#include <vector>

#include "platform/registry/registry.h"
#include "platform/text/format.h"
#include "platform/text/wide_string.h"
#include "todayvelomar/TodayItemState.h"

namespace todayvelomar {

void ReadSettingString(LPCWSTR name, WCHAR* buffer, int chars) {
  if (chars <= 0) return;
  buffer[0] = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVelomarSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD type = 0;
  DWORD size = 0;
  // The whole value is read, then cut: a value longer than the buffer is shown cut, never left
  // undefined.
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ && size > 0) {
    std::vector<WCHAR> text(size / sizeof(WCHAR) + 1, 0);
    DWORD read = size;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &read) == ERROR_SUCCESS &&
        type == REG_SZ) {
      const std::size_t count = read / sizeof(WCHAR);
      int n = 0;
      while (n < chars - 1 && static_cast<std::size_t>(n) < count && text[n] != 0) {
        buffer[n] = text[n];
        ++n;
      }
      buffer[n] = 0;
    }
  }
  RegCloseKey(key);
}

DWORD ReadSettingDword(LPCWSTR name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVelomarSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value))
    value = 0;
  RegCloseKey(key);
  return value;
}

const WCHAR* ScreenFolder(int width, int height) {
  if ((width == 240 && height == 320) || (width == 320 && height == 240)) return u"qvga";
  if (width == height) return u"square";
  if (width > 320 || height > 320) return u"vga";
  // Neither square nor larger than 320 on a side: Velomar's skin uses the "qvga" files for such
  // screens, so the item does too.
  return u"qvga";
}

void BuildIconFolder(const WCHAR* module_path, const WCHAR* theme, const WCHAR* screen_folder, WCHAR* out) {
  WCHAR folder[MAX_PATH] = {};
  wcsncpy(folder, module_path, MAX_PATH - 1);
  if (WCHAR* slash = wcsrchr(folder, u'\\')) *slash = 0;
  _snwprintf(out, MAX_PATH - 1, u"%s\\themes\\%s\\%s", folder, theme, screen_folder);
  out[MAX_PATH - 1] = 0;
}

}  // namespace todayvelomar
