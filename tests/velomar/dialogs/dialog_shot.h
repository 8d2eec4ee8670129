// A dialog of any kind that, once it is shown and painted, notes what the user sees: the texts of
// its soft keys and of the right key's menu, the controls that do not fit inside its client area
// below the caption band, and (when a file is named) a screenshot of the screen.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/display/display.h"
#include "platform/menus/softkey_bar.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"

namespace dialogs_test {

struct ShotData {
  std::vector<std::u16string> keyTexts;   // soft keys, then the right key's menu items
  std::vector<std::string> cutControls;   // "id: rect" of controls outside the visible area
  std::filesystem::path file;             // screenshot to write (empty: none)
  bool seen = false;
};

inline constexpr UINT kShotMessage = 0x8000 + 77;  // WM_APP + 77

inline void NoteWhatIsShown(HWND dialog, ShotData& data) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Whatever is still queued (the children's paints) is handled first.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (HWND bar = SHFindMenuBar(dialog)) {
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    for (UINT key : {2u, 101u, 40006u, 40009u}) {
      WCHAR text[64] = {};
      TBBUTTONINFOW info{};
      info.cbSize = sizeof info;
      info.dwMask = TBIF_TEXT;
      info.pszText = text;
      info.cchText = 64;
      if (SendMessageW(bar, TB_GETBUTTONINFO, key, reinterpret_cast<LPARAM>(&info)) < 0) continue;
      data.keyTexts.emplace_back(text);
      auto menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, key));
      for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        WCHAR item[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), item, 64, MF_BYPOSITION);
        data.keyTexts.emplace_back(item);
      }
    }
  }
  RECT client{};
  GetClientRect(dialog, &client);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    if (r.top < 0 || r.left < 0 || r.right > client.right || r.bottom > client.bottom)
      data.cutControls.push_back(std::to_string(GetDlgCtrlID(child)) + ": " + std::to_string(r.left) + "," +
                                 std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                                 std::to_string(r.bottom) + " in " + std::to_string(client.right) + "x" +
                                 std::to_string(client.bottom));
  }
  if (!data.file.empty()) {
    std::filesystem::create_directories(data.file.parent_path());
    ce::display::SaveScreenshot(data.file);
  }
  data.seen = true;
}

template <class D>
class Shot : public D, public ShotData {
 public:
  using D::D;
  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override {
    const INT_PTR result = D::OnInit(hwnd, msg, wparam, lparam);
    PostMessageW(hwnd, kShotMessage, 0, 0);
    return result;
  }
  INT_PTR OnMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (msg == kShotMessage) {
      NoteWhatIsShown(hwnd, *this);
      return TRUE;
    }
    return D::OnMessage(hwnd, msg, wparam, lparam);
  }
};

}  // namespace dialogs_test
