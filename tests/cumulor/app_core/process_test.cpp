// The installed program started as a process: the simulator start-up to its last command with its
// screenshot, a second start, the desktop requests from another process, the quit command, and
// the screen of a fresh installation (navigation boxes, the menu tab and its page) at both sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app_fixture.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/program/scripted_run.h"
#include "cumulor/setup/CumulorInstall.h"
#include "platform/device/device.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/system_info.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/testing/device_process.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace {

class CumulorProcess : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(cumulor::InstallDataFiles());
    ASSERT_TRUE(cumulor::SeedSettings());
    ASSERT_TRUE(cumulor::InstallProgram());
    screenshot_ = device_folder() / "start.png";
    const auto script = device_folder() / "user.txt";
    std::ofstream(script) << "box IDYES\n";
    ::setenv("CE_SCREENSHOT", screenshot_.c_str(), 1);
    ::setenv("CE_USER_SCRIPT", script.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("CE_SCREENSHOT");
    ::unsetenv("CE_USER_SCRIPT");
    DeviceTest::TearDown();
  }
  static HANDLE Start(const char16_t* args) {
    PROCESS_INFORMATION pi = ce::testing::StartDeviceProgram(cumulor::kProgramPath, args);
    if (pi.hThread) CloseHandle(pi.hThread);
    return pi.hProcess;
  }
  // Waits for the end of `process` and closes it; its exit code.
  static DWORD ExitCode(HANDLE process) {
    const int code = ce::testing::WaitForExit(process);
    EXPECT_NE(code, -1);
    CloseHandle(process);
    return static_cast<DWORD>(code);
  }
  // Waits (at most 30 s of real time) for the screenshot that ends the start-up.
  bool AwaitStartUp() const {
    return ce::testing::WaitUntil([&] { return std::filesystem::exists(screenshot_); }, 30000, 50);
  }
  static bool SoundPlayed(const std::string& name) {
    for (const auto& e : ce::device::Effects("sound"))
      if (e.target.find(name) != std::string::npos) return true;
    return false;
  }

  // Starts the simulator, waits for the end of its start-up and quits it (answered Yes).
  void RunOnce() {
    std::filesystem::remove(screenshot_);
    HANDLE process = Start(u" /sx");
    ASSERT_NE(process, nullptr) << GetLastError();
    ASSERT_TRUE(AwaitStartUp());
    HWND window = FindWindowW(u"Cumulor", nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageW(window, WM_COMMAND, 40034, 0));
    EXPECT_EQ(ExitCode(process), 0u);
  }
  std::filesystem::path Docs(const char* name) const { return device_folder() / "root" / "My Documents" / name; }
  void Write(const char* name, const std::string& text) const { std::ofstream(Docs(name), std::ios::binary) << text; }
  static std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The settings document without the map centre, which is written but never read, and without
  // the left edges of the navigation boxes: boxes chained in a row follow the widths of the texts
  // they showed last.
  static std::string WithoutCentre(std::string text) {
    const auto at = text.find("<CurrentPos>");
    const auto end = text.find("</CurrentPos>");
    if (at != std::string::npos && end != std::string::npos) text.erase(at, end + 13 - at);
    for (auto x = text.find("<X>"); x != std::string::npos; x = text.find("<X>", x)) {
      const auto close = text.find("</X>", x);
      if (close == std::string::npos) break;
      text.erase(x, close + 4 - x);
    }
    return text;
  }

  std::filesystem::path screenshot_;
};

// A prepared data folder: the main settings document, two install documents (the second broken),
// the task document and the desktop's task file, a generated KA1 database, two user-waypoint files
// and an airspace file. The program merges and deletes the install documents, imports and deletes
// the desktop tasks, and finds its home point again in the waypoints the install brought; a second
// run over what the first one saved saves the same documents again.
TEST_F(CumulorProcess, DocumentsAreMergedImportedAndSavedAsLoaded) {
  std::filesystem::create_directories(Docs(""));
  ASSERT_TRUE(cumulor_test::WriteGeneratedKa1(Docs("alps.ka1"), "region Austria||AT|2\n"
                                                                 "airport LOWI|40000|1700000|1906|0|Innsbruck||\n"));
  Write("old.dat", "X1,47:00.000N,011:00.000E,500,T,First,\r\n"
                   "HM,47:20.000N,011:30.000E,600,T,Hm <1>,home\r\n");
  Write("new.dat", "A1,47:01.000N,011:01.000E,500,T,Alpha,\r\n"
                   "B1,47:02.000N,011:02.000E,500,T,Bravo,\r\n"
                   "C1,47:03.000N,011:03.000E,500,T,Charlie,\r\n"
                   "HM,47:20.000N,011:30.000E,600,T,Hm <1>,home\r\n");
  Write("air.txt", "AC R\nAN TEST AREA\nAL SFC\nAH 3000 MSL\n"
                   "DP 47:00:00 N 011:00:00 E\nDP 47:06:00 N 011:00:00 E\nDP 47:06:00 N 011:06:00 E\n");
  Write("KV_SETTINGS.xml",
        "<Settings><Files><UserWaypoints><File1>old.dat</File1></UserWaypoints>"
        "<AviationDb><File1>alps.ka1</File1></AviationDb><Countries><File1>Austria</File1></Countries></Files>"
        "<Home><Turnpoint><name>Hm &lt;1&gt;</name><type>user waypoint</type><lat>47.33333333</lat>"
        "<lon>11.5</lon></Turnpoint></Home><TimeZone>2</TimeZone></Settings>");
  Write("KV_SETTINGS_INSTALL1.xml",
        "<Settings><Files><UserWaypoints><File1>new.dat</File1></UserWaypoints>"
        "<UserAirspace><File1>air.txt</File1></UserAirspace></Files><FixRate>3</FixRate></Settings>");
  Write("KV_SETTINGS_INSTALL2.xml", "<Settings><SuaDistX>700</Sua");
  Write("KV_TASKS.xml",
        "<Tasks><Task nr=\"2\"><Turnpoint><name>Innsbruck</name><type>airport</type><icao>LOWI</icao>"
        "<lat>47.22222222</lat><lon>1.111111111</lon></Turnpoint></Task></Tasks>");
  Write("KV_TASKS_FROMDESKTOP3D.xml",
        "<Desktop><Tasks><Task><name>Desk</name><waypoints>"
        "<CTaskWpt><WaypointType>UserWaypoint</WaypointType><Name>Hm &lt;1&gt;</Name><Lat>17040000</Lat>"
        "<Lon>4140000</Lon></CTaskWpt>"
        "<CTaskWpt><WaypointType>UserWaypoint</WaypointType><Name>Bravo</Name><Lat>16932000</Lat><Lon>3972000</Lon>"
        "<Area><lat>47.05</lat><lon>11.05</lon><radius_min>1000</radius_min><radius_max>4000</radius_max>"
        "<radial_start>10</radial_start><radial_end>200</radial_end></Area></CTaskWpt>"
        "</waypoints></Task></Tasks></Desktop>");

  RunOnce();
  EXPECT_FALSE(std::filesystem::exists(Docs("KV_SETTINGS_INSTALL1.xml")));
  EXPECT_FALSE(std::filesystem::exists(Docs("KV_SETTINGS_INSTALL2.xml")));
  EXPECT_FALSE(std::filesystem::exists(Docs("KV_TASKS_FROMDESKTOP3D.xml")));

  pugi::xml_document settings;
  ASSERT_TRUE(settings.load_file(Docs("KV_SETTINGS.xml").c_str()));
  const pugi::xml_node root = settings.document_element();
  EXPECT_STREQ(root.child("Home").child("Turnpoint").child_value("name"), "Hm <1>");
  EXPECT_STREQ(root.child_value("TimeZone"), "2");
  EXPECT_STREQ(root.child_value("FixRate"), "3");
  EXPECT_STREQ(root.child("Files").child("UserWaypoints").child_value("File1"), "new.dat");
  EXPECT_STREQ(root.child("Files").child("UserAirspace").child_value("File1"), "air.txt");

  pugi::xml_document tasks;
  ASSERT_TRUE(tasks.load_file(Docs("KV_TASKS.xml").c_str()));
  std::vector<std::string> numbers, names;
  for (const pugi::xml_node& task : tasks.document_element().children("Task")) {
    numbers.push_back(task.attribute("nr").value());
    for (const pugi::xml_node& point : task.children("Turnpoint")) names.push_back(point.child_value("name"));
  }
  EXPECT_EQ(numbers, (std::vector<std::string>{"0", "2"}));
  EXPECT_EQ(names, (std::vector<std::string>{"Hm <1>", "Bravo", "Innsbruck"}));
  const pugi::xml_node area = tasks.document_element().child("Task").last_child().child("Area");
  EXPECT_STREQ(area.child_value("radius_max"), "4000");
  EXPECT_STREQ(area.child_value("radial_end"), "200");

  const std::string savedSettings = WithoutCentre(Read(Docs("KV_SETTINGS.xml")));
  const std::string savedTasks = Read(Docs("KV_TASKS.xml"));
  RunOnce();
  EXPECT_EQ(WithoutCentre(Read(Docs("KV_SETTINGS.xml"))), savedSettings);
  EXPECT_EQ(Read(Docs("KV_TASKS.xml")), savedTasks);
}

TEST_F(CumulorProcess, SimulatorStartsAnswersTheDesktopAndQuits) {
  HANDLE first = Start(u" /sx");
  ASSERT_NE(first, nullptr) << GetLastError();
  // The screenshot is taken once the start-up ran its last command (the GPS threads started).
  ASSERT_TRUE(AwaitStartUp());
  std::filesystem::copy_file(screenshot_, std::filesystem::current_path() / "cumulor_start.png",
                             std::filesystem::copy_options::overwrite_existing);
  HWND window = FindWindowW(u"Cumulor", nullptr);
  ASSERT_NE(window, nullptr);

  // A second start finds the running one and ends at once.
  HANDLE second = Start(u" /sx");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(ExitCode(second), 0u);

  EXPECT_EQ(SendMessageW(window, cumulor::kMsgDesktop, cumulor::kDesktopIdentify, 0), cumulor::kDesktopIdentity);
  EXPECT_TRUE(SoundPlayed("hwandsw.wav"));
  EXPECT_TRUE(SoundPlayed("Loudest.wav"));
  EXPECT_EQ(SendMessageW(window, cumulor::kMsgDesktop, cumulor::kDesktopInstall, 0), 0);
  EXPECT_EQ(SendMessageW(window, cumulor::kMsgDesktop, 1234, 0), 0);

  // Quit, answered Yes by the user's script: the shutdown saves the two registry values.
  ASSERT_TRUE(PostMessageW(window, WM_COMMAND, 40034, 0));
  EXPECT_EQ(ExitCode(first), 0u);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Halcyra\\Cumulor", 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE data[64];
  DWORD size = sizeof(data), type = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"rScreen", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 16u);
  size = sizeof(data);
  EXPECT_EQ(RegQueryValueExW(key, u"SuaOff", nullptr, &type, data, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(FindWindowW(u"Cumulor", nullptr), nullptr);
}

// The menu's "2 Prof" button (command 40159) applies profile 2 of the profile folder at once: the
// program then saves its settings with that profile's values.
TEST_F(CumulorProcess, AProfileButtonAppliesItsProfile) {
  const auto store = device_folder() / "root" / "iPAQ File Store";
  std::filesystem::create_directories(store);
  for (int n : {1, 2, 3})
    std::ofstream(store / ("KV_PROFILE_" + std::to_string(n) + ".XML"), std::ios::binary)
        << "<Settings><TimeZone>" << n + 4 << "</TimeZone><Profile>P" << n << "</Profile></Settings>";
  std::filesystem::remove(screenshot_);
  HANDLE process = Start(u" /sx");
  ASSERT_NE(process, nullptr) << GetLastError();
  AwaitStartUp();
  HWND window = FindWindowW(u"Cumulor", nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostMessageW(window, WM_COMMAND, 40159, 0));
  ASSERT_TRUE(PostMessageW(window, WM_COMMAND, 40034, 0));
  EXPECT_EQ(ExitCode(process), 0u);
  pugi::xml_document settings;
  ASSERT_TRUE(settings.load_file(Docs("KV_SETTINGS.xml").c_str()));
  EXPECT_STREQ(settings.document_element().child_value("TimeZone"), "6");
}

// Installed on the storage card of a device whose documents lie beside the program (an ARM720):
// the program knows where it was started from and keeps its documents there.
TEST_F(CumulorProcess, ADocumentFolderBesideTheProgramFollowsWhereItIsInstalled) {
  const std::u16string path = u"\\Storage Card\\Flight\\Cumulor.exe";
  ASSERT_TRUE(cumulor::InstallProgram(cumulor::HostProgram(), path));
  ASSERT_TRUE(ce::kernel::SetDeviceProcessorType(PROCESSOR_ARM720));
  std::filesystem::remove(screenshot_);
  PROCESS_INFORMATION pi = ce::testing::StartDeviceProgram(path.c_str(), u" /sx");
  ASSERT_NE(pi.hProcess, nullptr) << GetLastError();
  CloseHandle(pi.hThread);
  AwaitStartUp();
  HWND window = FindWindowW(u"Cumulor", nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostMessageW(window, WM_COMMAND, 40034, 0));
  EXPECT_EQ(ExitCode(pi.hProcess), 0u);
  EXPECT_TRUE(std::filesystem::exists(device_folder() / "root" / "Storage Card" / "Flight" / "KV_SETTINGS.xml"));
  EXPECT_FALSE(std::filesystem::exists(device_folder() / "root" / "Program Files" / "KV_SETTINGS.xml"));
}

// A picture the program saved, read back pixel by pixel.
class Picture {
 public:
  explicit Picture(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    bitmap_ = bytes.empty() ? nullptr : ce::gdi::BitmapFromImageData(bytes.data(), bytes.size());
    if (bitmap_) {
      dc_ = CreateCompatibleDC(nullptr);
      old_ = SelectObject(dc_, bitmap_);
    }
  }
  ~Picture() {
    if (!dc_) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  bool Loaded() const { return dc_ != nullptr; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  // Rows of the area that are black from one of its first four columns on for at least `length`
  // pixels: the title band of a box at the area's left edge (a line is one row).
  int BlackBandRows(const RECT& area, int length) const {
    int rows = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int start = area.left; start < area.left + 4; ++start) {
        int run = 0;
        while (start + run < area.right && At(start + run, y) == RGB(0, 0, 0)) ++run;
        if (run >= length) {
          ++rows;
          break;
        }
      }
    }
    return rows;
  }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// A fresh installation in the simulator at one screen size: once the first fix came, boxes 1, 2, 3
// and 21 show in a row from the bottom-left corner with the menu tab at the top and "Simulator"
// below it; a tap on the tab
// opens page 1 without pressing a button, a tap on "About" runs its command; the boxes are saved
// chained left to right along the bottom edge. The screens are left as cumulor_boxes_WxH.png and
// cumulor_menu_WxH.png.
class CumulorScreen : public CumulorProcess {
 protected:
  void TearDown() override {
    ::unsetenv("CE_SCREEN");
    ::unsetenv("CE_SCREENSHOT_DIR");
    ::unsetenv("CE_USER_RECORD");
    CumulorProcess::TearDown();
  }
  // The screen saved now as screen-<n>.png.
  std::filesystem::path Shot(HWND window, int n) const {
    const auto file = device_folder() / ("screen-" + std::to_string(n) + ".png");
    EXPECT_EQ(SendMessageW(window, cumulor::kSaveScreenMessage, static_cast<WPARAM>(n), 0), 1);
    return file;
  }
  static void Tap(HWND window, int x, int y) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  void Run(const char* screen, int width, int height) {
    ::setenv("CE_SCREEN", screen, 1);
    ::setenv("CE_SCREENSHOT_DIR", device_folder().c_str(), 1);
    const auto record = device_folder() / "shown.txt";
    ::setenv("CE_USER_RECORD", record.c_str(), 1);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    HANDLE process = Start(u" /sx");
    ASSERT_NE(process, nullptr) << GetLastError();
    AwaitStartUp();
    HWND window = FindWindowW(u"Cumulor", nullptr);
    ASSERT_NE(window, nullptr);

    // The boxes come with the first fix of the simulator; box 1's title band is black from its
    // left edge.
    const RECT corner{0, height - 80, 70, height};
    bool boxes = false;
    std::filesystem::path map;
    for (int n = 1; n <= 100 && !boxes; ++n) {
      map = Shot(window, n);
      boxes = Picture(map).BlackBandRows(corner, 20) >= 3;
      if (!boxes) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ASSERT_TRUE(boxes) << "no navigation box at the bottom-left corner of " << map;
    std::filesystem::copy_file(map, "cumulor_boxes_" + size + ".png", std::filesystem::copy_options::overwrite_existing);
    const bool large = width > 240;
    const int g = large ? 64 : 32;
    const int row = std::max(height / 6, 55);
    // The empty slot 9 of page 1 lies over the map until the page opens.
    const POINT emptySlot{width * 3 / 8, height - row / 4};
    const POINT firstSlot{width / 4, g + 3 + row / 2};
    {
      const Picture before(map);
      ASSERT_TRUE(before.Loaded());
      const COLORREF band = before.At(width / 2 - g + 12 * g / 64, 56 * g / 64);  // the tab's lower band
      EXPECT_GT(GetBValue(band), 200) << std::hex << band;
      EXPECT_LT(GetRValue(band), 160) << std::hex << band;
      // "Simulator" in red shows below the tab, not under it.
      bool red = false;
      for (int y = g + 1; y < g + 22 && !red; ++y)
        for (int x = width / 2 - 40; x < width / 2 + 40 && !red; ++x) {
          const COLORREF c = before.At(x, y);
          red = GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
        }
      EXPECT_TRUE(red);
    }

    // The first tap on the tab only opens the menu on page 1.
    Tap(window, width / 2, 10);
    const auto menu = Shot(window, 200);
    std::filesystem::copy_file(menu, "cumulor_menu_" + size + ".png", std::filesystem::copy_options::overwrite_existing);
    {
      const Picture open(menu);
      ASSERT_TRUE(open.Loaded());
      EXPECT_EQ(open.At(emptySlot.x, emptySlot.y), RGB(192, 192, 192));  // the page's background
      EXPECT_NE(open.At(firstSlot.x, firstSlot.y), RGB(192, 192, 192));  // the "Waypoints" button
    }
    EXPECT_EQ(Read(record).find("About Cumulor"), std::string::npos);
    // "About" (slot 5, right column of the third row) runs its command: its dialog shows.
    Tap(window, width * 3 / 4, g + 3 + 2 * row + row / 2);
    EXPECT_NE(Read(record).find("shown dialog \"About Cumulor\""), std::string::npos) << Read(record);

    ASSERT_TRUE(PostMessageW(window, WM_COMMAND, 40034, 0));
    EXPECT_EQ(ExitCode(process), 0u);

    // Saved as a fresh installation lays them out: 1, 2, 3 and 21 chained along the bottom edge.
    pugi::xml_document settings;
    ASSERT_TRUE(settings.load_file(Docs("KV_SETTINGS.xml").c_str()));
    std::vector<std::string> numbers, rights, bottoms;
    int previousLeft = -1;
    for (const pugi::xml_node& box : settings.document_element().child("NavBar").child("NavBoxes").children("Box")) {
      numbers.push_back(box.attribute("nr").value());
      rights.push_back(box.child_value("D1"));
      bottoms.push_back(box.child_value("Y"));
      const int left = std::atoi(box.child_value("X"));
      EXPECT_GT(left, previousLeft) << box.attribute("nr").value();
      previousLeft = left;
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3", "21"}));
    EXPECT_EQ(rights, (std::vector<std::string>{"4,0,0,2,0", "4,0,0,3,0", "4,0,0,21,0", ""}));
    EXPECT_EQ(bottoms, std::vector<std::string>(4, std::to_string(height)));
  }
};

TEST_F(CumulorScreen, BoxesAndMenuAt240x320) { Run("portrait", 240, 320); }

TEST_F(CumulorScreen, BoxesAndMenuAt480x640) { Run("vga", 480, 640); }

}  // namespace
