// The location button: a cell whose place is missing is reported and shown as the default place,
// from the radio's thread and from painting alike, without an error box (which would come back
// with every repaint).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/text/utf.h"
#include "tests/velomar/mainwindow/main_window_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/ButtonOwnCurrentLocation.h"
#include "velomar/ui/Translator.h"

namespace {

class LocationButtonTest : public velomar_test::MainWindowTest {};

TEST_F(LocationButtonTest, ACellOfAMissingPlaceShowsTheDefaultPlace) {
  Start();
  CStrPlace home(u"Home", u"Home", u"place_home.png", -1);
  m_app->GetDB().GetPlacesTable()->Insert(home);
  CStrCell known;
  known.SetValue(3003);
  known.SetPlace(home.GetIdPlace());
  m_app->GetDB().GetCellsTable()->Insert(known);
  CStrCell orphan;
  orphan.SetValue(4242);
  orphan.SetPlace(99);  // no such place
  m_app->GetDB().GetCellsTable()->Insert(orphan);
  CButtonOwnCurrentLocation* location = Window()->GetLocationButton();

  // The radio's thread shows the new cell first and then looks up its place.
  Tool({"cell", "3003", "77"});
  ASSERT_TRUE(Drive([&] { return location->GetShownCell() == 3003u && location->GetPlaceName() == u"Home"; }));

  teskautils::seam::TakeShownBoxes();
  Tool({"cell", "4242", "77"});
  ASSERT_TRUE(Drive([&] { return location->GetShownCell() == 4242u; }));
  ShowAndPaint();
  ShowAndPaint();
  EXPECT_EQ(location->GetPlace().GetIdPlace(), 0);
  EXPECT_EQ(location->GetPlaceName(), CTranslator::GetInstance()->GetText(u"UNKNOWN"));
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
}

}  // namespace

namespace {

// The location button (UI thread) and the schedule engine (its own thread) both write the place
// and period the Today item shows: whichever writes last, the two values stored are one pair.
TEST_F(LocationButtonTest, PlaceAndPeriodWrittenFromTwoThreadsStayOnePair) {
  Start();
  CConfig* config = CConfig::GetInstance();
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    std::atomic<int> ready{0};
    auto writer = [&](const std::u16string& tag) {
      ++ready;
      while (ready.load() < 2) {
      }
      for (int i = 0; i < 3; ++i) Window()->SetCurrentPlaceAndFrame(tag + u" place", tag + u" period");
    };
    std::thread a(writer, u"A");
    std::thread b(writer, u"B");
    a.join();
    b.join();
    const std::u16string place = config->GetString(u"current_place");
    const std::u16string frame = config->GetString(u"current_frame");
    ASSERT_EQ(place.substr(0, 1), frame.substr(0, 1)) << ce::text::ToUtf8(place) << " / " << ce::text::ToUtf8(frame);
  }
}

TEST_F(LocationButtonTest, WhenTheProgramEndsTheTodayItemIsLeftNoPlaceOrPeriod) {
  Start();
  Window()->SetCurrentPlaceAndFrame(u"Home", u"Evening(18:00-22:00)");
  DestroyMainWindowHere();
  CConfig* config = CConfig::GetInstance();
  EXPECT_EQ(config->GetString(u"current_place"), u"");
  EXPECT_EQ(config->GetString(u"current_frame"), u"");
}

}  // namespace
