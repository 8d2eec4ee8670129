// The scripted user's answer lists, record and log.
#include "platform/scripted/scripted_user.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>

#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/scripted/record_file.h"
#include "platform/scripted/script_file.h"

namespace ce::scripted {
namespace {

struct State {
  mutable std::mutex mutex;
  mutable std::condition_variable shown_changed;
  std::deque<Answer> answers;
  std::vector<Shown> shown;
  std::vector<std::string> log;
  std::vector<HANDLE> wake;
  bool hold = false;
};

State& S() {
  static State* s = new State;  // outlives threads that finish late in a test program
  return *s;
}

}  // namespace

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kBox: return "box";
    case Kind::kDialog: return "dialog";
    case Kind::kMenu: return "menu";
    case Kind::kOpenFile: return "open-file";
    case Kind::kSaveFile: return "save-file";
    case Kind::kColor: return "color";
  }
  return "?";
}

User& User::Get() {
  static User user;
  // A headless run's script, read once; loading it adds answers through Get on this thread.
  static std::once_flag once;
  thread_local bool loading = false;
  if (!loading) {
    loading = true;
    std::call_once(once, LoadScriptFromEnvironment);
    loading = false;
  }
  return user;
}

// The events are set under the lock: once StopWaking returns, its event is never set again, even
// when its owner closes it at once and the handle value goes to another object.
void User::Add(Answer a) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().answers.push_back(std::move(a));
  for (HANDLE h : S().wake) SetEvent(h);
}

void User::AnswerBox(int button) { Add({Kind::kBox, button, {}, {}, 0}); }
void User::AnswerDialog(std::vector<Step> steps) { Add({Kind::kDialog, 0, std::move(steps), {}, 0}); }
void User::AnswerMenu(UINT command) { Add({Kind::kMenu, static_cast<int>(command), {}, {}, 0}); }
void User::AnswerOpenFile(std::u16string path) {
  int ok = path.empty() ? 0 : 1;
  Add({Kind::kOpenFile, ok, {}, std::move(path), 0});
}
void User::AnswerSaveFile(std::u16string path) {
  int ok = path.empty() ? 0 : 1;
  Add({Kind::kSaveFile, ok, {}, std::move(path), 0});
}
void User::AnswerColor(std::optional<COLORREF> color) {
  Add({Kind::kColor, color ? 1 : 0, {}, {}, color.value_or(0)});
}

void User::HoldUnanswered(bool hold) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().hold = hold;
  for (HANDLE h : S().wake) SetEvent(h);
}

bool User::holding() const {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().hold;
}

std::optional<Answer> User::Take(Kind kind) {
  std::lock_guard<std::mutex> lock(S().mutex);
  auto& q = S().answers;
  auto it = std::find_if(q.begin(), q.end(), [&](const Answer& a) { return a.kind == kind; });
  if (it == q.end()) return std::nullopt;
  Answer a = std::move(*it);
  q.erase(it);
  return a;
}

void User::WakeOnAnswer(HANDLE event) {
  std::lock_guard<std::mutex> lock(S().mutex);
  if (event) S().wake.push_back(event);
}

void User::StopWaking(HANDLE event) {
  std::lock_guard<std::mutex> lock(S().mutex);
  auto& w = S().wake;
  w.erase(std::remove(w.begin(), w.end(), event), w.end());
}

std::size_t User::Begin(Shown shown) {
  shown.thread = GetCurrentThreadId();
  RecordShown(shown);
  std::lock_guard<std::mutex> lock(S().mutex);
  S().shown.push_back(std::move(shown));
  S().shown_changed.notify_all();
  return S().shown.size() - 1;
}

void User::Finish(std::size_t index, int result, bool scripted) {
  Shown finished;
  {
    std::lock_guard<std::mutex> lock(S().mutex);
    if (index >= S().shown.size()) return;  // the record was reset meanwhile
    S().shown[index].result = result;
    S().shown[index].scripted = scripted;
    finished = S().shown[index];
  }
  RecordAnswered(finished, result, scripted);
}

std::vector<Shown> User::shown() const {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().shown;
}

bool User::WaitShown(Kind kind, std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(S().mutex);
  return S().shown_changed.wait_for(lock, timeout, [&] {
    return static_cast<std::size_t>(std::count_if(S().shown.begin(), S().shown.end(),
                                                  [&](const Shown& s) { return s.kind == kind; })) >= count;
  });
}

void User::Log(const std::string& line) {
  std::fprintf(stderr, "[scripted user] %s\n", line.c_str());
  std::lock_guard<std::mutex> lock(S().mutex);
  S().log.push_back(line);
}

std::vector<std::string> User::log() const {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().log;
}

void User::Reset() {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().answers.clear();
  S().shown.clear();
  S().log.clear();
  S().hold = false;
}

}  // namespace ce::scripted
