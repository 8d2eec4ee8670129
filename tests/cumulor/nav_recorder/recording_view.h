// The recorder worker's reports as a test sees them, with bounded waits on a condition.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cumulor/nav/recorder/logger_session.h"

namespace recorder_test {

using namespace cumulor;

// The worker's reports, and waits for them (on a condition, bounded).
class RecordingView : public LoggerView {
 public:
  void Status(std::int32_t, std::int32_t, const WCHAR* text) override {
    if (!text) return;
    Note([&] { texts.push_back(text); });
  }
  void DirectoryRead(const FlightDirectory& d) override {
    Note([&] {
      listed.clear();
      for (std::int32_t i = 0; i < d.count; ++i)
        if (d.entries[i].takeoff) listed.push_back(d.entries[i].igcName);
      ++directoryReads;
    });
  }
  void DirectoryFailed() override { Note([&] { ++directoryFailures; }); }
  void FlightsDownloaded() override { Note([&] { ++downloads; }); }
  void DeclarationRead(const VlDeclaration& d) override { Note([&] { read = d, ++declarationReads; }); }
  void DeclarationSent() override { Note([&] { ++declarationsSent; }); }

  bool WaitFor(const std::function<bool()>& done) {
    std::unique_lock<std::mutex> hold(lock);
    return changed.wait_for(hold, std::chrono::seconds(60), done);
  }
  int Count(const std::u16string& text) {
    std::lock_guard<std::mutex> hold(lock);
    int n = 0;
    for (const auto& t : texts) n += t == text;
    return n;
  }
  bool Shown(const std::u16string& part) {
    std::lock_guard<std::mutex> hold(lock);
    for (const auto& t : texts)
      if (t.find(part) != std::u16string::npos) return true;
    return false;
  }

  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::u16string> texts, listed;
  int directoryReads = 0, directoryFailures = 0, downloads = 0, declarationReads = 0, declarationsSent = 0;
  VlDeclaration read;

 private:
  template <typename F>
  void Note(F f) {
    {
      std::lock_guard<std::mutex> hold(lock);
      f();
    }
    changed.notify_all();
  }
};

}  // namespace recorder_test
