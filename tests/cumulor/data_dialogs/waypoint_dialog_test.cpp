#include <gtest/gtest.h>

#include <filesystem>

#include "cumulor/data/dialogs/waypoint_dialog.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "platform/text/utf.h"
#include "task_dialog_fixture.h"

namespace cumulor {
namespace {

using namespace ce::scripted::steps;

class WaypointDialog : public TaskDialogTest {
 protected:
  void SetUp() override {
    TaskDialogTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root" / "Data");
    SetDataFilesFolder(u"\\Data");
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) SelectedDataFiles()[c].selected.SetSize(0);
    ClearUserWaypoints();
    UserSerial() = 7;
  }
  void TearDown() override {
    ClearUserWaypoints();
    TaskDialogTest::TearDown();
  }
};

TEST(CoordinateText, ReadsDegreesMinutesAndDecimals) {
  struct Case {
    const char16_t* text;
    int ok;
    std::int32_t value;
  } cases[] = {{u"48:07.123N", 1, 48 * 36000 + 7 * 600 + 74}, {u"011.38.5E", 1, 11 * 36000 + 38 * 600 + 300},
               {u"33:56S", 1, -(33 * 36000 + 56 * 600)},       {u"179:59.999W", 1, -(179 * 36000 + 59 * 600 + 599)},
               {u"180:00.000E", 0, 0},                           {u"48:60.000N", 0, 0},
               {u"48-07.1N", 0, 0},                              {u"48:07.1X", 0, 0},
               {u"", 0, 0},                                      {u"48:07.", 0, 0}};
  for (const Case& c : cases) {
    std::int32_t value = 0;
    EXPECT_EQ(ParseCoordinateText(c.text, value), c.ok) << ce::text::ToUtf8(c.text);
    if (c.ok) {
      EXPECT_EQ(value, c.value) << ce::text::ToUtf8(c.text);
    }
  }
}

TEST_F(WaypointDialog, ANewWaypointIsSavedOnOkAndRemovedOnCancel) {
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(1389), Click(IDOK)});
  user.AnswerDialog({SetText(kIdPadEdit, u"47:30.000N"), Click(kIdOkIcon)});
  EXPECT_EQ(AddUserWaypoint(-1, 36000, 1692000, nullptr), 1);
  ASSERT_EQ(UserWaypoints().records.Size(), 2);
  EXPECT_STREQ(UserWaypoints().names[1].text, "UserTP7");
  EXPECT_STREQ(UserWaypoints().records[1].code, "U7");
  EXPECT_EQ(UserWaypoints().records[1].position.lat, 47 * 36000 + 30 * 600);
  EXPECT_EQ(UserWaypoints().records[1].elevation, 16404);  // no terrain: 5000 m
  EXPECT_EQ(UserSerial(), 8);
  EXPECT_TRUE(std::filesystem::exists(device_folder() / "root" / "Data" / "MyCumulor.dat"));

  // A latitude the entry refuses keeps the old one; Cancel removes the new waypoint.
  user.AnswerDialog({Click(1389), Click(IDCANCEL)});
  user.AnswerDialog({SetText(kIdPadEdit, u"nonsense"), Click(kIdOkIcon)});
  EXPECT_EQ(AddUserWaypoint(-1, 0, 0, nullptr), 0);
  EXPECT_EQ(UserWaypoints().records.Size(), 2);
}

}  // namespace
}  // namespace cumulor
