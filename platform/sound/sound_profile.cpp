// The shell's sound-event settings, kept in the registry, and the list of sound files.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/ce_path.h"
#include "platform/kernel/last_error.h"
#include "platform/registry/registry.h"
#include "platform/sound/sound_internal.h"
#include "platform/sound/sound_profile.h"
#include "platform/text/utf.h"

namespace {

std::u16string EventKey(SND_EVENT event) {
  return u"\\ControlPanel\\SoundEvents\\" + ce::text::FromUtf8(std::to_string(static_cast<int>(event)));
}

bool KnownEvent(SND_EVENT event) { return event >= SND_EVENT_ALL && event <= SND_EVENT_LAST; }

// The file name without folder and extension.
std::u16string DisplayName(std::u16string_view path) {
  const auto slash = path.find_last_of(u"\\/");
  std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
  const auto dot = name.find_last_of(u'.');
  return std::u16string(dot == std::u16string_view::npos ? name : name.substr(0, dot));
}

void CopyText(WCHAR (&to)[MAX_PATH], std::u16string_view from) {
  const size_t n = std::min<size_t>(from.size(), MAX_PATH - 1);
  std::copy_n(from.data(), n, to);
  to[n] = 0;
}

bool IsSoundFile(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".wav" || ext == ".mid" || ext == ".wma" || ext == ".mp3";
}

}  // namespace

HRESULT SndGetSound(SND_EVENT event, SNDFILEINFO* info) {
  if (!KnownEvent(event) || !info) return E_INVALIDARG;
  const std::u16string key = EventKey(event);
  WCHAR path[MAX_PATH] = {};
  DWORD type = SND_SOUNDTYPE_ON;
  if (FAILED(RegistryGetDWORD(HKEY_CURRENT_USER, key.c_str(), u"Type", &type))) type = SND_SOUNDTYPE_ON;
  if (FAILED(RegistryGetString(HKEY_CURRENT_USER, key.c_str(), u"Sound", path, MAX_PATH))) path[0] = 0;
  CopyText(info->szPathName, ce::text::WideView(path));
  CopyText(info->szDisplayName, DisplayName(ce::text::WideView(path)));
  info->sstType = type <= SND_SOUNDTYPE_LAST ? static_cast<SND_SOUNDTYPE>(type) : SND_SOUNDTYPE_NONE;
  return S_OK;
}

HRESULT SndSetSound(SND_EVENT event, const SNDFILEINFO* info, BOOL) {
  if (!KnownEvent(event) || !info) return E_INVALIDARG;
  if (info->sstType < SND_SOUNDTYPE_ON || info->sstType > SND_SOUNDTYPE_LAST) return E_INVALIDARG;
  const WCHAR* end = std::find(info->szPathName, info->szPathName + MAX_PATH, u'\0');
  if (end == info->szPathName + MAX_PATH) return E_INVALIDARG;  // not terminated
  const std::u16string path(info->szPathName, end);
  if (info->sstType == SND_SOUNDTYPE_FILE && path.empty()) return E_INVALIDARG;
  const std::u16string key = EventKey(event);
  HRESULT hr = RegistrySetString(HKEY_CURRENT_USER, key.c_str(), u"Sound", path.c_str());
  if (SUCCEEDED(hr)) hr = RegistrySetDWORD(HKEY_CURRENT_USER, key.c_str(), u"Type", info->sstType);
  if (FAILED(hr)) return hr;
  ce::sound::internal::Record(
      ce::sound::Effect{ce::sound::Effect::kSetSound, path, static_cast<DWORD>(info->sstType), static_cast<DWORD>(event)});
  return S_OK;
}

HRESULT SndGetSoundFileList(SND_EVENT event, DWORD locations, SNDFILEINFO** list, int* count) {
  if (!KnownEvent(event) || !list || !count) return E_INVALIDARG;
  *list = nullptr;
  *count = 0;
  std::vector<std::pair<std::u16string, std::u16string>> found;  // display name, CE path
  const std::pair<DWORD, const char16_t*> folders[] = {{SND_LOCATION_USERDATA, u"\\My Documents\\My Ringtones"},
                                                       {SND_LOCATION_ROM, u"\\Windows\\Rings"}};
  for (const auto& [bit, folder] : folders) {
    if (!(locations & bit)) continue;
    const std::filesystem::path host = ce::files::HostPath(folder);
    std::error_code ec;
    if (host.empty() || !std::filesystem::is_directory(host, ec)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(host, ec)) {
      if (!entry.is_regular_file(ec) || !IsSoundFile(entry.path())) continue;
      const std::u16string name = ce::text::FromUtf8(entry.path().filename().string());
      const std::u16string path = std::u16string(folder) + u"\\" + name;
      if (path.size() >= MAX_PATH) continue;
      found.emplace_back(DisplayName(name), path);
    }
  }
  std::sort(found.begin(), found.end());
  if (found.empty()) return S_OK;
  auto* out = static_cast<SNDFILEINFO*>(LocalAlloc(LPTR, found.size() * sizeof(SNDFILEINFO)));
  if (!out) return E_OUTOFMEMORY;
  for (size_t i = 0; i < found.size(); ++i) {
    CopyText(out[i].szPathName, found[i].second);
    CopyText(out[i].szDisplayName, found[i].first);
    out[i].sstType = SND_SOUNDTYPE_FILE;
  }
  *list = out;
  *count = static_cast<int>(found.size());
  return S_OK;
}
