#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <cstring>

#include "cumulor/data/dialogs/airport_symbol.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/points/runway_in_use.h"
#include "cumulor/nav/geo/geodesy.h"
#include "tests/cumulor/map/map_test_canvas.h"

namespace cumulor {
namespace {

using testing::kCentre;

RunwayRecord Runway(const char* d1, const char* d2, std::uint8_t surface, double course, std::uint32_t length = 2400) {
  RunwayRecord r{};
  r.length = static_cast<std::uint16_t>(length / 0.3048);
  r.width = 150;
  r.surface = surface;
  GeoDestination(kCentre.lon, kCentre.lat, length / 2, -(course + M_PI), r.end[0].position);
  GeoDestination(kCentre.lon, kCentre.lat, length / 2, -course, r.end[1].position);
  std::strncpy(r.end[0].designator, d1, 12);
  std::strncpy(r.end[1].designator, d2, 12);
  return r;
}

class AirportSymbols : public testing::MapCanvasTest {
 protected:
  void SetUp() override {
    MapCanvasTest::SetUp();
    AeroData().Clear();
    airport = AirportRecord{};
    airport.position = kCentre;
    style.drawIcon = [this](HDC, std::int32_t n, int, int) { icons.push_back(n); };
  }
  void TearDown() override {
    AeroData().Clear();
    MapCanvasTest::TearDown();
  }
  // Runways 09/27 (asphalt, east-west) and 18/36 (grass, north-south) crossing at the airport.
  void TwoRunways() {
    AeroData().runways.Append(Runway("09", "27", 1, M_PI / 2));
    AeroData().runways.Append(Runway("18", "36", 12, M_PI));
    airport.runwayFirst = 1;
    airport.runwayLast = 2;
  }
  POINT Centre() const {
    POINT p{};
    MapWorldToScreen(*view, p, kCentre);
    return p;
  }
  AirportRecord airport{};
  AirportSymbolStyle style;
  std::vector<std::int32_t> icons;
  RECT label{};
};

TEST(RunwayInUse, TheEndClosestToTheWindIsKept) {
  AeroData().Clear();
  for (int i = 0; i < 10; ++i) AeroData().runways.Append(Runway("01", "19", 1, 0.1));
  std::strncpy(AeroData().runways[3].end[0].designator, "09", 12);
  std::strncpy(AeroData().runways[3].end[1].designator, "27", 12);
  std::strncpy(AeroData().runways[10].end[0].designator, "10", 12);  // the ninth runway: never named
  AirportRecord a{};
  a.runwayFirst = 1;
  a.runwayLast = 10;
  struct Case {
    std::int32_t wind;
    float variation;
    double speed;
    std::uint32_t flagsBefore, flagsAfter;
  } cases[] = {
      {95, 0, 5, 0, (2u << 11)},                           // 09, difference 5
      {265, 0, 5, 0, (2u << 11) | kRunwayEndBit},          // 27
      {85, 10, 5, kRunwayEndBit, (2u << 11)},              // the variation turns the wind to 095
      {95, 0, 0, kRunwayEndBit, kRunwayOffsetMask | kRunwayEndBit},  // no wind: bit 14 stays
      {15, 0, 5, 0, 0},                                    // 01 of the first runway
      {95, 1e20f, 5, 0, (2u << 11)},                       // a variation no place has counts as 0
      {95, -std::numeric_limits<float>::infinity(), 5, 0, (2u << 11)},
  };
  for (const Case& c : cases) {
    a.flags = c.flagsBefore;
    a.variation = c.variation;
    SelectRunwayInUse(a, c.wind, c.speed);
    EXPECT_EQ(a.flags, c.flagsAfter) << c.wind;
  }
  // Designators that name no runway heading are passed over.
  for (const char* designator : {"999999999", "-2147483648", "37", "00"}) {
    SCOPED_TRACE(designator);
    std::strncpy(AeroData().runways[1].end[0].designator, designator, 12);
    a.flags = 0;
    a.variation = 0;
    SelectRunwayInUse(a, 0, 5);
    EXPECT_EQ(a.flags, 1u << 11);  // the 01 of the second runway

  }
  AeroData().Clear();
}

TEST_F(AirportSymbols, DiscsIconsAndTheEmptyLabel) {
  Open(240, 320, 30);
  const POINT c = Centre();
  EXPECT_EQ(AirportIconFor(kAirportSymbolValid | (1u << 7), 3), 13);
  EXPECT_EQ(AirportIconFor(0, 3), 5);
  airport.flags = kAirportSymbolValid | (1u << 7);
  DrawAirportSymbol(airport, dc, *view, 30, u"", label, 3, 1, false, style);
  EXPECT_EQ(icons, std::vector<std::int32_t>{13});
  EXPECT_EQ(Pixel(c.x - 1, c.y), RGB(255, 196, 0));
  EXPECT_EQ(label.right - label.left, 26);
  EXPECT_EQ(label.bottom - label.top, 26);
  EXPECT_EQ(label.left, c.x - 13);
  EXPECT_EQ(label.top, c.y - 13);
  DrawAirportSymbol(airport, dc, *view, 30, u"", label, 0, 2, false, style);
  EXPECT_EQ(Pixel(c.x - 1, c.y), RGB(0, 255, 0));
  EXPECT_EQ(icons.back(), 8);
  // No disc below zoom scale 21, nor with the map's no-disc option.
  style.noDisc = true;
  const COLORREF before = Pixel(c.x + 40, c.y + 40);
  airport.position = GeoPoint{kCentre.lon + 4000, kCentre.lat - 3000};
  POINT moved{};
  MapWorldToScreen(*view, moved, airport.position);
  DrawAirportSymbol(airport, dc, *view, 30, u"", label, 0, 1, false, style);
  EXPECT_EQ(Pixel(moved.x - 1, moved.y), before);
  // German-supplement airports always show icon 5.
  airport.flags |= kAirportGermanSupplement;
  DrawAirportSymbol(airport, dc, *view, 30, u"", label, 3, 0, false, style);
  EXPECT_EQ(icons.back(), 5);
}

TEST_F(AirportSymbols, RunwayLinesBySurfaceAndTheEndInUse) {
  Open(240, 320, 10);
  TwoRunways();
  const POINT c = Centre();
  style.windDirection = 95;
  style.windSpeed = 8;
  DrawAirportSymbol(airport, dc, *view, 10, u"Innsbruck", label, 0, 0, true, style);
  EXPECT_TRUE(icons.empty());
  // 09/27 in black, 18/36 (grass) in green, each with a white shadow.
  EXPECT_EQ(Pixel(c.x + 20, c.y), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(c.x, c.y + 20), RGB(0, 255, 0));
  EXPECT_EQ(airport.flags & (kRunwayOffsetMask | kRunwayEndBit), 0u);  // runway 1, end 1 (09)
  EXPECT_EQ(calls.Count("Rectangle"), 1);                              // its designator framed
  const POINT west = [&] {
    POINT p{};
    GeoPoint at;
    GeoDestination(AeroData().runways[1].end[0].position.lon, AeroData().runways[1].end[0].position.lat, 300, M_PI / 2, at);
    MapWorldToScreen(*view, p, at);
    return p;
  }();
  EXPECT_EQ(Pixel(west.x - 10, west.y), RGB(0, 0, 0));                  // the frame's left side
  EXPECT_EQ(calls.Count("DrawTextW"), 4);                              // four designators, no label
  ce::gdi::SaveBitmapPng(bitmap, "airport_runway_lines.png");
}

TEST_F(AirportSymbols, RunwayPolygonsAndLabels) {
  Open(240, 320, 2);
  TwoRunways();
  const POINT c = Centre();
  DrawAirportSymbol(airport, dc, *view, 2, u"Innsbruck", label, 0, 0, false, style);
  EXPECT_EQ(calls.Count("Polygon"), 2);
  EXPECT_EQ(Pixel(c.x + 30, c.y), RGB(0, 0, 0));     // asphalt filled black
  EXPECT_EQ(label.left, c.x + 2);
  EXPECT_EQ(label.right, c.x + 80);
  ce::gdi::SaveBitmapPng(bitmap, "airport_runway_polygons.png");
  // A framed label in mode 2: the box starts 6 pixels right of the airport.
  DrawAirportSymbol(airport, dc, *view, 30, u"Innsbruck", label, 0, 2, false, style);
  EXPECT_EQ(label.left, c.x + 6);
  EXPECT_GT(label.right, label.left);
  ce::gdi::SaveBitmapPng(bitmap, "airport_symbols.png");
}

}  // namespace
}  // namespace cumulor
