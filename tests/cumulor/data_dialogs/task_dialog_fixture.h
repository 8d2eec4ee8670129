// Loads the task dialogs' templates and the program's numeric pad, and answers the pad through the
// scripted user.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/resources/resource_set.h"
#include "platform/resources/resources.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"

namespace cumulor {

class TaskDialogTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::string all;
    for (const char* name : {"/resources.txt", "/dialog-tasks.txt", "/dialog-browser.txt"}) {
      std::ifstream in(std::string(CUMULOR_RES_DIR) + name);
      ASSERT_TRUE(in) << name;
      std::stringstream text;
      text << in.rdbuf();
      std::string t = text.str();
      // Of the program's resources only the numeric pad, the list choice and the message box.
      if (std::string(name) == "/resources.txt") {
        std::string kept;
        for (const char* id : {"dialog 163 ", "dialog 165 ", "dialog 169 "}) {
          const std::size_t at = t.find(id);
          ASSERT_NE(at, std::string::npos);
          kept += t.substr(at, t.find("\nend", at) + 4 - at) + "\n";
        }
        t = kept;
      }
      all += t + "\n";
    }
    // The browser's tab icons and the point icons, with the point icons' resource lines.
    std::ifstream points(std::string(CUMULOR_RES_DIR) + "/icons-points.txt");
    for (std::string line; std::getline(points, line);)
      if (line.rfind("icon ", 0) == 0) all += line + "\n";
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const char* folder : {"icons/browser", "icons/points"}) {
      for (const auto& entry : std::filesystem::directory_iterator(std::string(CUMULOR_RES_DIR) + "/" + folder)) {
        if (entry.path().extension() != ".png") continue;
        std::ifstream png(entry.path(), std::ios::binary);
        files[std::string(folder) + "/" + entry.path().filename().string()] =
            std::vector<std::uint8_t>(std::istreambuf_iterator<char>(png), {});
      }
    }
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", all, files), "");
    ce::scripted::User::Get().Reset();
  }
  void TearDown() override {
    ce::scripted::User::Get().Reset();
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  struct TestWaypoint {
    const char* name;
    GeoPoint position;
    std::uint32_t flags = 0x1;
    std::int16_t elevation = 0;
  };
  // The user waypoints become these (from index 1 on, coded "W1", "W2", ...).
  static void SetUserWaypoints(const std::vector<TestWaypoint>& points) {
    UserWaypointTable& table = UserWaypoints();
    table.records.SetSize(1);
    table.names.SetSize(1);
    table.countries.SetSize(1);
    int n = 0;
    for (const TestWaypoint& p : points) {
      WaypointRecord w;
      w.position = p.position;
      w.elevation = p.elevation;
      w.flags = p.flags;
      std::snprintf(w.code, sizeof w.code, "W%d", ++n);
      table.records.Append(w);
      PointText t;
      std::snprintf(t.text, sizeof t.text, "%s", p.name);
      table.names.Append(t);
      table.countries.Append(PointText{});
    }
  }
  static void ClearUserWaypoints() {
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    UserWaypoints().countries.SetSize(0);
  }
  static void Press(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  // Answers the numeric pad or text entry that the press opens.
  static void Enter(HWND dialog, int id, const char16_t* text) {
    using namespace ce::scripted::steps;
    ce::scripted::User::Get().AnswerDialog({SetText(kIdPadEdit, text), Click(kIdOkIcon)});
    Press(dialog, id);
  }
  static std::u16string Text(HWND dialog, int id) {
    WCHAR text[128] = {};
    GetDlgItemTextW(dialog, id, text, 128);
    return text;
  }
  static bool Shown(HWND dialog, int id) { return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }
};

}  // namespace cumulor
