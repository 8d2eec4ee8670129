// Option page tests: the schedule engine's fixture (places database, radio interface manager,
// recording managers) with the translator, the scripted user, and the options sheet opened on a
// page. `SheetShots` pictures every page of an open sheet and notes the controls that do not fit.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/display/display.h"
#include "platform/scripted/scripted_user.h"
#include "platform/window/window.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/dialogs/dialog_shot.h"
#include "tests/velomar/places/schedule_fixture.h"
#include "velomar/dialogs/PropertyPage.h"
#include "velomar/dialogs/PropertySheetOptions.h"
#include "velomar/ui/Translator.h"

namespace dialogs_test {

using namespace ce::scripted::steps;

class OptionPagesTest : public schedule_test::ScheduleTest {
 protected:
  void SetUp() override {
    ScheduleTest::SetUp();
    ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kPortrait));
    velomar::seam::ForgetTranslator();  // one made on demand by an earlier test stays alive, unused
    m_translator = std::make_unique<CTranslator>();
    User().Reset();
    teskautils::seam::TakeShownBoxes();
    teskautils::seam::SetBoxAnswer(0);
  }
  void TearDown() override {
    User().Reset();
    teskautils::seam::SetBoxAnswer(0);
    StopWorkers();  // their commands use the translator
    m_translator.reset();
    ScheduleTest::TearDown();
  }
  static ce::scripted::User& User() { return ce::scripted::User::Get(); }
  static std::u16string T(const WCHAR* id) { return CTranslator::GetInstance()->GetText(id); }
  static std::vector<std::u16string> BoxTexts() {
    std::vector<std::u16string> texts;
    for (const auto& box : teskautils::seam::TakeShownBoxes()) texts.push_back(box.text);
    return texts;
  }
  // The texts of the last dialog (or sheet) shown.
  static std::vector<std::u16string> LastShownTexts() {
    const auto all = User().shown();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if (it->kind == ce::scripted::Kind::kDialog) return it->texts;
    return {};
  }
  // The items of the last popup menu shown.
  static std::vector<std::u16string> LastMenuTexts() {
    const auto all = User().shown();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if (it->kind == ce::scripted::Kind::kMenu) return it->texts;
    return {};
  }
  // The options sheet shown from `page` (no parent window), answered by `steps`.
  static void RunSheet(int page, std::vector<ce::scripted::Step> steps) {
    CPropertySheetOptions sheet(nullptr);
    User().AnswerDialog(std::move(steps));
    sheet.DoModal(page);
  }

  std::unique_ptr<CTranslator> m_translator;
};

// Runs work on the thread that made it (the sheet's thread), when that thread's loop next
// dispatches: `Post` may be called from any thread.
class UiProbe {
 public:
  UiProbe() {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &UiProbe::Proc;
      wc.lpszClassName = u"UiProbe";
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    m_window = CreateWindowExW(0, u"UiProbe", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  }
  ~UiProbe() { DestroyWindow(m_window); }
  void Post(std::function<void()> work) {
    PostMessageW(m_window, WM_APP + 79, 0, reinterpret_cast<LPARAM>(new std::function<void()>(std::move(work))));
  }

 private:
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_APP + 79) {
      std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lparam));
      (*work)();
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
  HWND m_window = nullptr;
};

// Posted before a sheet's DoModal, its message is handled once the sheet is up: every page is
// shown in turn, pictured (when a folder is given) and measured, then the sheet is closed as
// confirmed.
class SheetShots {
 public:
  SheetShots(CPropertySheet& sheet, std::filesystem::path folder, std::string prefix)
      : m_sheet(sheet), m_folder(std::move(folder)), m_prefix(std::move(prefix)) {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &SheetShots::Proc;
      wc.lpszClassName = u"SheetShots";
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    m_window = CreateWindowExW(0, u"SheetShots", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(m_window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PostMessageW(m_window, WM_APP + 78, 0, 0);
  }
  ~SheetShots() { DestroyWindow(m_window); }

  // Per page: the soft keys and menu texts, and the controls cut by the page or the caption band.
  std::vector<ShotData> pages;

 private:
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<SheetShots*>(GetWindowLongPtrW(hwnd, GWL_USERDATA));
    if (msg == WM_APP + 78 && self) {
      self->Take();
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
  void Take() {
    const auto& list = m_sheet.GetPages();
    if (list.empty() || !list[0]->GetHwnd()) return;
    HWND sheet = GetParent(list[0]->GetHwnd());
    for (std::size_t i = 0; i < list.size(); ++i) {
      SendMessageW(sheet, PSM_SETCURSEL, i, 0);
      HWND page = list[i]->GetHwnd();
      ShotData data;
      if (!m_folder.empty()) data.file = m_folder / (m_prefix + "_" + std::to_string(i) + ".png");
      NoteWhatIsShown(page, data);
      // What counts for a page is that every control lies inside the page, and the page inside
      // the sheet's client area (below its caption).
      data.cutControls.clear();
      RECT page_rect{}, sheet_client{}, client{};
      GetWindowRect(page, &page_rect);
      MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&page_rect), 2);
      GetClientRect(sheet, &sheet_client);
      if (page_rect.top < 0 || page_rect.bottom > sheet_client.bottom || page_rect.right > sheet_client.right)
        data.cutControls.push_back("page: " + std::to_string(page_rect.top) + "," + std::to_string(page_rect.bottom));
      GetClientRect(page, &client);
      for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        if (r.top < 0 || r.left < 0 || r.right > client.right || r.bottom > client.bottom)
          data.cutControls.push_back(std::to_string(GetDlgCtrlID(child)) + ": " + std::to_string(r.left) + "," +
                                     std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                                     std::to_string(r.bottom) + " in " + std::to_string(client.right) + "x" +
                                     std::to_string(client.bottom));
      }
      pages.push_back(std::move(data));
    }
    PostMessageW(sheet, WM_COMMAND, IDOK, 0);
  }

  CPropertySheet& m_sheet;
  std::filesystem::path m_folder;
  std::string m_prefix;
  HWND m_window = nullptr;
};

}  // namespace dialogs_test
