// The skinned buttons with the default theme: each manager button shows the picture of its
// status, is disabled at -1 and enabled by the next status; a focused button writes its caption
// and status text into the window's band; the image caches; theme flags and looks; and the
// buttons leave their managers' listeners when destroyed.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>

#include <filesystem>
#include <fstream>

#include "platform/gdi/gdi_seams.h"
#include "platform/device/device.h"
#include "platform/kernel/device_folder.h"
#include "platform/registry/registry.h"
#include "velomar/core/managers/WifiMgr.h"
#include "tests/velomar/skin/skin_fixture.h"
#include "velomar/ui/ManagerButtons.h"

namespace {

using velomar_test::TestWindow;

constexpr COLORREF kKey = RGB(255, 0, 255);

// A manager whose status is whatever the test puts in `device`, announced on every refresh.
class FakeMgr : public CMgr {
 public:
  explicit FakeMgr(int id) : CMgr(id), m_id(id) {}
  ~FakeMgr() override { Stop(); }
  void Initialize() override {}
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return m_id; }
  void RefreshStatusChild(int) override { SetStatusValue(device.load()); }
  void SetStatusChild(int status, int) override { device = status; }
  void SetRestStatus() override {}
  std::u16string GetName() override { return u"fake"; }
  std::u16string GetStatusText(int) override { return u"fake"; }
  // Sets the device's status and lets the manager announce it.
  void Report(int status) {
    device = status;
    RefreshStatus(1);
  }
  std::atomic<int> device{0};

 private:
  int m_id;
};

// The colour most of a picture is drawn in (the key colour and white left out).
COLORREF InkOf(const std::u16string& file) {
  HBITMAP bitmap = CButtonOwnDrawImage::LoadImage(file);
  const SIZE size = ce::gdi::BitmapSize(bitmap);
  std::map<COLORREF, int> counts;
  for (int y = 0; y < size.cy; ++y)
    for (int x = 0; x < size.cx; ++x) {
      const COLORREF c = ce::gdi::BitmapPixel(bitmap, x, y);
      if (c != kKey && c != RGB(255, 255, 255)) ++counts[c];
    }
  COLORREF best = CLR_INVALID;
  int most = 0;
  for (const auto& [colour, n] : counts)
    if (n > most) most = n, best = colour;
  return best;
}

// Pixels of `colour` in the picture part of a button on the screen (the caption rows left out).
int CountInButton(HWND button, COLORREF colour) {
  RECT rc{};
  GetClientRect(button, &rc);
  HDC dc = GetDC(button);
  int n = 0;
  for (int y = 0; y < rc.bottom - 12; ++y)
    for (int x = 0; x < rc.right; ++x) n += GetPixel(dc, x, y) == colour;
  ReleaseDC(button, dc);
  return n;
}

class ButtonsTest : public velomar_test::SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    InstallDefaultTheme();
  }
};

struct ManagerButtonCase {
  const char* name;
  int mgr;
  std::u16string caption;
  // Pictures by status: -1, 0, 1, 2 and 7 (any other).
  std::u16string pictures[5];
  std::u16string texts[5];
};

// Part of the main window's creation values: 60 x 65, scaled pictures with transparency, margin 8.
std::unique_ptr<CButtonOwnDrawImage> MakeButton(int mgr, CBaseWindow* parent, const std::u16string& caption) {
  switch (mgr) {
    case MGR_BAND:
      return std::make_unique<CButtonBand>(parent, 0, 0, 60, 65, nullptr, u"2g.png", u"2g.png", u"3g.png", u"3g.png",
                                           u"2g_dis.png", u"auto.png", caption.c_str(), 110, 1, true, 0, 8, nullptr);
    case MGR_BT:
      return std::make_unique<CButtonBT>(parent, 0, 0, 60, 65, nullptr, u"bluetooth_des.png", u"bluetooth_des.png",
                                         u"bluetooth.png", u"bluetooth.png", u"bluetooth_dis.png",
                                         u"bluetooth_discoverable.png", caption.c_str(), 103, 1, true, 0, 8, nullptr);
    case MGR_SPEAKER:
      return std::make_unique<CButtonSpeaker>(parent, 0, 0, 60, 65, nullptr, u"speaker_des.png", u"speaker_des.png",
                                              u"speaker.png", u"speaker.png", u"speaker_dis.png",
                                              u"speaker_vibrate.png", caption.c_str(), 104, 1, true, 0, 8, nullptr);
    case MGR_CONNECTIONS:
      return std::make_unique<CButtonConnections>(parent, 0, 0, 60, 65, nullptr, u"connection_des.png",
                                                  u"connection_des.png", u"connection.png", u"connection.png",
                                                  u"connection_dis.png", caption.c_str(), 108, 1, true, 0, 8, nullptr);
    case MGR_PHONE:
      return std::make_unique<CButtonMobilePhone>(parent, 0, 0, 60, 65, nullptr, u"mobilephone_des.png",
                                                  u"mobilephone_des.png", u"mobilephone.png", u"mobilephone.png",
                                                  u"mobilephone_dis.png", caption.c_str(), 107, 1, true, 0, 8, nullptr);
    default:
      return std::make_unique<CButtonWifi>(parent, 0, 0, 60, 65, nullptr, u"wifi_des.png", u"wifi_des.png",
                                           u"wifi.png", u"wifi.png", u"wifi_dis.png", caption.c_str(), 105, 1, true, 0,
                                           8, nullptr);
  }
}

const char16_t* ThemeIdOf(int mgr) {
  switch (mgr) {
    case MGR_BAND: return u"band";
    case MGR_BT: return u"bt";
    case MGR_SPEAKER: return u"speaker";
    case MGR_CONNECTIONS: return u"connections";
    case MGR_PHONE: return u"phone";
    default: return u"wifi";
  }
}

TEST_F(ButtonsTest, EachManagerButtonShowsThePictureAndTextOfItsManagersStatus) {
  const ManagerButtonCase cases[] = {
      {"band", MGR_BAND, u"Band",
       {u"2g_dis.png", u"auto.png", u"2g.png", u"3g.png", u"2g_dis.png"},
       {u"Disabled", u"Automatic", u"2G", u"3G", u"??"}},
      {"bluetooth", MGR_BT, u"Bluetooth",
       {u"bluetooth_dis.png", u"bluetooth_des.png", u"bluetooth.png", u"bluetooth_discoverable.png", u"bluetooth_dis.png"},
       {u"Disabled", u"Off", u"On", u"Discoverable", u"??"}},
      {"speaker", MGR_SPEAKER, u"Sound",
       {u"speaker_dis.png", u"speaker_des.png", u"speaker_vibrate.png", u"speaker.png", u"speaker_dis.png"},
       {u"Disabled", u"Off", u"Vibrate", u"On", u"??"}},
      {"connections", MGR_CONNECTIONS, u"Data",
       {u"connection_dis.png", u"connection_dis.png", u"connection_des.png", u"connection.png", u"connection_dis.png"},
       {u"Disabled", u"Disabled", u"Off", u"On", u"??"}},
      {"phone", MGR_PHONE, u"Phone",
       {u"mobilephone_dis.png", u"mobilephone.png", u"mobilephone_des.png", u"mobilephone.png", u"mobilephone.png"},
       {u"Disabled", u"On", u"Off", u"Off", u"Off"}},
      {"wifi", MGR_WIFI, u"Wi-Fi",
       {u"wifi_dis.png", u"wifi_des.png", u"wifi.png", u"wifi_dis.png", u"wifi_dis.png"},
       {u"Disabled", u"Off", u"On", u"Unknown", u"Unknown"}},
  };
  const int statuses[] = {-1, 0, 1, 2, 7};
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMgr manager(c.mgr);
    std::unique_ptr<CButtonOwnDrawImage> owned = MakeButton(c.mgr, &window, c.caption);
    CButtonOwnDrawImage* button = owned.release();  // the window owns its buttons
    button->SetThemeId(ThemeIdOf(c.mgr));
    button->Create();
    button->ListenTo(&manager);
    // Every picture the button can show, by its ink.
    std::map<std::u16string, COLORREF> inks;
    for (const auto& picture : c.pictures) inks[picture] = InkOf(picture);
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE(testing::Message() << "status " << statuses[i]);
      manager.Report(statuses[i]);
      UpdateWindow(button->GetHwnd());
      EXPECT_EQ(IsWindowEnabled(button->GetHwnd()) != FALSE, statuses[i] != -1);
      EXPECT_EQ(button->GetTextStatus(), c.texts[i]);
      for (const auto& [picture, ink] : inks) {
        const int n = CountInButton(button->GetHwnd(), ink);
        if (picture == c.pictures[i]) {
          EXPECT_GT(n, 40) << "expected picture not shown";
        } else if (ink != inks[c.pictures[i]]) {
          EXPECT_LT(n, 3) << "another picture shown";
        }
      }
    }
    // The window still holds the button; its manager goes first (the button left its listeners).
    ShowWindow(button->GetHwnd(), SW_HIDE);
  }
}

TEST_F(ButtonsTest, TheWifiButtonStartsFromAndFollowsTheWifiManager) {
  SetSetting(u"mgr_config", std::u16string(u"2222222222"));
  velomar::seam::ResetMgrConfig();
  ce::device::SetInt("wifi.adapter", 0);
  ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Hardware", u"Wifi", 6), S_OK);
  CWifiMgr wifi;
  wifi.Initialize();
  ASSERT_EQ(wifi.GetStatus(), 1);
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  CButtonOwnDrawImage* on = MakeButton(MGR_WIFI, &window, u"Wi-Fi").release();
  EXPECT_EQ(on->GetStatus(), 1);  // read from the manager at construction
  on->SetThemeId(u"wifi");
  on->Create();
  on->ListenTo(&wifi);
  UpdateWindow(on->GetHwnd());
  EXPECT_GT(CountInButton(on->GetHwnd(), InkOf(u"wifi.png")), 40);

  ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Hardware", u"Wifi", 0), S_OK);
  wifi.RefreshStatus(0);  // the change is announced to the button
  EXPECT_EQ(on->GetStatus(), 0);
  UpdateWindow(on->GetHwnd());
  EXPECT_GT(CountInButton(on->GetHwnd(), InkOf(u"wifi_des.png")), 40);
  EXPECT_EQ(CountInButton(on->GetHwnd(), InkOf(u"wifi.png")), 0);
  std::unique_ptr<CButtonOwnDrawImage> off = MakeButton(MGR_WIFI, &window, u"Wi-Fi");
  EXPECT_EQ(off->GetStatus(), 0);
  StopWhileDriving([&] { wifi.Stop(); });
}

TEST_F(ButtonsTest, ATextButtonShowsItsImageSourcesPictureForItsOwnStatus) {
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  CButtonOwnDrawImage* wifi = MakeButton(MGR_WIFI, &window, u"Wi-Fi").release();
  wifi->SetThemeId(u"wifi");
  wifi->Create();
  wifi->StatusChanged(1, MGR_WIFI, 10);
  auto* option = new CButtonOwnDrawText(&window, 60, 65, nullptr, u"settings.png", u"Off", 0, 1, true, 8);
  option->SetThemeId(u"wifi");
  option->GetConfigFromXML();
  option->SetX(100);
  option->SetY(100);
  option->Create();
  option->StatusChanged(0, MGR_WIFI, 10);
  option->SetImageSource(wifi);
  InvalidateRect(option->GetHwnd(), nullptr, TRUE);
  UpdateWindow(option->GetHwnd());
  EXPECT_GT(CountInButton(option->GetHwnd(), InkOf(u"wifi_des.png")), 40);  // the source's "off" picture
  EXPECT_EQ(wifi->GetStatus(), 1);  // the source keeps its own status
  // Without a source the text button shows its own pictures.
  option->SetImageSource(nullptr);
  InvalidateRect(option->GetHwnd(), nullptr, TRUE);
  UpdateWindow(option->GetHwnd());
  EXPECT_GT(CountInButton(option->GetHwnd(), InkOf(u"wifi_des.png")), 40);  // the theme names wifi_des.png for "off"
  auto* plain = new CButtonOwnDrawText(&window, 60, 65, nullptr, u"settings.png", u"Settings", 40021, 1, true, 8);
  plain->SetY(200);
  plain->Create();
  UpdateWindow(plain->GetHwnd());
  EXPECT_GT(CountInButton(plain->GetHwnd(), InkOf(u"settings.png")), 40);
}

TEST_F(ButtonsTest, AFocusedButtonWritesItsCaptionAndStatusTextIntoTheBand) {
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  auto* hide = new CButtonOwnDrawImage(&window, 0, 200, 60, 65, nullptr, u"hide.png", u"hide.png", u"hide.png",
                                       u"hide.png", u"hide.png", u"Hide", 111, 1, true, 0, 8, nullptr);
  hide->SetThemeId(u"hide");
  hide->Create();
  CButtonOwnDrawImage* wifi = MakeButton(MGR_WIFI, &window, u"Wi-Fi").release();
  wifi->SetThemeId(u"wifi");
  wifi->SetX(100);
  wifi->SetY(200);
  wifi->Create();
  wifi->StatusChanged(1, MGR_WIFI, 10);

  // The band of the theme: x 30, y 2, 180 x 18, Tahoma bold 14.
  auto dark_span = [&] {
    HDC dc = GetDC(window.GetHwnd());
    int left = 1000, right = -1;
    for (int y = 2; y < 20; ++y)
      for (int x = 30; x < 210; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) left = std::min(left, x), right = std::max(right, x);
      }
    ReleaseDC(window.GetHwnd(), dc);
    return right < 0 ? 0 : right - left + 1;
  };
  auto text_width = [](const std::u16string& text) {
    LOGFONTW lf{};
    lf.lfHeight = 14;
    lf.lfWeight = 700;
    std::u16string face = u"Tahoma";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return static_cast<int>(size.cx);
  };
  const struct {
    CButtonOwnDrawImage* button;
    std::u16string text;
  } cases[] = {{hide, u"Hide"}, {wifi, u"Wi-Fi - On"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "band text " << c.text.size());
    SetFocus(c.button->GetHwnd());
    Pump();
    UpdateWindow(c.button->GetHwnd());
    EXPECT_NEAR(dark_span(), text_width(c.text), 4);
  }
}

TEST_F(ButtonsTest, AMissingPictureShowsTheFallbackReadOnceAndSizedCopiesAreCachedOnce) {
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  auto make = [&](int x) {
    auto* b = new CButtonOwnDrawImage(&window, x, 100, 60, 65, nullptr, u"nothere.png", u"nothere.png",
                                      u"nothere.png", u"nothere.png", u"nothere.png", u"x", 1, 1, true, 0, 8, nullptr);
    b->Create();
    return b;
  };
  CButtonOwnDrawImage* first = make(0);
  const int loads = velomar::seam::ImageFileLoads();
  EXPECT_EQ(loads, 2);  // the missing file, then the fallback
  CButtonOwnDrawImage* second = make(70);
  EXPECT_EQ(velomar::seam::ImageFileLoads(), loads);  // the second button touched no file
  UpdateWindow(second->GetHwnd());
  UpdateWindow(first->GetHwnd());
  EXPECT_GT(CountInButton(second->GetHwnd(), InkOf(u"question.png")), 40);

  // A file that is no picture is as good as missing.
  std::ofstream(ce::DeviceRootFolder() / "Program Files/Velomar/themes/default/qvga/broken.png", std::ios::binary)
      << "\x89PNG\r\n\x1a\n not really";
  HBITMAP broken = CButtonOwnDrawImage::LoadImage(u"broken.png");
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(ce::gdi::BitmapSize(broken).cx, ce::gdi::BitmapSize(CButtonOwnDrawImage::LoadImage(u"question.png")).cx);

  HBITMAP wifi = CButtonOwnDrawImage::LoadImage(u"wifi.png");
  const SIZE natural = ce::gdi::BitmapSize(wifi);
  EXPECT_EQ(CButtonOwnDrawImage::GetImage(u"wifi.png", natural.cx, natural.cy), wifi);
  EXPECT_EQ(velomar::seam::ScaledImageCount(), 0u);
  HBITMAP small = CButtonOwnDrawImage::GetImage(u"wifi.png", 16, 16);
  ASSERT_NE(small, nullptr);
  EXPECT_NE(small, wifi);
  EXPECT_EQ(ce::gdi::BitmapSize(small).cx, 16);
  EXPECT_EQ(ce::gdi::BitmapSize(small).cy, 16);
  EXPECT_EQ(CButtonOwnDrawImage::GetImage(u"wifi.png", 16, 16), small);
  EXPECT_EQ(velomar::seam::ScaledImageCount(), 1u);
  EXPECT_NE(CButtonOwnDrawImage::GetImage(u"wifi.png", 16, 17), small);
  EXPECT_EQ(velomar::seam::ScaledImageCount(), 2u);
}

TEST_F(ButtonsTest, ThemeFlagsAndLooks) {
  const std::filesystem::path folder = ce::DeviceRootFolder() / "Program Files/Velomar/themes/flags/qvga";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(ce::DeviceRootFolder() / "Program Files/Velomar/themes/default/qvga/wifi.png",
                             folder / "wifi.png");
  std::ofstream(folder / "skin.xml", std::ios::binary)
      << "<velomar><resolution id=\"qvga\"><orientation id=\"portrait\">"
         "<button id=\"no\" border=\"no\" text=\"no\" transparent=\"no\" autolocate=\"no\"/>"
         "<button id=\"caps\" border=\"NO\" text=\"No\" transparent=\"NO\" autolocate=\"\"/>"
         "<button id=\"half\"><state id=\"not_focused\"><border_color id=\"unpressed\" width=\"2\"><rgb r=\"1\" g=\"2\" "
         "b=\"3\"/></border_color><brush id=\"unpressed\"><rgb r=\"10\" g=\"200\" b=\"10\"/></brush></state></button>"
         "<button id=\"full\"><state id=\"focused\"><border_color id=\"pressed\" width=\"1\"/></state>"
         "<state id=\"not_focused\"><brush id=\"unpressed\"><rgb r=\"10\" g=\"200\" b=\"10\"/></brush></state></button>"
         "</orientation></resolution></velomar>";
  SetSetting(u"theme", std::u16string(u"flags"));
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  auto make = [&](const char16_t* id, bool transparent, int x) {
    auto* b = new CButtonOwnDrawImage(&window, x, 100, 60, 65, nullptr, u"wifi.png", u"wifi.png", u"wifi.png",
                                      u"wifi.png", u"wifi.png", u"x", 1, 1, transparent, 0, 8, nullptr);
    b->SetThemeId(id);
    b->Create();
    return b;
  };
  const struct {
    const char16_t* id;
    bool constructed_transparent;
    bool border, text, transparent, autolocate;
  } cases[] = {
      {u"no", true, false, false, false, false},
      {u"caps", false, true, true, true, true},  // only the exact "no" is false
      {u"absent", false, true, true, false, true},  // no element: the constructor's values
  };
  for (const auto& c : cases) {
    CButtonOwnDrawImage* b = make(c.id, c.constructed_transparent, 0);
    EXPECT_EQ(b->HasBorder(), c.border);
    EXPECT_EQ(b->HasCaption(), c.text);
    EXPECT_EQ(b->IsTransparent(), c.transparent);
    EXPECT_EQ(b->IsAutolocate(), c.autolocate);
    ShowWindow(b->GetHwnd(), SW_HIDE);
  }
  // The themed look is on only when the focused+pressed border width is given: "half" keeps the
  // built-in brush (150, 150, 255) when not focused; "full" uses its own.
  CButtonOwnDrawImage* half = make(u"half", true, 0);
  CButtonOwnDrawImage* full = make(u"full", true, 70);
  SetFocus(window.GetHwnd());
  SetFocus(nullptr);
  InvalidateRect(half->GetHwnd(), nullptr, TRUE);
  InvalidateRect(full->GetHwnd(), nullptr, TRUE);
  UpdateWindow(half->GetHwnd());
  UpdateWindow(full->GetHwnd());
  HDC dc = GetDC(half->GetHwnd());
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(150, 150, 255));
  ReleaseDC(half->GetHwnd(), dc);
  dc = GetDC(full->GetHwnd());
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(10, 200, 10));
  ReleaseDC(full->GetHwnd(), dc);
}

TEST_F(ButtonsTest, DestroyedButtonsAreNoLongerCalledByTheirManagers) {
  FakeMgr manager(MGR_WIFI);
  {
    TestWindow window;
    ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
    CButtonOwnDrawImage* button = MakeButton(MGR_WIFI, &window, u"Wi-Fi").release();
    button->SetThemeId(u"wifi");
    button->Create();
    button->ListenTo(&manager);
    manager.Report(1);
    EXPECT_EQ(button->GetStatus(), 1);
  }  // the window deletes its buttons
  manager.Report(0);  // would call a deleted button (the sanitizer reports it)

  // A manager destroyed before its button: the button does not touch it.
  TestWindow window;
  ASSERT_EQ(window.Create(nullptr, 0, 0), 1);
  auto gone = std::make_unique<FakeMgr>(MGR_BT);
  CButtonOwnDrawImage* button = MakeButton(MGR_BT, &window, u"Bluetooth").release();
  button->Create();
  button->ListenTo(gone.get());
  gone.reset();
}

}  // namespace
