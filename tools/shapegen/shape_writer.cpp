#include "tools/shapegen/shape_writer.h"

#include <shapefil.h>

#include <cmath>
#include <random>

namespace shapegen {

namespace {

struct Column {
  const char* name;
  DBFFieldType type;
  int width, decimals;
};

class Layer {
 public:
  Layer(const std::string& path, int shapeType, const std::vector<Column>& columns)
      : shp_(SHPCreate(path.c_str(), shapeType)), dbf_(DBFCreate(path.c_str())) {
    if (!dbf_) return;
    for (const Column& c : columns) DBFAddField(dbf_, c.name, c.type, c.width, c.decimals);
  }
  ~Layer() {
    if (shp_) SHPClose(shp_);
    if (dbf_) DBFClose(dbf_);
  }
  bool ok() const { return shp_ && dbf_; }
  // One shape of one or more parts; its row index.
  int Add(int type, const std::vector<std::vector<std::pair<double, double>>>& parts) {
    std::vector<int> starts;
    std::vector<double> x, y;
    for (const auto& part : parts) {
      starts.push_back(static_cast<int>(x.size()));
      for (const auto& [lon, lat] : part) {
        x.push_back(lon);
        y.push_back(lat);
      }
    }
    SHPObject* o = SHPCreateObject(type, -1, static_cast<int>(parts.size()), starts.data(), nullptr,
                                   static_cast<int>(x.size()), x.data(), y.data(), nullptr, nullptr);
    const int row = SHPWriteObject(shp_, -1, o);
    SHPDestroyObject(o);
    vertices += static_cast<int>(x.size());
    ++shapes;
    return row;
  }
  DBFHandle dbf() const { return dbf_; }
  int shapes = 0, vertices = 0;

 private:
  SHPHandle shp_;
  DBFHandle dbf_;
};

using Part = std::vector<std::pair<double, double>>;

class Maker {
 public:
  Maker(const Area& a, std::uint32_t seed) : area_(a), random_(seed) {}
  double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  std::pair<double, double> Somewhere() { return {Uniform(area_.west, area_.east), Uniform(area_.south, area_.north)}; }
  // A wandering line of n vertices.
  Part Line(int n, double step) {
    Part p;
    auto [x, y] = Somewhere();
    double heading = Uniform(0, 2 * M_PI);
    for (int i = 0; i < n; ++i) {
      p.emplace_back(x, y);
      heading += Uniform(-0.5, 0.5);
      x += step * std::cos(heading);
      y += step * std::sin(heading) * 0.6;
    }
    return p;
  }
  // A closed ring of n vertices round a centre, clockwise as shapefiles want outer rings.
  Part Ring(std::pair<double, double> centre, double radius, int n) {
    Part p;
    for (int i = 0; i < n; ++i) {
      const double t = -2 * M_PI * i / n;
      const double r = radius * Uniform(0.7, 1.0);
      p.emplace_back(centre.first + r * std::cos(t), centre.second + r * std::sin(t) * 0.6);
    }
    p.push_back(p.front());
    return p;
  }

 private:
  Area area_;
  std::mt19937 random_;
};

}  // namespace

std::vector<WrittenLayer> WriteLayers(const std::string& folder, const Area& area, const LayerSizes& sizes,
                                      std::uint32_t seed) {
  Maker make(area, seed);
  std::vector<WrittenLayer> written;
  const int n = sizes.verticesPerLine < 2 ? 2 : sizes.verticesPerLine;
  auto finish = [&](const char* name, int type, const Layer& layer) {
    written.push_back({name, type, layer.shapes, layer.vertices});
  };
  {
    Layer rivers(folder + "/rivers", SHPT_ARC, {{"RIVER_TYPE", FTString, 12, 0}, {"TYPE", FTInteger, 4, 0}});
    if (!rivers.ok()) return {};
    for (int i = 0; i < sizes.rivers; ++i) {
      const int row = rivers.Add(SHPT_ARC, {make.Line(n, 0.01)});
      DBFWriteStringAttribute(rivers.dbf(), row, 0, "river");
      DBFWriteIntegerAttribute(rivers.dbf(), row, 1, 1 + i % 4);
    }
    finish("rivers", SHPT_ARC, rivers);
  }
  {
    Layer roads(folder + "/roads", SHPT_ARC, {{"RDLNTYPE", FTInteger, 4, 0}});
    if (!roads.ok()) return {};
    for (int i = 0; i < sizes.roads; ++i) {
      const int row = roads.Add(SHPT_ARC, {make.Line(n, 0.015)});
      DBFWriteIntegerAttribute(roads.dbf(), row, 0, 1 + i % 2);
    }
    finish("roads", SHPT_ARC, roads);
  }
  {
    Layer lakes(folder + "/lakes", SHPT_POLYGON, {{"WATER_TYPE", FTString, 12, 0}, {"TYPE", FTInteger, 4, 0}});
    if (!lakes.ok()) return {};
    for (int i = 0; i < sizes.lakes; ++i) {
      const int row = lakes.Add(SHPT_POLYGON, {make.Ring(make.Somewhere(), 0.02, n)});
      DBFWriteStringAttribute(lakes.dbf(), row, 0, "lake");
      DBFWriteIntegerAttribute(lakes.dbf(), row, 1, 2 + i % 4);
    }
    finish("lakes", SHPT_POLYGON, lakes);
  }
  {
    Layer places(folder + "/places", SHPT_POINT, {{"CITY_NAME", FTString, 30, 0}, {"POP_RANK", FTInteger, 4, 0}});
    if (!places.ok()) return {};
    for (int i = 0; i < sizes.places; ++i) {
      const auto at = make.Somewhere();
      const int row = places.Add(SHPT_POINT, {{at}});
      const std::string name = "Place " + std::to_string(i + 1) + (i % 7 == 0 ? " upon the long river" : "");
      DBFWriteStringAttribute(places.dbf(), row, 0, name.c_str());
      DBFWriteIntegerAttribute(places.dbf(), row, 1, 1 + i % 8);
    }
    finish("places", SHPT_POINT, places);
  }
  {
    Layer borders(folder + "/borders", SHPT_POLYGON, {{"BORDERS", FTString, 12, 0}});
    if (!borders.ok()) return {};
    const double cx = (area.west + area.east) / 2, cy = (area.south + area.north) / 2;
    for (int i = 0; i < sizes.borders; ++i) {
      // Two parts: an outer ring and an island.
      const int row = borders.Add(SHPT_POLYGON, {make.Ring({cx, cy}, 0.3 + 0.1 * i, n), make.Ring({cx + 0.5, cy}, 0.05, n)});
      DBFWriteStringAttribute(borders.dbf(), row, 0, "border");
    }
    finish("borders", SHPT_POLYGON, borders);
  }
  {
    Layer contours(folder + "/contours", SHPT_POLYGON, {{"MIN_CONTOU", FTDouble, 12, 2}});
    if (!contours.ok()) return {};
    for (int i = 0; i < sizes.contours; ++i) {
      const int row = contours.Add(SHPT_POLYGON, {make.Ring(make.Somewhere(), 0.05 + 0.01 * (i % 5), n)});
      DBFWriteDoubleAttribute(contours.dbf(), row, 0, 100.0 * (1 + i % 6));
    }
    finish("contours", SHPT_POLYGON, contours);
  }
  return written;
}

}  // namespace shapegen
