// The file and colour choosers as a person uses them: drawn full screen, answered with the pen and
// the keys (injected as the live window gives them), and still answered by a script while shown.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "platform/controls/controls.h"
#include "platform/controls/user_actions.h"
#include "platform/dialogs/commdlg.h"
#include "platform/display/display.h"
#include "platform/display/virtual_keys.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/gdi/gdi.h"
#include "platform/menus/menu_popup.h"
#include "tests/platform/dialogs/dialog_fixture.h"

namespace {

using ce::display::InjectInput;
using ce::display::InputEvent;
using ce::scripted::Kind;
using ce::scripted::User;

// Waits (real time, at most 10 s) until `done` holds.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

std::u16string Text(HWND hwnd) {
  WCHAR buf[300] = {};
  GetWindowTextW(hwnd, buf, 300);
  return buf;
}

// The first child of that class.
HWND ChildOf(HWND parent, const char16_t* cls) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    WCHAR name[64] = {};
    GetClassNameW(c, name, 64);
    if (std::u16string(name) == cls) return c;
  }
  return nullptr;
}

HWND ChildWithText(HWND parent, const char16_t* text) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (Text(c) == text) return c;
  return nullptr;
}

void TapAt(int x, int y) {
  InjectInput({InputEvent::kPenDown, x, y, 0});
  InjectInput({InputEvent::kPenUp, x, y, 0});
}

void Tap(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  TapAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void Press(UINT key) {
  InjectInput({InputEvent::kKeyDown, 0, 0, key});
  InjectInput({InputEvent::kKeyUp, 0, 0, key});
}

// The chooser is shown and has the keys.
bool Ready(HWND chooser) {
  return WaitFor([&] { return IsWindowVisible(chooser) && GetFocus() && IsChild(chooser, GetFocus()); });
}

// A person at the chooser: its rows, taps on them and on its buttons.
struct Person {
  HWND chooser = nullptr;
  HWND List() const { return ChildOf(chooser, WC_LISTBOXW); }
  std::vector<std::u16string> Rows() const {
    std::vector<std::u16string> out;
    HWND list = List();
    int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      WCHAR buf[300] = {};
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
      out.emplace_back(buf);
    }
    return out;
  }
  // Taps a row by its text, as shown; waits until the list shows it selected or changes.
  void TapRow(const std::u16string& row) {
    auto rows = Rows();
    auto at = std::find(rows.begin(), rows.end(), row);
    ASSERT_NE(at, rows.end()) << ce::text::ToUtf8(row);
    int index = static_cast<int>(at - rows.begin());
    HWND list = List();
    int height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    RECT r;
    GetWindowRect(list, &r);
    TapAt(r.left + 20, r.top + 1 + (index - top) * height + height / 2);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) == index || Rows() != rows; }));
  }
  void TapButton(const char16_t* text) {
    HWND b = ChildWithText(chooser, text);
    ASSERT_NE(b, nullptr);
    Tap(b);
  }
  void TypeName(const std::u16string& name) {
    HWND edit = ChildOf(chooser, WC_EDITW);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  void ChooseType(int index) {
    HWND combo = ChildOf(chooser, WC_COMBOBOXW);
    ASSERT_NE(combo, nullptr);
    SendMessageW(combo, CE_UA_SELECT, static_cast<WPARAM>(index), 0);
  }
  // The folder the chooser shows.
  std::u16string Folder() const {
    for (HWND c = GetWindow(chooser, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (Text(c).starts_with(u"\\")) return Text(c);
    return {};
  }
};

class DrawnChooserTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ce::menus::SetInteractiveMenus(true);  // as with a person at the live window
    for (const char16_t* folder : {u"\\My Documents", u"\\My Documents\\Flights"}) CreateDirectoryW(folder, nullptr);
    for (const char16_t* file : {u"\\My Documents\\a.igc", u"\\My Documents\\b.txt", u"\\My Documents\\Flights\\c.igc",
                                 u"\\My Documents\\Flights\\d.IGC", u"\\outside.txt"}) {
      HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      CloseHandle(h);
    }
  }
  void TearDown() override {
    ce::menus::SetInteractiveMenus(false);
    DialogTest::TearDown();
  }
  static std::filesystem::path ShotFolder() {
    const char* dir = std::getenv("CE_SCREENSHOT_DIR");
    return dir ? std::filesystem::path(dir) : std::filesystem::path(::testing::TempDir());
  }
};

struct FileCase {
  const char* name;
  bool save;
  const char16_t* filter;
  const char16_t* initial_dir;
  const char16_t* proposed;  // the file buffer's start
  std::vector<std::u16string> rows;  // what the chooser first lists
  std::function<void(Person&)> act;
  BOOL expected;
  std::u16string path;
};

TEST_F(DrawnChooserTest, FileChooserAsAPersonUsesIt) {
  const char16_t* kIgc = u"Flights\0*.igc\0";
  const std::vector<std::u16string> kMyDocsIgc = {u"[..]", u"[Flights]", u"a.igc"};
  std::vector<FileCase> cases = {
      {"open a file", false, kIgc, u"\\My Documents", u"", kMyDocsIgc,
       [](Person& p) { p.TapRow(u"a.igc"); p.TapButton(u"OK"); }, TRUE, u"\\My Documents\\a.igc"},
      {"another filter", false, u"Flights\0*.igc\0Texts\0*.txt\0", u"\\My Documents", u"", kMyDocsIgc,
       [](Person& p) {
         p.ChooseType(1);
         ASSERT_TRUE(WaitFor([&] { return p.Rows() == std::vector<std::u16string>{u"[..]", u"[Flights]", u"b.txt"}; }));
         p.TapRow(u"b.txt");
         p.TapButton(u"OK");
       },
       TRUE, u"\\My Documents\\b.txt"},
      {"a folder entered and left with the pen", false, kIgc, u"\\My Documents", u"", kMyDocsIgc,
       [](Person& p) {
         p.TapRow(u"[Flights]");
         ASSERT_TRUE(WaitFor([&] { return p.Rows() == std::vector<std::u16string>{u"[..]", u"c.igc", u"d.IGC"}; }));
         EXPECT_EQ(p.Folder(), u"\\My Documents\\Flights");
         p.TapRow(u"[..]");
         ASSERT_TRUE(WaitFor([&] { return p.Folder() == u"\\My Documents"; }));
         p.TapRow(u"[Flights]");
         ASSERT_TRUE(WaitFor([&] { return p.Rows().size() == 3 && p.Rows()[2] == u"d.IGC"; }));
         p.TapRow(u"d.IGC");
         p.TapButton(u"OK");
       },
       TRUE, u"\\My Documents\\Flights\\d.IGC"},
      {"keys only", false, kIgc, u"\\My Documents", u"", kMyDocsIgc,
       [](Person& p) {
         Press(VK_UP);      // from a.igc to the folder
         Press(VK_RETURN);  // enters it; its first file is ready
         ASSERT_TRUE(WaitFor([&] { return p.Folder() == u"\\My Documents\\Flights"; }));
         Press(VK_DOWN);
         Press(VK_RETURN);
       },
       TRUE, u"\\My Documents\\Flights\\d.IGC"},
      {"save with a new name", true, u"Texts\0*.txt\0", nullptr, u"log.txt", {u"[..]", u"[Flights]", u"b.txt"},
       [](Person& p) { p.TypeName(u"day2"); p.TapButton(u"OK"); }, TRUE, u"\\My Documents\\day2.txt"},
      {"save over a listed file", true, u"Texts\0*.txt\0", u"\\My Documents", u"log.txt",
       {u"[..]", u"[Flights]", u"b.txt"}, [](Person& p) { p.TapRow(u"b.txt"); p.TapButton(u"OK"); }, TRUE,
       u"\\My Documents\\b.txt"},
      {"cancel", false, kIgc, u"\\My Documents", u"", kMyDocsIgc,
       [](Person& p) { p.TapRow(u"a.igc"); p.TapButton(u"Cancel"); }, FALSE, u""},
      {"escape cancels", true, kIgc, u"\\My Documents", u"x.igc", kMyDocsIgc, [](Person&) { Press(VK_ESCAPE); }, FALSE,
       u""},
      {"a typed path out of the folder is refused", true, u"Texts\0*.txt\0", u"\\My Documents", u"log.txt",
       {u"[..]", u"[Flights]", u"b.txt"},
       [](Person& p) {
         p.TypeName(u"..\\..\\..\\outside.txt");
         p.TapButton(u"OK");
         ASSERT_TRUE(WaitFor([&] { return ChildWithText(p.chooser, u"A name holds no \\ / : * ? \" < > |") != nullptr; }));
         p.TapButton(u"Cancel");
       },
       FALSE, u""},
      {"a start folder above the root starts in My Documents", false, kIgc, u"\\..\\..\\etc", u"", kMyDocsIgc,
       [](Person& p) { p.TapButton(u"OK"); }, TRUE, u"\\My Documents\\a.igc"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    User::Get().Reset();
    WCHAR file[64] = {};
    std::u16string proposed = c.proposed;
    std::copy(proposed.begin(), proposed.end(), file);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = 64;
    ofn.lpstrFilter = c.filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrInitialDir = c.initial_dir;
    ofn.lpstrDefExt = c.save ? u"txt" : nullptr;
    ofn.Flags = c.save ? 0 : OFN_FILEMUSTEXIST;
    auto result = std::async(std::launch::async, [&] { return c.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn); });
    Person p;
    ASSERT_TRUE(WaitFor([&] { return (p.chooser = FindWindowW(u"Dialog", c.save ? u"Save As" : u"Open")) != nullptr; }));
    ASSERT_TRUE(Ready(p.chooser));
    ASSERT_TRUE(WaitFor([&] { return p.Rows() == c.rows; })) << ce::text::ToUtf8(p.Rows().empty() ? u"" : p.Rows().back());
    c.act(p);
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), c.expected);
    if (c.expected) {
      EXPECT_EQ(std::u16string(file), c.path);
    }
    auto shown = User::Get().shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(shown[0].scripted);  // the person's answer
    EXPECT_EQ(shown[0].result, c.expected);
    EXPECT_TRUE(User::Get().log().empty());
    EXPECT_EQ(FindWindowW(u"Dialog", nullptr), nullptr);  // gone
  }
}

TEST_F(DrawnChooserTest, ScriptAnswersAChooserShownAndPathsOutsideAreRefused) {
  WCHAR file[64] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = 64;
  auto result = std::async(std::launch::async, [&] { return GetOpenFileNameW(&ofn); });
  ASSERT_TRUE(User::Get().WaitShown(Kind::kOpenFile, 1));
  ASSERT_TRUE(WaitFor([] { return FindWindowW(u"Dialog", u"Open") != nullptr; }));
  User::Get().AnswerOpenFile(u"\\My Documents\\b.txt");
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(result.get());
  EXPECT_EQ(std::u16string(file), u"\\My Documents\\b.txt");
  EXPECT_TRUE(User::Get().shown().at(0).scripted);
  EXPECT_EQ(FindWindowW(u"Dialog", u"Open"), nullptr);

  // A scripted path that climbs above the device's root is refused, with the reason logged.
  for (const char16_t* outside : {u"\\..\\outside.txt", u"\\My Documents\\..\\..\\outside.txt"}) {
    User::Get().Reset();
    User::Get().AnswerOpenFile(outside);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    ASSERT_EQ(User::Get().log().size(), 1u);
    EXPECT_NE(User::Get().log()[0].find("outside the device"), std::string::npos);
  }
}

TEST_F(DrawnChooserTest, ColorChooserAsAPersonUsesIt) {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = RGB(10 * i, 5, 200 - i);
  struct Case {
    const char* name;
    COLORREF initial;
    std::function<void(HWND)> act;
    BOOL expected;
    COLORREF color;  // 0xFFFFFFFF: the colour under the first basic swatch on the screen
  };
  std::vector<Case> cases = {
      {"keys from a custom colour", custom[3], [](HWND) { Press(VK_RIGHT); Press(VK_RETURN); }, TRUE, custom[4]},
      {"the first basic swatch tapped", custom[0],
       [](HWND chooser) {
         HWND swatches = ChildOf(chooser, u"ColorSwatches");
         RECT r;
         GetWindowRect(swatches, &r);
         TapAt(r.left + 8, r.top + 8);
         Tap(ChildWithText(chooser, u"OK"));
       },
       TRUE, 0xFFFFFFFFu},
      {"cancel keeps the colour", custom[0], [](HWND chooser) { Press(VK_LEFT); Tap(ChildWithText(chooser, u"Cancel")); },
       FALSE, custom[0]},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    User::Get().Reset();
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.rgbResult = c.initial;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_SOLIDCOLOR;
    auto result = std::async(std::launch::async, [&] { return ChooseColorW(&cc); });
    HWND chooser = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (chooser = FindWindowW(u"Dialog", u"Color")) != nullptr; }));
    ASSERT_TRUE(Ready(chooser));
    COLORREF expected = c.color;
    if (expected == 0xFFFFFFFFu) {
      RECT r;
      GetWindowRect(ChildOf(chooser, u"ColorSwatches"), &r);
      ASSERT_TRUE(WaitFor([&] {
        HDC screen = GetDC(nullptr);
        expected = GetPixel(screen, r.left + 8, r.top + 8);
        ReleaseDC(nullptr, screen);
        return expected != RGB(0xE0, 0xE0, 0xE0) && expected != RGB(0xFF, 0xFF, 0xFF);  // painted
      }));
    }
    c.act(chooser);
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), c.expected);
    EXPECT_EQ(cc.rgbResult, expected);
    EXPECT_FALSE(User::Get().shown().at(0).scripted);
    EXPECT_TRUE(User::Get().log().empty());
  }
}

// The choosers at both screen sizes, saved for a person to look at.
TEST_F(DrawnChooserTest, ScreenshotsAtBothSizes) {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = RGB(255 - 15 * i, 16 * i, 128);
  for (auto size : {ce::display::kPortrait, ce::display::kVga}) {
    ASSERT_TRUE(ce::display::SetScreenSize(size));
    std::string suffix = std::to_string(size.width) + "x" + std::to_string(size.height);
    for (int kind = 0; kind < 3; ++kind) {
      User::Get().Reset();
      WCHAR file[64] = u"day1.igc";
      OPENFILENAMEW ofn{};
      ofn.lStructSize = sizeof ofn;
      ofn.lpstrFile = file;
      ofn.nMaxFile = 64;
      ofn.lpstrFilter = u"IGC-Format (*.igc)\0*.igc\0All files\0*.*\0";
      ofn.lpstrInitialDir = u"\\My Documents";
      CHOOSECOLORW cc{};
      cc.lStructSize = sizeof cc;
      cc.rgbResult = custom[2];
      cc.lpCustColors = custom;
      cc.Flags = CC_RGBINIT;
      auto result = std::async(std::launch::async, [&] {
        return kind == 0 ? GetOpenFileNameW(&ofn) : kind == 1 ? GetSaveFileNameW(&ofn) : ChooseColorW(&cc);
      });
      const char16_t* title = kind == 0 ? u"Open" : kind == 1 ? u"Save As" : u"Color";
      HWND chooser = nullptr;
      ASSERT_TRUE(WaitFor([&] { return (chooser = FindWindowW(u"Dialog", title)) != nullptr; }));
      HWND ok = nullptr;
      ASSERT_TRUE(Ready(chooser));
      ok = ChildWithText(chooser, u"OK");
      ASSERT_NE(ok, nullptr);
      RECT r;
      GetWindowRect(ok, &r);
      EXPECT_LE(r.bottom, size.height);  // the whole chooser is on the screen
      EXPECT_EQ(r.bottom - r.top > 30, size.width > 240);
      // Painted: the OK button's face is on the screen.
      ASSERT_TRUE(WaitFor([&] {
        HDC screen = GetDC(nullptr);
        COLORREF face = GetPixel(screen, r.left + 3, (r.top + r.bottom) / 2);
        ReleaseDC(nullptr, screen);
        return face != RGB(0xFF, 0xFF, 0xFF);
      }));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const char* names[] = {"chooser_open_", "chooser_save_", "chooser_color_"};
      EXPECT_TRUE(ce::display::SaveScreenshot(ShotFolder() / (names[kind] + suffix + ".png")));
      Press(VK_ESCAPE);
      ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
      EXPECT_FALSE(result.get());
    }
  }
  ce::display::SetScreenSize(ce::display::kPortrait);
}

}  // namespace
