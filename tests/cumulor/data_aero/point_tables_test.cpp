#include <gtest/gtest.h>

#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/geo/geodesy.h"
#include "tests/cumulor/data_aero/ka1_fixture.h"

namespace cumulor {
namespace {

const char kDatabase[] = R"(region Switzerland||CH|1
airport LSZH|307764|1708488|1416|0|Zurich|Kloten|
airport LSGG|219924|1664568|1411|0|Geneve|Cointrin|
airport 0042|269964|1688868|1600|0|Bern Belp|Belp|
airport LSZB|270000|1689120|1674|0|Bern|Belp|
airport 42|267012|1698516|1500|0|Grenchen||
)";

class PointTables : public testing::Ka1Test {
 protected:
  void SetUp() override {
    Ka1Test::SetUp();
    auto files = Describe(kDatabase);
    LoadSelected({Put("ch.ka1", files[0])}, {u"Switzerland"});
    BuildPointIndexes(0);
  }
  std::vector<std::int32_t> Filter(const SearchRecord& s) {
    PointListFilter(s, kPointAirport);
    const PointTable& t = PointTableOf(kPointAirport);
    return std::vector<std::int32_t>(t.filtered.begin(), t.filtered.end());
  }
  static SearchRecord Text(const char16_t* text) {
    SearchRecord s;
    SetSearchText(s, text);
    return s;
  }
};

TEST_F(PointTables, IndexesFollowTheTables) {
  const PointTable& airports = PointTableOf(kPointAirport);
  EXPECT_EQ(airports.Count(), 6);
  EXPECT_EQ(airports.index.Size(), 5);
  EXPECT_EQ(airports.iconId, 164);
  EXPECT_EQ(static_cast<const AirportRecord*>(airports.records[2])->position.lat, 1664568);
  EXPECT_EQ(PointTableOf(kPointIntersection).Count(), 1);
  EXPECT_EQ(PointTableOf(kPointIntersection).index.Size(), 0);
  ResetPointDisplayFlags();
  EXPECT_EQ(PointTableOf(kPointAirport).displayFlag, 1);
  EXPECT_EQ(PointTableOf(kPointIntersection).displayFlag, 0);
  // References: index 0, kind 6 and the never-filled kind 5 are not valid.
  EXPECT_TRUE(PointRefIsValid(PointRef{kPointAirport, 5}));
  EXPECT_FALSE(PointRefIsValid(PointRef{kPointAirport, 6}));
  EXPECT_FALSE(PointRefIsValid(PointRef{kPointAirport, 0}));
  EXPECT_FALSE(PointRefIsValid(PointRef{6, 1}));
  EXPECT_FALSE(PointRefIsValid(PointRef{kPointEmptyKind, 1}));
  EXPECT_STREQ(PointRefName(PointRef{kPointAirport, 2}), "Geneve");
}

TEST_F(PointTables, DistancesAreRecomputedFromAMoveOf1000Metres) {
  ResetPointTableOrigins();
  const GeoPoint start{269964, 1688868};
  UpdatePointDistances(start, kPointAirport);
  const PointTable& t = PointTableOf(kPointAirport);
  EXPECT_EQ(t.distances[3], 0u);
  EXPECT_EQ(t.distances[1], GeoDistance(start, AeroData().airports[1].position));
  EXPECT_NEAR(t.bearings[1], 50, 5);  // Zurich lies north-east of Bern
  // Find the northward moves of 999 m and of 1000 m (flat distance).
  std::int32_t u = 1;
  while (FlatDistance(start, GeoPoint{start.lon, start.lat + u + 1}) < 1000) ++u;
  ASSERT_EQ(FlatDistance(start, GeoPoint{start.lon, start.lat + u}), 999u);
  UpdatePointDistances(GeoPoint{start.lon, start.lat + u}, kPointAirport);
  EXPECT_EQ(t.distances[3], 0u);
  EXPECT_EQ(t.reference, start);
  UpdatePointDistances(GeoPoint{start.lon, start.lat + u + 1}, kPointAirport);
  EXPECT_GE(t.distances[3], 1000u);
  EXPECT_EQ(t.reference.lat, start.lat + u + 1);
}

TEST_F(PointTables, SearchFilters) {
  ResetPointTableOrigins();
  UpdatePointDistances(GeoPoint{269964, 1688868}, kPointAirport);  // from Bern Belp
  SearchRecord number;
  number.numberMode = true;
  number.number = 42;
  EXPECT_EQ(Filter(number), (std::vector<std::int32_t>{3, 5}));
  // The candidate is upper-cased, the search text taken as it stands.
  SearchRecord prefix = Text(u"BERN");
  prefix.prefixMode = true;
  EXPECT_EQ(Filter(prefix), (std::vector<std::int32_t>{3, 4}));
  SearchRecord direction;
  direction.directionMode = true;
  direction.direction = 230;  // towards Geneva
  direction.maxDistance = 200000;
  EXPECT_EQ(Filter(direction), (std::vector<std::int32_t>{2}));
  direction.maxDistance = 100000;  // Geneva is 130 km away
  EXPECT_EQ(Filter(direction), (std::vector<std::int32_t>{}));
  EXPECT_EQ(Filter(SearchRecord{}), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
  // Names and codes; fewer than 8 found, so the near names are searched too (Belp twice).
  EXPECT_EQ(Filter(Text(u"LSZ")), (std::vector<std::int32_t>{1, 4}));
  EXPECT_EQ(Filter(Text(u"belp")), (std::vector<std::int32_t>{3, 4}));
  EXPECT_EQ(Filter(Text(u"Kloten")), (std::vector<std::int32_t>{1}));
  EXPECT_EQ(Filter(Text(u"*")), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Filter(Text(u"*ern")), (std::vector<std::int32_t>{3, 4}));  // names containing "ern"
  // The tables' own records start empty again.
  SetSearchText(PointTableOf(kPointAirport).search, u"Bern");
  ResetSearchStates();
  EXPECT_EQ(PointTableOf(kPointAirport).search.length, 0);
}

}  // namespace
}  // namespace cumulor
