// Playing sounds, the beep and the wave output volume.
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/ce_path.h"
#include "platform/registry/registry.h"
#include "platform/sound/sound.h"
#include "platform/sound/sound_internal.h"
#include "platform/text/utf.h"

namespace {

using ce::sound::Effect;
using ce::sound::internal::Record;

constexpr size_t kMaxWave = 64u << 20;

bool IsWave(const std::vector<std::uint8_t>& b) {
  return b.size() >= 12 && std::memcmp(b.data(), "RIFF", 4) == 0 && std::memcmp(b.data() + 8, "WAVE", 4) == 0;
}

// A wave image in memory: its length comes from its RIFF header, as the platform reads it.
std::vector<std::uint8_t> WaveFromMemory(const void* image) {
  const auto* p = static_cast<const std::uint8_t*>(image);
  if (std::memcmp(p, "RIFF", 4) != 0) return {};
  const std::uint32_t riff = p[4] | p[5] << 8 | p[6] << 16 | static_cast<std::uint32_t>(p[7]) << 24;
  if (riff < 4 || riff > kMaxWave) return {};
  return std::vector<std::uint8_t>(p, p + 8 + riff);
}

// A sound named without a folder ("Alarm1.wav") lies in "\Windows", as on the device.
std::u16string SoundPath(std::u16string_view name) {
  if (name.find_first_of(u"\\/") != std::u16string_view::npos) return std::u16string(name);
  return u"\\Windows\\" + std::u16string(name);
}

// The file's bytes; nothing when there is no such file.
std::optional<std::vector<std::uint8_t>> WaveFromFile(std::u16string_view ce_path) {
  const std::filesystem::path host = ce::files::HostPath(ce_path);
  std::error_code ec;
  if (host.empty() || !std::filesystem::is_regular_file(host, ec)) return std::nullopt;
  const auto size = std::filesystem::file_size(host, ec);
  if (ec || size > kMaxWave) return std::vector<std::uint8_t>{};
  std::ifstream in(host, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

BOOL Play(LPCWSTR sound, DWORD flags, bool resource) {
  auto output = ce::sound::internal::Output();
  if (!sound) {
    Record(Effect{Effect::kStop, u"", 0, 0});
    if (output) output->Stop();
    return TRUE;
  }
  std::vector<std::uint8_t> wave;
  std::u16string name;
  if (resource) {
    // Sound resources are recorded by name or number; they are not played.
    const auto id = reinterpret_cast<std::uintptr_t>(sound);
    name = id < 0x10000 ? u"#" + ce::text::FromUtf8(std::to_string(id)) : std::u16string(ce::text::WideView(sound));
    Record(Effect{Effect::kPlay, name, flags, 0});
    return TRUE;
  }
  if (flags & SND_MEMORY) {
    wave = WaveFromMemory(sound);
    name = u"<memory>";
  } else if ((flags & SND_ALIAS) && !(flags & SND_FILENAME)) {
    Record(Effect{Effect::kPlay, std::u16string(ce::text::WideView(sound)), flags, 0});
    return TRUE;
  } else {
    name = SoundPath(ce::text::WideView(sound));
    auto file = WaveFromFile(name);
    if (!file) {
      // Recorded as not found, never as the default sound or another play.
      Record(Effect{Effect::kNotFound, name, flags, 0});
      return FALSE;
    }
    wave = std::move(*file);
  }
  if (!IsWave(wave)) {
    if (!(flags & SND_NODEFAULT)) Record(Effect{Effect::kDefaultSound, name, flags, 0});
    return FALSE;
  }
  Record(Effect{Effect::kPlay, name, flags, 0});
  if (output && !output->Play(wave, !(flags & SND_ASYNC), flags & SND_LOOP)) return FALSE;
  return TRUE;
}

bool IsTheDevice(HWAVEOUT device) {
  const auto id = reinterpret_cast<std::uintptr_t>(device);
  return id == 0 || static_cast<DWORD>(id) == WAVE_MAPPER;
}

}  // namespace

BOOL sndPlaySoundW(LPCWSTR sound, UINT flags) { return Play(sound, flags, false); }

BOOL PlaySoundW(LPCWSTR sound, HMODULE, DWORD flags) {
  return Play(sound, flags, (flags & SND_RESOURCE) == SND_RESOURCE);
}

BOOL MessageBeep(UINT type) {
  Record(Effect{Effect::kBeep, u"", type, 0});
  return TRUE;
}

MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume) {
  if (!IsTheDevice(device)) return MMSYSERR_INVALHANDLE;
  if (FAILED(RegistrySetDWORD(HKEY_CURRENT_USER, u"\\ControlPanel\\Volume", u"Volume", volume)))
    return MMSYSERR_INVALPARAM;
  Record(Effect{Effect::kVolume, u"", volume, 0});
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetVolume(HWAVEOUT device, LPDWORD volume) {
  if (!IsTheDevice(device)) return MMSYSERR_INVALHANDLE;
  if (!volume) return MMSYSERR_INVALPARAM;
  DWORD stored = 0;
  *volume = SUCCEEDED(RegistryGetDWORD(HKEY_CURRENT_USER, u"\\ControlPanel\\Volume", u"Volume", &stored))
                ? stored
                : 0xFFFFFFFFu;  // full volume until set
  return MMSYSERR_NOERROR;
}
