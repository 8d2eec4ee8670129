// Message boxes go to the platform's MessageBoxW; while a test asks for it, they are only recorded
// and answered by script.
#include "teskautils/message_box.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/dialogs/message_box.h"
#include "teskautils/teskautils_seam.h"

namespace teskautils {
namespace {

struct BoxRecorder {
  std::mutex mutex;
  bool record_only = false;
  int answer = 0;
  std::vector<seam::ShownBox> shown;
};

BoxRecorder& Recorder() {
  static BoxRecorder recorder;
  return recorder;
}

}  // namespace

int ShowMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags) {
  BoxRecorder& r = Recorder();
  {
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.record_only) {
      r.shown.push_back({owner, std::u16string(text), std::u16string(caption), flags});
      if (r.answer != 0) return r.answer;
      return (flags & 0xFu) == kBoxYesNo ? kAnswerNo : kAnswerOk;
    }
  }
  const std::u16string text_z(text), caption_z(caption);
  return MessageBoxW(owner, text_z.c_str(), caption_z.c_str(), flags);
}

}  // namespace teskautils

namespace teskautils::seam {

void RecordBoxes(bool on) {
  std::lock_guard<std::mutex> lock(Recorder().mutex);
  Recorder().record_only = on;
}

void SetBoxAnswer(int answer) {
  std::lock_guard<std::mutex> lock(Recorder().mutex);
  Recorder().answer = answer;
}

std::vector<ShownBox> TakeShownBoxes() {
  std::lock_guard<std::mutex> lock(Recorder().mutex);
  std::vector<ShownBox> out;
  out.swap(Recorder().shown);
  return out;
}

}  // namespace teskautils::seam
