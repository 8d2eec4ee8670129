// Sounds, volume, sound events and LEDs as the simulated device records them.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/errors.h"
#include "platform/device/device.h"
#include "platform/kernel/last_error.h"
#include "platform/sound/nled.h"
#include "platform/sound/sound.h"
#include "platform/sound/sound_effects.h"
#include "platform/sound/sound_profile.h"
#include "platform/sound/sound_sdl.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"

namespace {

using ce::sound::Effect;

const std::string kWave = std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(28, '\0');

class Sound : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ce::sound::ClearRecordedEffects();
  }
  void TearDown() override {
    ce::sound::SetSoundOutput(nullptr);
    DeviceTest::TearDown();
  }
  void Put(const std::string& ce_relative, const std::string& bytes) {
    const auto path = device_folder() / "root" / ce_relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
};

struct FakeOutput : ce::sound::SoundOutput {
  std::vector<std::pair<size_t, bool>> played;  // size, waited
  int stops = 0;
  bool Play(const std::vector<std::uint8_t>& wave, bool wait, bool) override {
    played.emplace_back(wave.size(), wait);
    return true;
  }
  void Stop() override { ++stops; }
};

TEST_F(Sound, PlaysAreRecordedAndReachTheOutput) {
  Put("Windows/alarm.wav", kWave);
  Put("Windows/notes.txt", "not a sound");
  auto out = std::make_shared<FakeOutput>();
  ce::sound::SetSoundOutput(out);

  EXPECT_TRUE(sndPlaySoundW(u"\\windows\\ALARM.wav", SND_SYNC));
  EXPECT_TRUE(sndPlaySoundW(u"\\Windows\\alarm.wav", SND_ASYNC | SND_NODEFAULT));
  EXPECT_FALSE(sndPlaySoundW(u"\\Windows\\missing.wav", SND_ASYNC));
  EXPECT_FALSE(sndPlaySoundW(u"\\Windows\\notes.txt", SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(sndPlaySoundW(reinterpret_cast<LPCWSTR>(kWave.data()), SND_MEMORY | SND_ASYNC));
  EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(5)), nullptr, SND_RESOURCE));
  EXPECT_TRUE(sndPlaySoundW(nullptr, 0));
  EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));

  const std::vector<Effect> e = ce::sound::RecordedEffects();
  ASSERT_EQ(e.size(), 7u);
  EXPECT_EQ(e[0].kind, Effect::kPlay);
  EXPECT_EQ(e[0].text, u"\\windows\\ALARM.wav");
  EXPECT_EQ(e[1].value, SND_ASYNC | SND_NODEFAULT);
  EXPECT_EQ(e[2].kind, Effect::kNotFound);  // the missing file; the text file had no default
  EXPECT_EQ(e[3].text, u"<memory>");
  EXPECT_EQ(e[4].text, u"#5");
  EXPECT_EQ(e[5].kind, Effect::kStop);
  EXPECT_EQ(e[6].kind, Effect::kBeep);
  EXPECT_EQ(e[6].value, MB_ICONEXCLAMATION);
  ASSERT_EQ(out->played.size(), 3u);
  EXPECT_EQ(out->played[0], std::make_pair(kWave.size(), true));
  EXPECT_EQ(out->played[1], std::make_pair(kWave.size(), false));
  EXPECT_EQ(out->stops, 1);
}

TEST_F(Sound, ABareNameIsTakenFromWindowsAndAMissingOneIsNotFound) {
  Put("Windows/Alarm1.wav", kWave);
  Put("Windows/notes.txt", "not a sound");
  Put("My Documents/Alarm2.wav", kWave);
  const struct {
    const char16_t* sound;
    BOOL result;
    Effect::Kind kind;
    const char16_t* recorded;
    const char* device_kind;
  } cases[] = {
      {u"Alarm1.wav", TRUE, Effect::kPlay, u"\\Windows\\Alarm1.wav", "sound"},
      {u"ALARM1.WAV", TRUE, Effect::kPlay, u"\\Windows\\ALARM1.WAV", "sound"},
      {u"Alarm2.wav", FALSE, Effect::kNotFound, u"\\Windows\\Alarm2.wav", "sound-not-found"},
      {u"\\My Documents\\Alarm2.wav", TRUE, Effect::kPlay, u"\\My Documents\\Alarm2.wav", "sound"},
      {u"\\My Documents\\Alarm1.wav", FALSE, Effect::kNotFound, u"\\My Documents\\Alarm1.wav", "sound-not-found"},
      {u"notes.txt", FALSE, Effect::kDefaultSound, u"\\Windows\\notes.txt", "sound-default"},
      {u"", FALSE, Effect::kNotFound, u"\\Windows\\", "sound-not-found"},
  };
  auto out = std::make_shared<FakeOutput>();
  ce::sound::SetSoundOutput(out);
  for (const auto& c : cases) {
    SCOPED_TRACE(ce::text::ToUtf8(c.sound));
    ce::sound::ClearRecordedEffects();
    ce::device::ClearEffects();
    out->played.clear();
    EXPECT_EQ(PlaySoundW(c.sound, nullptr, SND_FILENAME | SND_SYNC), c.result);
    const auto e = ce::sound::RecordedEffects();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].kind, c.kind);
    EXPECT_EQ(e[0].text, c.recorded);
    EXPECT_EQ(out->played.size(), c.kind == Effect::kPlay ? 1u : 0u);
    const auto on_device = ce::device::Effects();
    ASSERT_EQ(on_device.size(), 1u);
    EXPECT_EQ(on_device[0].kind, c.device_kind);
    EXPECT_EQ(on_device[0].target, ce::text::ToUtf8(c.recorded));
  }
}

TEST_F(Sound, WaveOutputVolume) {
  DWORD v = 0;
  ASSERT_EQ(waveOutGetVolume(nullptr, &v), MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0xFFFFFFFFu);
  // Level 3 of five as the speaker manager writes it: 153 in both bytes of the low word.
  ASSERT_EQ(waveOutSetVolume(nullptr, (3 * 51 % 256) * 257), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutGetVolume(reinterpret_cast<HWAVEOUT>(static_cast<std::uintptr_t>(WAVE_MAPPER)), &v),
            MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0x9999u);
  EXPECT_EQ(waveOutSetVolume(reinterpret_cast<HWAVEOUT>(static_cast<std::uintptr_t>(7)), 1), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(waveOutGetVolume(nullptr, nullptr), MMSYSERR_INVALPARAM);
  const auto e = ce::sound::RecordedEffects();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].value, 0x9999u);
}

TEST_F(Sound, SoundEventsKeepTheirSetting) {
  SNDFILEINFO info{};
  ASSERT_EQ(SndGetSound(SND_EVENT_ALL, &info), S_OK);
  EXPECT_EQ(info.sstType, SND_SOUNDTYPE_ON);
  EXPECT_EQ(info.szPathName[0], 0);

  SNDFILEINFO set{};
  set.sstType = SND_SOUNDTYPE_VIBRATE;
  ASSERT_EQ(SndSetSound(SND_EVENT_ALL, &set, TRUE), S_OK);
  std::u16string ring = u"\\Windows\\Rings\\Bells.wav";
  SNDFILEINFO file{};
  ring.copy(file.szPathName, ring.size());
  file.sstType = SND_SOUNDTYPE_FILE;
  ASSERT_EQ(SndSetSound(SND_EVENT_RINGTONELINE1, &file, TRUE), S_OK);

  // Refused settings change nothing.
  SNDFILEINFO no_path{};
  no_path.sstType = SND_SOUNDTYPE_FILE;
  SNDFILEINFO bad_type{};
  bad_type.sstType = static_cast<SND_SOUNDTYPE>(9);
  SNDFILEINFO unterminated{};
  std::fill(std::begin(unterminated.szPathName), std::end(unterminated.szPathName), u'x');
  unterminated.sstType = SND_SOUNDTYPE_FILE;
  EXPECT_EQ(SndSetSound(SND_EVENT_ALL, &no_path, TRUE), E_INVALIDARG);
  EXPECT_EQ(SndSetSound(SND_EVENT_ALL, &bad_type, TRUE), E_INVALIDARG);
  EXPECT_EQ(SndSetSound(SND_EVENT_ALL, &unterminated, TRUE), E_INVALIDARG);
  EXPECT_EQ(SndSetSound(static_cast<SND_EVENT>(42), &set, TRUE), E_INVALIDARG);
  EXPECT_EQ(SndGetSound(SND_EVENT_ALL, nullptr), E_INVALIDARG);

  ASSERT_EQ(SndGetSound(SND_EVENT_ALL, &info), S_OK);
  EXPECT_EQ(info.sstType, SND_SOUNDTYPE_VIBRATE);
  ASSERT_EQ(SndGetSound(SND_EVENT_RINGTONELINE1, &info), S_OK);
  EXPECT_EQ(info.sstType, SND_SOUNDTYPE_FILE);
  EXPECT_EQ(std::u16string(info.szPathName), ring);
  EXPECT_EQ(std::u16string(info.szDisplayName), u"Bells");
  EXPECT_EQ(ce::sound::RecordedEffects().size(), 2u);
}

TEST_F(Sound, SoundFileListByLocation) {
  Put("Windows/Rings/Bells.wav", kWave);
  Put("Windows/Rings/alarm.MID", "x");
  Put("Windows/Rings/readme.txt", "x");
  Put("My Documents/My Ringtones/Carol.mp3", "x");
  struct Case {
    DWORD mask;
    std::vector<std::u16string> paths;
  } cases[] = {
      {SND_LOCATION_USERDATA | SND_LOCATION_ROM,
       {u"\\Windows\\Rings\\Bells.wav", u"\\My Documents\\My Ringtones\\Carol.mp3", u"\\Windows\\Rings\\alarm.MID"}},
      {SND_LOCATION_ROM, {u"\\Windows\\Rings\\Bells.wav", u"\\Windows\\Rings\\alarm.MID"}},
      {SND_LOCATION_STORAGECARD, {}},
  };
  for (const Case& c : cases) {
    SNDFILEINFO* list = nullptr;
    int count = -1;
    ASSERT_EQ(SndGetSoundFileList(SND_EVENT_RINGTONELINE1, c.mask, &list, &count), S_OK);
    std::vector<std::u16string> paths;
    for (int i = 0; i < count; ++i) paths.emplace_back(list[i].szPathName);
    EXPECT_EQ(paths, c.paths) << c.mask;
    if (list) {
      EXPECT_EQ(LocalFree(list), nullptr);
    }
  }
}

TEST_F(Sound, LedsAndVibration) {
  NLED_COUNT_INFO count{};
  ASSERT_TRUE(NLedGetDeviceInfo(NLED_COUNT_INFO_ID, &count));
  EXPECT_EQ(count.cLeds, 2u);
  NLED_SETTINGS_INFO vib{};
  vib.LedNum = 1;
  vib.OffOnBlink = 1;
  ASSERT_TRUE(NLedSetDevice(NLED_SETTINGS_INFO_ID, &vib));
  EXPECT_TRUE(ce::sound::IsVibrating());
  vib.OffOnBlink = 0;
  ASSERT_TRUE(NLedSetDevice(NLED_SETTINGS_INFO_ID, &vib));
  EXPECT_FALSE(ce::sound::IsVibrating());
  NLED_SETTINGS_INFO bad{};
  bad.LedNum = 2;
  bad.OffOnBlink = 1;
  EXPECT_FALSE(NLedSetDevice(NLED_SETTINGS_INFO_ID, &bad));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  bad.LedNum = 0;
  bad.OffOnBlink = 5;
  EXPECT_FALSE(NLedSetDevice(NLED_SETTINGS_INFO_ID, &bad));
  EXPECT_FALSE(NLedSetDevice(NLED_SETTINGS_INFO_ID, nullptr));
  const auto e = ce::sound::RecordedEffects();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].kind, Effect::kLed);
  EXPECT_EQ(e[0].index, 1u);
  EXPECT_EQ(e[0].value, 1u);

  // The device keeps the same timeline for other processes and the control tool.
  const auto timeline = ce::device::Effects("led");
  ASSERT_EQ(timeline.size(), 2u);
  EXPECT_EQ(timeline[0].target, "1");
  EXPECT_EQ(timeline[0].value, 1);
  EXPECT_EQ(timeline[1].value, 0);
  EXPECT_LE(timeline[0].time, timeline[1].time);
}

}  // namespace

namespace {

// A 16-bit mono wave of `ms` milliseconds of silence at 8000 Hz.
std::vector<std::uint8_t> SilentWave(int ms) {
  const std::uint32_t data = 8000 * 2 * ms / 1000;
  std::vector<std::uint8_t> w;
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) w.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](std::uint16_t v) {
    w.push_back(static_cast<std::uint8_t>(v));
    w.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  w.insert(w.end(), {'R', 'I', 'F', 'F'});
  u32(36 + data);
  w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16);
  u16(1);
  u16(1);
  u32(8000);
  u32(16000);
  u16(2);
  u16(16);
  w.insert(w.end(), {'d', 'a', 't', 'a'});
  u32(data);
  w.resize(w.size() + data, 0);
  return w;
}

TEST(SdlSound, SynchronousPlayWaitsForTheSound) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto output = ce::sound::MakeSdlSoundOutput();
  if (!output) GTEST_SKIP() << "no SDL audio";
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(output->Play(SilentWave(300), true, false));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_FALSE(output->Play({'n', 'o', 'p', 'e'}, true, false));
  ASSERT_TRUE(output->Play(SilentWave(50), false, true));  // looping until stopped
  output->Stop();
}

TEST(SdlSound, PlaysFromSeveralThreadsAtOnceKeepOneSound) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto output = ce::sound::MakeSdlSoundOutput();
  if (!output) GTEST_SKIP() << "no SDL audio";
  const auto wave = SilentWave(20);
  auto player = [&] {
    for (int i = 0; i < 40; ++i) {
      output->Play(wave, false, true);
      if (i % 3 == 0) output->Stop();
    }
  };
  std::thread a(player), b(player);
  a.join();
  b.join();
  output->Stop();
}

}  // namespace
