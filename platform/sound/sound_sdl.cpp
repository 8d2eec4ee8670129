// Wave sounds played on SDL2's audio device: one sound at a time, as on the device.
#include "platform/sound/sound_sdl.h"

#include <SDL2/SDL.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace ce::sound {
namespace {

class SdlSoundOutput final : public SoundOutput {
 public:
  ~SdlSoundOutput() override {
    Stop();
    if (device_) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Play(const std::vector<std::uint8_t>& wave, bool wait, bool loop) override {
    Stop();
    SDL_AudioSpec spec;
    Uint8* pcm = nullptr;
    Uint32 length = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size()));
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &spec, &pcm, &length)) return false;
    {
      std::lock_guard lock(mutex_);
      // The device stays open while the sounds keep its format (closing one takes a while).
      if (device_ && (spec.freq != spec_.freq || spec.format != spec_.format || spec.channels != spec_.channels)) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
      }
      if (!device_) device_ = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
      if (!device_) {
        SDL_FreeWAV(pcm);
        return false;
      }
      spec_ = spec;
      SDL_QueueAudio(device_, pcm, length);
      SDL_PauseAudioDevice(device_, 0);
    }
    const std::vector<std::uint8_t> samples(pcm, pcm + length);
    SDL_FreeWAV(pcm);
    // A synchronous play lasts as long as the sound, whatever pace the device takes the data at.
    const double bytes_per_second =
        static_cast<double>(spec.freq) * spec.channels * (SDL_AUDIO_BITSIZE(spec.format) / 8);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(bytes_per_second > 0 ? static_cast<long long>(length * 1000.0 / bytes_per_second) : 0);
    loop = loop && !samples.empty();  // nothing to repeat: a looper would only spin
    // Plays from several threads take turns here: the newest sound's generation ends any older
    // looper, which is joined before the new one takes its place.
    std::unique_lock looping(looper_mutex_);
    const unsigned generation = ++generation_;
    if (looper_.joinable()) looper_.join();
    auto drain = [this, generation, samples, loop] {
      while (generation_ == generation) {
        Uint32 queued;
        {
          std::lock_guard lock(mutex_);
          queued = device_ ? SDL_GetQueuedAudioSize(device_) : 0;
          if (queued == 0 && loop && device_) {
            SDL_QueueAudio(device_, samples.data(), static_cast<Uint32>(samples.size()));
            continue;
          }
        }
        if (queued == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    };
    if (loop) {
      looper_ = std::thread(drain);
      return true;
    }
    looping.unlock();
    if (wait) {
      drain();
      while (generation_ == generation && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  void Stop() override {
    {
      std::lock_guard looping(looper_mutex_);
      ++generation_;
      if (looper_.joinable()) looper_.join();
    }
    std::lock_guard lock(mutex_);
    if (device_) SDL_ClearQueuedAudio(device_);
  }

 private:
  std::mutex mutex_;
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};
  std::atomic<unsigned> generation_{0};
  std::mutex looper_mutex_;  // held while looper_ is started or joined
  std::thread looper_;       // refills the queue of a looping sound
};

}  // namespace

std::shared_ptr<SoundOutput> MakeSdlSoundOutput() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  return std::make_shared<SdlSoundOutput>();
}

}  // namespace ce::sound
