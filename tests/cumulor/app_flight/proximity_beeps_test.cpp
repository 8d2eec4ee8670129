// The proximity beeps of the new-fix handling: on the third fix of each five-fix cycle, the nearest
// warned airspace's score against the three thresholds gives one, two or three plays of
// "MenuPop.wav", each threshold strictly. Further plays wait 5 ms each, so the fixes run on a
// second thread while this one moves the manual clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "cumulor/app/core/airspace_link.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/airspace/airspace_reader.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using namespace ce::scripted::steps;

namespace {

constexpr GeoPoint kNear{11 * 36000 + 1800, 47 * 36000 - 65};  // 200 m south of the square

class ProximityBeeps : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    FixHandlingReset();
    std::ofstream(device_folder() / "root" / "air.txt")
        << "AC R\nAN NEAR ME\nAL SFC\nAH FL100\nDP 47:00:00 N 011:00:00 E\nDP 47:06:00 N 011:00:00 E\n"
           "DP 47:06:00 N 011:06:00 E\nDP 47:00:00 N 011:06:00 E\n";
    InstallAirspaceUi(*app);
    app->firstFixAwaited = 0;
    AirspaceLoadFiles(app->airspace, {u"\\air.txt"});
    app->suaDistX = 500;
    app->suaDistY = 300;
    SetFlightParameter(app->flight, kParamAltitude, 900, 1);
    SetFlightParameter(app->flight, kParamAltimeter, 900, 1);
  }
  // One five-fix cycle at the position on a second thread; this thread lets the 5 ms pauses
  // between plays pass.
  void Cycle() {
    std::atomic<bool> done{false};
    std::thread fixes([this, &done] {
      GpsStatus fix;
      fix.positionValid = 1;
      fix.position = kNear;
      fix.altitude = 900;
      for (int i = 0; i < 5; ++i) OnGpsUpdate(*app, &fix, S_OK);
      done = true;
    });
    while (!done) {
      AdvanceClock(5);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    fixes.join();
  }
  static int Plays(const std::u16string& name) {
    int n = 0;
    for (const auto& e : ce::sound::RecordedEffects())
      n += e.text.size() >= name.size() && e.text.compare(e.text.size() - name.size(), name.size(), name) == 0;
    return n;
  }
};

TEST_F(ProximityBeeps, OneTwoOrThreePlaysOnlyStrictlyBelowEachThreshold) {
  ce::scripted::User::Get().AnswerDialog({Click(193)});
  Cycle();  // the alarm makes the airspace the warned one
  const std::optional<AirspaceWarning> near = AirspaceNearest(app->airspace, nullptr);
  ASSERT_TRUE(near.has_value());
  const float score = near->proximity;
  const float above = score + 0.5f;
  app->airspace.proximityBeeps = 1;
  struct Case {
    float audio1, audio2, audio3;
    int plays;
  };
  const Case cases[] = {
      {score, score, score, 0},  // equal to every threshold
      {above, score, score, 1},
      {above, above, score, 2},
      {above, above, above, 3},
      {score, score, above, 3},  // the nearest threshold decides alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.plays);
    app->suaAudio[0] = c.audio1;
    app->suaAudio[1] = c.audio2;
    app->suaAudio[2] = c.audio3;
    ce::sound::ClearRecordedEffects();
    ce::scripted::User::Get().AnswerDialog({Click(193)});
    Cycle();
    EXPECT_EQ(Plays(u"MenuPop.wav"), c.plays);
  }
  // Beeps off: none at any score.
  app->airspace.proximityBeeps = 0;
  ce::sound::ClearRecordedEffects();
  Cycle();
  EXPECT_EQ(Plays(u"MenuPop.wav"), 0);
}

}  // namespace
