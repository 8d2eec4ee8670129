// A fresh device, the scripted user reset, and the test program's resources.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/dialogs/dialogs.h"
#include "platform/resources/resource_set.h"
#include "platform/scripted/scripted_user.h"
#include "platform/text/utf.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

// A notification a dialog procedure received.
struct Heard {
  UINT msg;   // WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_VSCROLL
  int id;     // control id
  int code;   // notification code (WM_COMMAND high word, NMHDR code, scroll code)
  int value;  // item (WM_NOTIFY list views), position (scrolls)
};

class DialogTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ce::scripted::User::Get().Reset();
    heard().clear();
  }
  void TearDown() override {
    ce::scripted::User::Get().Reset();
    ce::resources::RemoveModuleResources(u"");
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    DeviceTest::TearDown();
  }
  static void UseResources(const std::string& text,
                           const std::map<std::string, std::vector<std::uint8_t>>& files = {}) {
    std::string error = ce::resources::AddModuleResourceText(u"", text, files);
    ASSERT_EQ(error, "");
  }
  public:
  static std::vector<Heard>& heard() {
    static std::vector<Heard> h;
    return h;
  }
  static void Hear(Heard h) {
    static std::mutex m;
    std::lock_guard<std::mutex> lock(m);
    heard().push_back(h);
  }
  static bool HeardAny(UINT msg, int id, int code) {
    for (auto& h : heard())
      if (h.msg == msg && h.id == id && h.code == code) return true;
    return false;
  }
  static std::vector<Heard> HeardOf(UINT msg, int id, int code) {
    std::vector<Heard> out;
    for (auto& h : heard())
      if (h.msg == msg && h.id == id && h.code == code) out.push_back(h);
    return out;
  }
  // Records the notifications a dialog procedure gets.
  static void Note(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_COMMAND) Hear({msg, LOWORD(wparam), HIWORD(wparam), 0});
    if (msg == WM_NOTIFY) {
      auto* n = reinterpret_cast<NMHDR*>(lparam);
      int value = 0;
      if (n->code == LVN_ITEMCHANGED || n->code == NM_CLICK) value = reinterpret_cast<NMLISTVIEW*>(lparam)->iItem;
      // A tap on a list view's cell: the row, plus 1000 times its column.
      if (n->code == NM_CLICK) value += 1000 * reinterpret_cast<NMLISTVIEW*>(lparam)->iSubItem;
      Hear({msg, static_cast<int>(n->idFrom), static_cast<int>(n->code), value});
    }
    if (msg == WM_HSCROLL || msg == WM_VSCROLL)
      Hear({msg, GetDlgCtrlID(reinterpret_cast<HWND>(lparam)), LOWORD(wparam), HIWORD(wparam)});
  }
};
