// "Show" of a real recorded flight: the loaded flight through the trail and the batch optimisation.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/core/olc_show.h"
#include "cumulor/map/trail/trail.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/olc/olc_optimizer.h"
#include "cumulor/nav/replay/igc_fix_reader.h"
#include "tests/testdata.h"

using namespace cumulor;
using cumulor_test::AppTest;

namespace {

class OlcShow : public AppTest {
 protected:
  void TearDown() override {
    IgcFileClose(*app);
    FreeIgcFixes(*app);
    TrailClear();
    AppTest::TearDown();
  }
};

}  // namespace

TEST_F(OlcShow, RealFlightGivesTheBatchResult) {
  const std::filesystem::path file = test_data::Folder("igc") / "0037.igc";
  SKIP_WITHOUT_TEST_DATA(file.parent_path());
  const std::filesystem::path docs = device_folder() / "root" / "My Documents";
  std::filesystem::create_directories(docs);
  std::filesystem::create_symlink(file, docs / file.filename());  // linked, not copied
  ASSERT_EQ(IgcFileOpen(*app, u"\\My Documents\\0037.igc"), S_OK);
  ASSERT_EQ(LoadIgcFixes(*app), S_OK);
  ASSERT_GT(app->loadedFlight.FixCount(), 1000);
  TrailClear();
  OlcSetLegCount(4);

  ShowLoadedFlight(*app);
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_EQ(app->replay.hold, 0);
  EXPECT_EQ(std::u16string(app->statusText), u"Optimizing OLC...");

  const DynArray<TrailPoint> trail = TrailCopy();
  EXPECT_EQ(trail.Size(), app->loadedFlight.FixCount());
  OlcOptimizer alone;
  alone.OptimizeTrail(trail.Data(), trail.Size());
  ASSERT_GT(alone.CandidateCount(), 6);
  std::uint32_t distance = 0;
  std::vector<GeoPoint> route;
  ASSERT_TRUE(OlcResult(distance, &route));
  EXPECT_EQ(distance, alone.ResultDistance());
  EXPECT_GT(distance, 1000u);  // a local flight within about 3 km
  EXPECT_EQ(route.size(), 5u);
  WCHAR text[32];
  EXPECT_EQ(OlcFormatResult(text, 32), 1);
  EXPECT_EQ(std::u16string(text), std::u16string(FormatDistance(distance, kPrecisionAuto)));
}
