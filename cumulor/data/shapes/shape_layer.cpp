#include "cumulor/data/shapes/shape_layer.h"

#include <shapefil.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files/ce_path.h"
#include "platform/text/utf.h"

namespace cumulor {

namespace {

// shapelib opens its files by the device path: the name it builds (path and extension) is mapped to
// the host file here; the other hooks stay shapelib's own.
SAFile OpenDeviceFile(const char* name, const char* access) {
  const std::filesystem::path host = ce::files::HostPath(ce::text::FromUtf8(name));
  if (host.empty()) return nullptr;
  return reinterpret_cast<SAFile>(std::fopen(host.c_str(), access));
}

SAHooks DeviceHooks() {
  SAHooks hooks;
  SASetupDefaultHooks(&hooks);
  hooks.FOpen = OpenDeviceFile;
  return hooks;
}

struct ShapeFile {
  SHPHandle shp = nullptr;
  DBFHandle dbf = nullptr;
  ~ShapeFile() {
    if (dbf) DBFClose(dbf);
    if (shp) SHPClose(shp);
  }
};

struct ShapeRef {
  SHPObject* object = nullptr;
  explicit ShapeRef(SHPObject* o) : object(o) {}
  ~ShapeRef() {
    if (object) SHPDestroyObject(object);
  }
  ShapeRef(const ShapeRef&) = delete;
  ShapeRef& operator=(const ShapeRef&) = delete;
};

// The column exists with that name and field type.
std::int32_t Column(DBFHandle dbf, const char* name, DBFFieldType type) {
  if (!dbf) return -1;
  const int index = DBFGetFieldIndex(dbf, name);
  if (index < 0) return -1;
  return DBFGetFieldInfo(dbf, index, nullptr, nullptr, nullptr) == type ? index : -1;
}

std::int32_t IntegerAttribute(DBFHandle dbf, int row, std::int32_t field) {
  if (!dbf || field < 0) return 0;
  return DBFReadIntegerAttribute(dbf, row, field);
}

GeoRect ShapeBox(const SHPObject& shape) { return ShapeBoundsBox(shape.dfXMin, shape.dfYMin, shape.dfXMax, shape.dfYMax); }

// Filters and thresholds by category: false when the shape is not kept.
bool KeepLine(std::int32_t category, std::int32_t subtype, std::int32_t& threshold) {
  threshold = 100000;
  switch (category) {
    case 1: return subtype != 9;
    case 2:
    case 9: return subtype == 1;
    case 3:
      threshold = 100;
      return subtype != 0 && subtype != 5 && subtype != 9;
    case 4:
      threshold = 100;
      return subtype == 1;
    case 5:
      if (subtype != 1) threshold = 150;
      return true;
    default: return true;
  }
}

HRESULT AddShapeLines(kv3::WholeFileObjects& into, const ShapeFile& file, std::int32_t count, const ShapeCategory& chosen,
                      VertexWordsFn words) {
  HRESULT result = 0;
  for (int row = 0; row < count; ++row) {
    ShapeRef shape(SHPReadObject(file.shp, row));
    // A record shapelib cannot give (a cut or damaged file) is passed over and makes the layer
    // incomplete; a deleted (null) shape is simply passed over.
    if (!shape.object) {
      result = kShapeLayerIncomplete;
      continue;
    }
    if (shape.object->nSHPType == SHPT_NULL) continue;
    const SHPObject& s = *shape.object;
    if (s.nSHPType != kShapeArc && s.nSHPType != kShapePolygon) return E_FAIL;
    if (!kv3::BoxesMeet(ShapeBox(s), into.loadRect)) continue;
    const std::int32_t subtype = IntegerAttribute(file.dbf, row, chosen.valueField);
    std::int32_t threshold = 0;
    if (!KeepLine(chosen.category, subtype, threshold)) continue;
    const std::int32_t value = chosen.category == 10 || chosen.category == 11 ? -1 : subtype;
    const int parts = s.nParts > 0 ? s.nParts : 1;
    for (int part = 0; part < parts; ++part) {
      const int start = s.nParts > 0 ? s.panPartStart[part] : 0;
      const int end = s.nParts > 0 && part + 1 < s.nParts ? s.panPartStart[part + 1] : s.nVertices;
      if (start < 0 || end > s.nVertices || start >= end) continue;
      kv3::MapLineObject object;
      if (LineObjectFromPart(object, s.nSHPType, s.padfX + start, s.padfY + start, end - start, chosen.category, value,
                             into.loadRect) != 0) {
        continue;
      }
      object.threshold = threshold;
      std::vector<std::uint16_t> ranks = words ? words(object.points) : std::vector<std::uint16_t>(object.points.size(), 10000);
      if (object.kind == kShapePolygon) {
        into.areas.push_back(std::move(object));
        into.areaWords.push_back(std::move(ranks));
      } else {
        into.lines.push_back(std::move(object));
        into.lineWords.push_back(std::move(ranks));
      }
    }
  }
  return result;
}

HRESULT AddShapePoints(kv3::WholeFileObjects& into, const ShapeFile& file, std::int32_t count, const ShapeCategory& chosen) {
  HRESULT result = 0;
  for (int row = 0; row < count; ++row) {
    ShapeRef shape(SHPReadObject(file.shp, row));
    if (!shape.object) {
      result = kShapeLayerIncomplete;
      continue;
    }
    if (shape.object->nSHPType == SHPT_NULL) continue;
    const SHPObject& s = *shape.object;
    if (s.nSHPType != kShapePoint) return E_FAIL;
    if (s.nVertices < 1 || !kv3::BoxesMeet(ShapeBox(s), into.loadRect)) continue;
    kv3::MapPointObject object;
    PointObjectFromShape(object, s.padfX[0], s.padfY[0], chosen.category, IntegerAttribute(file.dbf, row, chosen.valueField));
    if ((chosen.category == 7 || chosen.category == 8) && chosen.nameField >= 0) {
      // The table's 8-bit text, each byte widened, cut at 19 characters.
      const char* name = DBFReadStringAttribute(file.dbf, row, chosen.nameField);
      std::size_t i = 0;
      for (; name && name[i] && i < kv3::kLabelChars - 1; ++i) {
        object.label[i] = static_cast<char16_t>(static_cast<unsigned char>(name[i]));
      }
      object.label[i] = 0;
      object.threshold = 200;
      object.flags = 0;
    }
    into.points.push_back(object);
  }
  return result;
}

}  // namespace

std::int32_t DegreesToUnits(double degrees) {
  const double units = degrees * 36000.0;
  // Beyond any map: held within the 32-bit range before truncation.
  if (!(units > -2.0e9)) return units != units ? 0 : -2000000000;
  if (units > 2.0e9) return 2000000000;
  return static_cast<std::int32_t>(units);
}

GeoRect ShapeBoundsBox(double minX, double minY, double maxX, double maxY) {
  GeoRect box;
  box.left = DegreesToUnits(minX);
  box.top = 1 - DegreesToUnits(-maxY);
  box.right = 1 - DegreesToUnits(-maxX);
  box.bottom = DegreesToUnits(minY);
  return box;
}

HRESULT LineObjectFromPart(kv3::MapLineObject& object, std::int32_t kind, const double* x, const double* y,
                           std::int32_t count, std::int32_t category, std::int32_t value, const GeoRect& view) {
  if (count < 1 || !x || !y) return E_FAIL;
  object.points.resize(static_cast<std::size_t>(count));
  object.kind = kind;
  object.category = category;
  object.value = value;
  for (std::int32_t i = 0; i < count; ++i) {
    const GeoPoint p{DegreesToUnits(x[i]), DegreesToUnits(y[i])};
    object.points[static_cast<std::size_t>(i)] = p;
    if (i == 0) {
      object.west = object.east = p.lon;
      object.north = object.south = p.lat;
    } else {
      object.west = std::min(object.west, p.lon);
      object.east = std::max(object.east, p.lon);
      object.north = std::max(object.north, p.lat);
      object.south = std::min(object.south, p.lat);
    }
  }
  const GeoRect box{object.west, object.north, object.east, object.south};
  if (!kv3::BoxesMeet(box, view)) return E_FAIL;
  if (category == 11 && std::int64_t{object.east} - object.west + (std::int64_t{object.north} - object.south) < 2000) {
    return E_FAIL;
  }
  return 0;
}

void PointObjectFromShape(kv3::MapPointObject& object, double x, double y, std::int32_t category, std::int32_t value) {
  const GeoPoint p{DegreesToUnits(x), DegreesToUnits(y)};
  object.points.assign(1, p);
  object.west = object.east = p.lon;
  object.north = object.south = p.lat;
  object.category = category;
  object.value = value;
}

ShapeCategory ChooseShapeCategory(void* table, std::int32_t shapeType) {
  DBFHandle dbf = static_cast<DBFHandle>(table);
  ShapeCategory c;
  if (shapeType == kShapePoint) {
    c.usable = false;
    if (std::int32_t name = Column(dbf, "CITY_NAME", FTString); name >= 0) {
      c = {7, Column(dbf, "POP_RANK", FTInteger), name, true};
    } else if (Column(dbf, "PPA_FINAL_", FTDouble) >= 0) {
      c = {8, Column(dbf, "LEV", FTDouble), Column(dbf, "NAME", FTString), true};
    } else if (std::int32_t ppt = Column(dbf, "PPPTNAME", FTString); ppt >= 0) {
      c = {7, Column(dbf, "PPPTFLAG", FTDouble), ppt, true};
    }
    return c;
  }
  struct Rule {
    const char* present;
    DBFFieldType presentType;
    std::int32_t category;
    const char* value;
    DBFFieldType valueType;
  };
  static const Rule lines[] = {{"RIVER_TYPE", FTString, 3, "TYPE", FTInteger},
                               {"DNLNTYPE", FTInteger, 4, "DNLNTYPE", FTInteger},
                               {"RDLNTYPE", FTInteger, 5, "RDLNTYPE", FTInteger},
                               {"ZV2", FTInteger, 10, "ZV2", FTInteger}};
  static const Rule areas[] = {{"WATER_TYPE", FTString, 1, "TYPE", FTInteger},
                               {"DNPYTYPE", FTInteger, 2, "DNPYTYPE", FTInteger},
                               {"PPPYTYPE", FTInteger, 9, "PPPYTYPE", FTInteger},
                               {"MIN_CONTOU", FTDouble, 11, "MIN_CONTOU", FTDouble},
                               {"BORDERS", FTString, 12, nullptr, FTString}};
  const bool area = shapeType == kShapePolygon;
  const Rule* begin = area ? std::begin(areas) : std::begin(lines);
  const Rule* end = area ? std::end(areas) : std::end(lines);
  for (const Rule* r = begin; r != end; ++r) {
    if (Column(dbf, r->present, r->presentType) < 0) continue;
    c.category = r->category;
    c.valueField = r->value ? Column(dbf, r->value, r->valueType) : -1;
    return c;
  }
  return c;
}

namespace {
// Layers drawn a little past the date line or the poles are still degrees.
constexpr double kDegreesSlack = 1.0;
}  // namespace

HRESULT LoadShapeLayer(kv3::WholeFileObjects& into, const WCHAR* path, VertexWordsFn words) {
  if (!path || !path[0]) return E_FAIL;
  const std::string name = ce::text::ToUtf8(ce::text::WideView(path));
  SAHooks hooks = DeviceHooks();
  ShapeFile file;
  file.shp = SHPOpenLL(name.c_str(), "rb", &hooks);
  if (!file.shp) return E_FAIL;
  int count = 0;
  int type = 0;
  double minimum[4] = {};
  double maximum[4] = {};
  SHPGetInfo(file.shp, &count, &type, minimum, maximum);
  // Coordinates must be degrees: a layer of a projected system (metres) is refused whole.
  auto degrees = [](double x, double limit) { return x >= -limit && x <= limit; };
  if (count > 0 && !(degrees(minimum[0], 180.0 + kDegreesSlack) && degrees(maximum[0], 180.0 + kDegreesSlack) &&
                     degrees(minimum[1], 90.0 + kDegreesSlack) && degrees(maximum[1], 90.0 + kDegreesSlack))) {
    return kShapeLayerNotInDegrees;
  }
  if (count <= 0 || !kv3::BoxesMeet(ShapeBoundsBox(minimum[0], minimum[1], maximum[0], maximum[1]), into.loadRect)) {
    return 0;
  }
  file.dbf = DBFOpenLL(name.c_str(), "rb", &hooks);
  // A table whose rows do not cover the shapes is not trusted.
  if (file.dbf && DBFGetRecordCount(file.dbf) < count) {
    DBFClose(file.dbf);
    file.dbf = nullptr;
  }
  const ShapeCategory chosen = ChooseShapeCategory(file.dbf, type);
  if (type == kShapePoint) return chosen.usable ? AddShapePoints(into, file, count, chosen) : 0;
  return AddShapeLines(into, file, count, chosen, words);
}

}  // namespace cumulor
