// "Show" in "Cumulor Logger" on a real recorded flight, the flight chosen by the scripted user: the
// loaded flight goes through the trail and the batch optimisation gives the result distance.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/replay_link.h"
#include "cumulor/app/core/stats_link.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/olc/olc_optimizer.h"
#include "cumulor/nav/replay/igc_fix_reader.h"
#include "tests/testdata.h"
#include "tests/cumulor/trail_lists.h"

using namespace cumulor;
using namespace ce::scripted::steps;
using cumulor_test::AppTest;

namespace {

LRESULT MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  AppContext* app = AppRecord();
  if (app && message == WM_COMMAND) {
    OnCommand(*app, wparam, lparam);
    return 0;
  }
  if (app && message == WM_USER + 50) {
    OlcOptimizeCommand(*app, wparam, lparam);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

class OlcShow : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = u"CumulorShow";
    RegisterClassW(&wc);
    app->mainWindow = CreateWindowExW(0, u"CumulorShow", u"Cumulor", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    InstallStatsHooks();
    TrailInit();
    OlcSetLegCount(4);
  }
  void TearDown() override {
    IgcFileClose(*app);
    FreeIgcFixes(*app);
    DestroyWindow(app->mainWindow);
    Pump();
    UnregisterClassW(u"CumulorShow", nullptr);
    TrailClear();
    AppTest::TearDown();
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
};

}  // namespace

TEST_F(OlcShow, ShowInTheLoggerDialogGivesTheResultDistance) {
  const std::filesystem::path file = test_data::Folder("igc") / "0037.igc";
  SKIP_WITHOUT_TEST_DATA(file.parent_path());
  const std::filesystem::path docs = device_folder() / "root" / "My Documents";
  std::filesystem::create_directories(docs);
  std::filesystem::create_symlink(file, docs / file.filename());  // linked, not copied
  WCHAR text[32];
  OlcFormatResult(text, 32);
  EXPECT_EQ(std::u16string(text), u"---");

  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(kIdLoggerShow)});
  user.AnswerOpenFile(u"\\My Documents\\0037.igc");
  OnCommand(*app, 40053, 0);
  Pump();
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_EQ(app->replay.hold, 0);
  ASSERT_GT(app->loadedFlight.FixCount(), 1000);

  // The result is the batch optimisation over the trail the flight made.
  const std::vector<TrailPoint> trail = FullTrail();
  EXPECT_EQ(static_cast<std::int32_t>(trail.size()), app->loadedFlight.FixCount());
  OlcOptimizer alone;
  alone.OptimizeTrail(trail.data(), static_cast<std::int32_t>(trail.size()));
  ASSERT_GT(alone.CandidateCount(), 6);
  std::uint32_t distance = 0;
  std::vector<GeoPoint> route;
  ASSERT_TRUE(OlcResult(distance, &route));
  EXPECT_EQ(distance, alone.ResultDistance());
  EXPECT_GT(distance, 1000u);  // a local flight within about 3 km
  EXPECT_EQ(route.size(), 5u);
  EXPECT_EQ(OlcFormatResult(text, 32), 1);
  EXPECT_EQ(std::u16string(text), std::u16string(FormatDistance(distance, kPrecisionAuto)));
  EXPECT_NE(std::u16string(text), u"---");
}
