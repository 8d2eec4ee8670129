// Vertex words, thinning and the two clippers of the vector map store.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "cumulor/data/vector/map_clip.h"
#include "cumulor/data/vector/vertex_words.h"

namespace cumulor {
namespace {

kv3::MapLineObject Line(std::vector<GeoPoint> points, std::int32_t kind = 3) {
  kv3::MapLineObject o;
  o.kind = kind;
  o.category = 5;
  o.value = 2;
  o.threshold = 150;
  o.points = std::move(points);
  o.west = o.east = o.points.front().lon;
  o.north = o.south = o.points.front().lat;
  for (const GeoPoint& p : o.points) {
    o.west = std::min(o.west, p.lon);
    o.east = std::max(o.east, p.lon);
    o.north = std::max(o.north, p.lat);
    o.south = std::min(o.south, p.lat);
  }
  return o;
}

TEST(VertexWords, RankByDistanceFromTheChord) {
  // Along a parallel near 47 N: one unit is 111/36 m north-south.
  const std::int32_t lat = 47 * 36000;
  // A straight line: the inner vertices lie on the chord.
  auto words = ComputeVertexWords({{0, lat}, {100, lat}, {200, lat}, {300, lat}});
  EXPECT_EQ(words, (std::vector<std::uint16_t>{10000, 0, 0, 10000}));
  // A peak of 1000 units (about 3083 m) ranks first; the two sides are ranked against their own
  // chords.
  words = ComputeVertexWords({{0, lat}, {1000, lat + 100}, {2000, lat + 1000}, {3000, lat}});
  EXPECT_EQ(words.front(), 10000);
  EXPECT_EQ(words.back(), 10000);
  EXPECT_NEAR(words[2], 1000 * 111.0 / 36, 40);
  EXPECT_GT(words[1], 0);
  EXPECT_LT(words[1], words[2]);
  // Capped at 30000 metres; equal distances: the first wins.
  words = ComputeVertexWords({{0, lat}, {100, lat + 20000}, {200, lat}});
  EXPECT_EQ(words[1], 30000);
  words = ComputeVertexWords({{0, lat}, {100, lat + 50}, {200, lat + 50}, {300, lat}});
  EXPECT_GT(words[1], 0);
  EXPECT_LT(words[2], words[1]) << "the second of two equal vertices is ranked against the first's chord";
  EXPECT_TRUE(ComputeVertexWords({}).empty());
  EXPECT_EQ(ComputeVertexWords({{5, 5}}), (std::vector<std::uint16_t>{10000}));
}

TEST(CopyThinnedObject, KeepsTheEndsAndTheWordsAtTheLimit) {
  const kv3::MapLineObject line = Line({{0, 0}, {10, 5}, {20, 0}, {30, 5}, {40, 0}});
  auto copy = CopyThinnedObject(line, {10000, 50, 49, 300, 10000}, 50);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->points, (std::vector<GeoPoint>{{0, 0}, {10, 5}, {30, 5}, {40, 0}}));
  EXPECT_EQ(copy->flags, kOwnedCopy);
  EXPECT_EQ(copy->category, 5);
  EXPECT_EQ(copy->value, 2);
  EXPECT_EQ(copy->threshold, 150);
  EXPECT_EQ(copy->east, 40);
  EXPECT_EQ(copy->north, 5);
  // A limit above every word keeps only the ends.
  EXPECT_EQ(CopyThinnedObject(line, {0, 0, 0, 0, 0}, 1)->points.size(), 2u);
}

TEST(ClipPolyline, PiecesInTheView) {
  const GeoRect view{0, 100, 100, 0};
  struct Case {
    const char* what;
    std::vector<GeoPoint> points;
    std::vector<std::vector<GeoPoint>> pieces;
  } cases[] = {
      {"wholly inside", {{10, 10}, {20, 20}, {30, 10}}, {{{10, 10}, {20, 20}, {30, 10}}}},
      {"wholly outside", {{110, 10}, {120, 20}}, {}},
      {"in, out and in again",
       {{50, 50}, {150, 50}, {150, 60}, {50, 60}},
       {{{50, 50}, {100, 50}}, {{100, 60}, {50, 60}}}},
      {"through the view", {{-50, 50}, {150, 50}}, {{{0, 50}, {100, 50}}}},
      {"across a corner", {{-10, 50}, {50, 110}}, {{{0, 60}, {40, 100}}}},
  };
  for (const Case& c : cases) {
    std::vector<std::unique_ptr<kv3::MapLineObject>> out;
    EXPECT_EQ(ClipPolyline(Line(c.points), view, out), static_cast<std::int32_t>(c.pieces.size())) << c.what;
    ASSERT_EQ(out.size(), c.pieces.size()) << c.what;
    for (std::size_t i = 0; i < out.size(); ++i) {
      EXPECT_EQ(out[i]->points, c.pieces[i]) << c.what << " piece " << i;
      EXPECT_EQ(out[i]->flags, kOwnedCopy);
      EXPECT_EQ(out[i]->category, 5);
      EXPECT_GE(out[i]->west, 0);
      EXPECT_LE(out[i]->east, 100);
    }
  }
}

TEST(ClipPolygon, SutherlandHodgmanAgainstTheFourEdges) {
  const GeoRect view{0, 100, 100, 0};
  // A square across the east edge is cut there.
  auto cut = ClipPolygon(Line({{50, 20}, {150, 20}, {150, 80}, {50, 80}}, 5), view);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->points, (std::vector<GeoPoint>{{50, 20}, {100, 20}, {100, 80}, {50, 80}}));
  EXPECT_EQ(cut->east, 100);
  EXPECT_EQ(cut->kind, 5);
  // A polygon wholly outside leaves nothing; one of fewer than 2 points gives no object.
  EXPECT_TRUE(ClipPolygon(Line({{150, 20}, {250, 20}, {250, 80}}, 5), view)->points.empty());
  EXPECT_FALSE(ClipPolygon(Line({{50, 50}}, 5), view));
  // Points on the north or the west edge count as outside, those on the south or east edge as
  // inside: a triangle standing on the west edge keeps only its inner corner and the crossings.
  auto west = ClipPolygon(Line({{0, 10}, {50, 50}, {0, 90}}, 5), view);
  ASSERT_TRUE(west);
  EXPECT_EQ(west->points.size(), 1u) << "the corners on the west edge are dropped";
  auto east = ClipPolygon(Line({{100, 10}, {50, 50}, {100, 90}}, 5), view);
  EXPECT_EQ(east->points.size(), 3u);
}

}  // namespace
}  // namespace cumulor
