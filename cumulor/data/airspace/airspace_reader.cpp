#include "cumulor/data/airspace/airspace_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>

#include "cumulor/app/base/text_file.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/nav/geo/coordinate_text.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/files/files.h"
#include "platform/kernel/termination_point.h"

namespace cumulor {

namespace {

constexpr double kDegree = 0.01745329251994328;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kStepsPerRadian = 19.098593171027453;
constexpr std::size_t kMessageTextMax = 360;

enum ElementKind : std::int32_t { kElementPoint = 1, kElementCircle = 2, kElementArc = 3, kElementLabel = 5 };

struct Element {
  std::int32_t kind = 0;
  GeoPoint point;           // the point, or the centre of a circle or arc
  std::int32_t radius = 0;  // metres; an arc's sign is its direction (negative anticlockwise)
  double start = 0.0;       // arc angles, radians clockwise from true north
  double end = 0.0;
};

// One shape being parsed.
struct ShapeWork {
  AirspaceShape shape;
  bool elementMode = false;
  std::vector<Element> elements;
};

std::u16string Widen(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return out;
}

template <std::size_t N>
void CopyText(WCHAR (&field)[N], std::string_view text, std::size_t limit) {
  std::size_t n = text.size();
  if (n > limit) n = limit;
  if (n > N - 1) n = N - 1;
  for (std::size_t i = 0; i < n; ++i) field[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
  field[n] = 0;
}

// The text from `from` to the end of the line; empty when the line is shorter.
std::string_view After(std::string_view line, std::size_t from) { return from < line.size() ? line.substr(from) : std::string_view{}; }

bool StartsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A "%d" field: optional blanks, a sign, digits; clamped to 32 bits. `pos` moves past it.
std::optional<std::int32_t> ScanInt(std::string_view text, std::size_t& pos) {
  std::size_t i = pos;
  while (i < text.size() && (IsBlank(text[i]) || text[i] == '\r' || text[i] == '\n' || text[i] == '\v' || text[i] == '\f'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const std::size_t digitsFrom = i;
  std::int64_t value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (value < 10000000000LL) value = value * 10 + (text[i] - '0');
    ++i;
  }
  if (i == digitsFrom) return std::nullopt;
  pos = i;
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) value = std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// Reads comma-separated integers ("%d,%d,..."); the count read.
std::size_t ScanIntList(std::string_view text, std::int32_t* out, std::size_t wanted) {
  std::size_t pos = 0;
  for (std::size_t k = 0; k < wanted; ++k) {
    if (k > 0) {
      if (pos >= text.size() || text[pos] != ',') return k;
      ++pos;
    }
    std::optional<std::int32_t> v = ScanInt(text, pos);
    if (!v) return k;
    out[k] = *v;
  }
  return wanted;
}

// A position: latitude, then the longitude from the character after the latitude's letter.
// Returns the index after the longitude's letter, or nothing when either coordinate is refused.
std::optional<std::size_t> ParsePoint(std::string_view text, GeoPoint& out) {
  int next = 0;
  std::int32_t lat = 0;
  std::int32_t lon = 0;
  if (!ParseDegMinSec(text.data(), static_cast<int>(text.size()), next, lat)) return std::nullopt;
  const std::size_t lonFrom = static_cast<std::size_t>(next);
  int lonNext = 0;
  if (lonFrom >= text.size() ||
      !ParseDegMinSec(text.data() + lonFrom, static_cast<int>(text.size() - lonFrom), lonNext, lon))
    return std::nullopt;
  out = GeoPoint{lon, lat};
  return lonFrom + static_cast<std::size_t>(lonNext);
}

class FileReader {
 public:
  FileReader(AirspaceModule& module, AirspaceLoad& load, const TextLines& lines)
      : m_(module), load_(load), lines_(lines) {}

  HRESULT Run();

 private:
  struct Scan {
    std::int32_t header = 0;
    std::int32_t lineCount = 0;
    std::int32_t group = 0;
    bool elementMode = false;
    std::int32_t next = -1;   // the next shape's header, -1 none
  };

  std::string_view Raw(std::int32_t i) const {
    return std::string_view(lines_.LineText(i), static_cast<std::size_t>(lines_.LineLength(i)));
  }
  // The line cut at its first carriage return or line feed.
  std::string_view Line(std::int32_t i) const {
    std::string_view s = Raw(i);
    const std::size_t cut = s.find_first_of("\r\n");
    return cut == std::string_view::npos ? s : s.substr(0, cut);
  }
  void Message(std::string_view text, const char16_t* caption, bool owned) {
    load_.messages.push_back({Widen(text.substr(0, kMessageTextMax)), caption, owned});
  }
  HRESULT UserSyntaxError(std::string_view line) {
    Message(line, kUserSyntaxCaption, true);
    return E_FAIL;
  }
  HRESULT LineSyntaxError(std::string_view line) {
    Message(line, kLineSyntaxCaption, false);
    return E_FAIL;
  }

  // 0 with a shape, S_FALSE at the end of the file, E_FAIL on a syntax error.
  HRESULT ScanShape(std::int32_t from, Scan& scan);
  HRESULT ParseLine(std::string_view line, ShapeWork& work, std::int32_t group);
  HRESULT Store(ShapeWork& work, std::int32_t group);

  AirspaceModule& m_;
  AirspaceLoad& load_;
  const TextLines& lines_;
  std::int32_t previousGroup_ = 0;
};

bool SkippedBetween(std::string_view raw) { return raw.empty() || raw[0] == '*'; }

HRESULT FileReader::ScanShape(std::int32_t from, Scan& scan) {
  const std::int32_t count = lines_.LineCount();
  std::int32_t i = from;
  while (i < count && SkippedBetween(Raw(i))) ++i;
  if (i >= count) return S_FALSE;
  const std::string_view header = Line(i);
  std::int32_t group = -1;
  if (StartsWith(header, "AC ")) {
    const char letter = header.size() > 3 ? header[3] : '\0';
    const char fifth = header.size() > 4 ? header[4] : '\0';
    switch (letter) {
      case 'A': group = kGroupClassA; break;
      case 'B': group = kGroupClassB; break;
      case 'C': group = (fifth == 'T' || fifth == 't') ? kGroupCtr : kGroupClassC; break;
      case 'D': group = fifth == 'S' ? kGroupSector : kGroupClassD; break;
      case 'E': group = kGroupClassE; break;
      case 'F': group = kGroupClassF; break;
      case 'G': group = fifth == 'R' ? kGroupBorder : kGroupGliderProhibited; break;
      case 'P': group = kGroupProhibited; break;
      case 'Q': group = kGroupDanger; break;
      case 'R': group = kGroupRestricted; break;
      case 'W': group = kGroupWave; break;
      case 'T': group = (header.substr(4, 2) == "RA") ? kGroupCtr : previousGroup_; break;
      default: break;
    }
  } else if (StartsWith(header, "TO") || StartsWith(header, "AO")) {
    group = kGroupTerrainOpen;
  } else if (StartsWith(header, "TC")) {
    group = kGroupTerrainClosed;
  }
  if (group < 0 || i == count - 1) return UserSyntaxError(header);

  scan = Scan{};
  scan.header = i;
  scan.group = group;
  std::int32_t j = i + 1;
  for (; j < count; ++j) {
    const std::string_view raw = Raw(j);
    if (SkippedBetween(raw)) continue;
    if (StartsWith(raw, "AC") || StartsWith(raw, "TO") || StartsWith(raw, "TC")) break;
    if (StartsWith(raw, "AT") || StartsWith(raw, "DA") || StartsWith(raw, "DB") || StartsWith(raw, "DC") ||
        StartsWith(raw, "DY")) {
      scan.elementMode = true;
    } else if (raw[0] == 'D' && !StartsWith(raw, "DP")) {
      return UserSyntaxError(Line(j));
    }
  }
  scan.lineCount = j - i;
  scan.next = j < count ? j : -1;
  return S_OK;
}

HRESULT FileReader::ParseLine(std::string_view line, ShapeWork& work, std::int32_t group) {
  AirspaceShape& shape = work.shape;
  std::size_t firstSolid = 0;
  while (firstSolid < line.size() && IsBlank(line[firstSolid])) ++firstSolid;
  if (line.empty() || (firstSolid < line.size() && line[firstSolid] == '*')) return S_OK;

  const char c0 = line[0];
  const char c1 = line.size() > 1 ? line[1] : '\0';
  if (c0 == 'A') {
    switch (c1) {
      case 'C': m_.direction = 1; return S_OK;
      case 'N': CopyText(shape.name, After(line, 3), 24); return S_OK;
      case 'H':
        CopyText(shape.ceilingText, After(line, 3), 24);
        shape.ceiling = 999999;
        ParseAirspaceAltitude(After(line, 3).substr(0, 24), shape.ceiling);
        return S_OK;
      case 'L':
        CopyText(shape.floorText, After(line, 3), 24);
        shape.floor = 0;
        ParseAirspaceAltitude(After(line, 3).substr(0, 24), shape.floor);
        return S_OK;
      case 'T': {
        Element e;
        e.kind = kElementLabel;
        if (!ParsePoint(After(line, 2), e.point)) return UserSyntaxError(line);
        work.elements.push_back(e);
        return S_OK;
      }
      default: return S_OK;
    }
  }
  if (c0 == 'D') {
    if (c1 == 'P') {
      GeoPoint p;
      if (!ParsePoint(After(line, 2), p)) return UserSyntaxError(line);
      if (work.elementMode) {
        Element e;
        e.kind = kElementPoint;
        e.point = p;
        work.elements.push_back(e);
      } else if (shape.points.Append(p) != S_OK) {
        return E_OUTOFMEMORY;
      }
      return S_OK;
    }
    if (c1 == 'Y') {
      load_.messages.push_back({u"Airspace.Txt: Airways (DY) are not yet implemented )", u"Cumulor", false});
      return S_OK;
    }
    if (c1 == 'C' || c1 == 'A' || c1 == 'B') {
      if (!m_.centreSet) {
        load_.messages.push_back({u"Airspace.Txt: DB: Center Position (V X) not set", u"Cumulor", false});
        return E_FAIL;
      }
      Element e;
      e.point = m_.centre;
      const std::string_view rest = After(line, 2);
      if (c1 == 'C') {
        std::int32_t radius = 0;
        // A circle needs a radius above 0 (a negative one would wrap round as a distance).
        if (FAILED(ParseAirspaceDistance(rest, radius)) || radius <= 0) return LineSyntaxError(line);
        e.kind = kElementCircle;
        e.radius = radius;
      } else if (c1 == 'A') {
        const std::size_t comma = rest.find(',');
        std::int32_t radius = 0;
        if (FAILED(ParseAirspaceDistance(rest.substr(0, comma), radius)) || comma == std::string_view::npos)
          return UserSyntaxError(line);
        const std::string_view angles = rest.substr(comma + 1);
        std::int32_t a[2] = {0, 0};
        if (ScanIntList(angles, a, 2) != 2) return UserSyntaxError(line);
        e.kind = kElementArc;
        e.radius = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{radius} * m_.direction, -std::int64_t{INT32_MAX}, INT32_MAX));
        e.start = a[0] * kDegree;
        e.end = a[1] * kDegree;
      } else {
        GeoPoint p1;
        GeoPoint p2;
        const std::optional<std::size_t> end1 = ParsePoint(rest, p1);
        if (!end1) return UserSyntaxError(line);
        const std::size_t comma = rest.find(',', *end1);
        if (comma == std::string_view::npos || !ParsePoint(rest.substr(comma + 1), p2)) return UserSyntaxError(line);
        GeoBearing(e.start, m_.centre, p1);
        GeoBearing(e.end, m_.centre, p2);
        e.kind = kElementArc;
        e.radius = static_cast<std::int32_t>(GeoDistance(m_.centre, p1)) * m_.direction;
      }
      work.elements.push_back(e);
      return S_OK;
    }
    return LineSyntaxError(line);
  }
  if (c0 == 'V') {
    std::size_t i = 1;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const char letter = i < line.size() ? line[i] : '\0';
    const std::string_view value = After(line, i + 2);
    switch (letter) {
      case 'D': {
        const std::size_t sign = After(line, i + 1).find_first_of("+-");
        if (sign != std::string_view::npos) m_.direction = After(line, i + 1)[sign] == '-' ? -1 : 1;
        return S_OK;
      }
      case 'R':
        if (FAILED(ParseAirspaceDistance(value, m_.radiusVR))) return UserSyntaxError(line);
        return S_OK;
      case 'T': {
        std::size_t k = i + 1;
        while (k < line.size() && IsBlank(line[k])) ++k;
        if (k >= line.size() || line[k] != '=') return S_OK;
        ++k;
        while (k < line.size() && IsBlank(line[k])) ++k;
        shape.transparent = (k < line.size() && line[k] == '1') ? 1 : 0;
        return S_OK;
      }
      case 'W':
        load_.messages.push_back({u"Airspace.Txt: Airways are not yet implemented (V W=x))", u"Cumulor", false});
        return S_OK;
      case 'X': {
        GeoPoint p;
        if (!ParsePoint(value, p)) return UserSyntaxError(line);
        m_.centre = p;
        m_.centreSet = 1;
        return S_OK;
      }
      case 'Z': {
        std::size_t pos = 0;
        const std::optional<std::int32_t> z = ScanInt(value, pos);
        shape.zoomLimit = static_cast<std::uint16_t>(z ? *z : 0);
        return S_OK;
      }
      default: return LineSyntaxError(line);
    }
  }
  if (c0 == 'S') {
    AirspaceClassGroup& g = load_.group[group];
    if (c1 == 'B') {
      std::int32_t v[3];
      if (ScanIntList(After(line, 2), v, 3) != 3) return S_OK;
      if (v[0] == -1) {
        g.fill = AirspaceFill{AirspaceFill::kHollow, 0};
        g.fillFromFile = 0;
      } else {
        g.fill = AirspaceFill{AirspaceFill::kSolid, RGB(v[0], v[1], v[2])};
        g.fillFromFile = 1;
      }
    } else if (c1 == 'P') {
      std::int32_t v[5];
      if (ScanIntList(After(line, 2), v, 5) != 5) return S_OK;
      g.outline = AirspaceOutline{false, v[0], v[1], RGB(v[2], v[3], v[4])};
      g.outlineFromFile = 1;
    }
    return S_OK;
  }
  if (c0 == 'T') {
    if (c1 == 'C' || c1 == 'O') CopyText(shape.name, After(line, 3), 94);
    return S_OK;
  }
  return LineSyntaxError(line);
}

void ExtendBounds(AirspaceBounds& b, std::int32_t lon, std::int32_t lat) {
  if (lon < b.west) b.west = lon;
  if (lon > b.east) b.east = lon;
  if (lat > b.north) b.north = lat;
  if (lat < b.south) b.south = lat;
}

void ExtendBoundsByRadius(AirspaceBounds& b, const GeoPoint& centre, std::int32_t radius) {
  const std::int64_t r = radius < 0 ? -std::int64_t{radius} : std::int64_t{radius};
  const std::int64_t dlat = r * 36 / 111;
  const double c = std::cos(centre.lat / 36000.0 * kDegree);
  const std::int64_t dlon = c > 1e-9 ? static_cast<std::int64_t>(std::fmin(static_cast<double>(dlat) / c, 1e12))
                                     : std::int64_t{1000000000000};
  auto clamp = [](std::int64_t v) {
    return static_cast<std::int32_t>(v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : v));
  };
  ExtendBounds(b, clamp(centre.lon - dlon), clamp(centre.lat - dlat));
  ExtendBounds(b, clamp(centre.lon + dlon), clamp(centre.lat + dlat));
}

HRESULT ExpandElements(const std::vector<Element>& elements, DynArray<GeoPoint>& points, DynArray<GeoPoint>& labels) {
  const std::size_t taken = elements.size() < static_cast<std::size_t>(kAirspaceMaxElements)
                                ? elements.size()
                                : static_cast<std::size_t>(kAirspaceMaxElements);
  for (std::size_t k = 0; k < taken; ++k) {
    const Element& e = elements[k];
    GeoPoint p;
    switch (e.kind) {
      case kElementLabel:
        if (labels.Append(e.point) != S_OK) return E_OUTOFMEMORY;
        break;
      case kElementPoint:
        if (points.Append(e.point) != S_OK) return E_OUTOFMEMORY;
        break;
      case kElementCircle:
        for (int i = 0; i < 120; ++i) {
          GeoDestination(e.point.lon, e.point.lat, static_cast<std::uint32_t>(e.radius), i * 3 * kDegree, p);
          if (points.Append(p) != S_OK) return E_OUTOFMEMORY;
        }
        break;
      case kElementArc: {
        const bool clockwise = e.radius >= 0;
        const double step = clockwise ? 3 * kDegree : -3 * kDegree;
        const std::uint32_t r =
            static_cast<std::uint32_t>(e.radius < 0 ? -static_cast<std::int64_t>(e.radius) : e.radius);
        std::int64_t n = 1;
        if (e.start != e.end) {
          double sweep;
          if (clockwise)
            sweep = e.end < e.start ? e.end + kTwoPi - e.start : e.end - e.start;
          else
            sweep = e.end > e.start ? e.start + kTwoPi - e.end : e.start - e.end;
          n = static_cast<std::int64_t>(sweep * kStepsPerRadian);
        }
        for (std::int64_t i = 0; i < n; ++i) {
          double angle = e.start + static_cast<double>(i) * step;
          if (angle > kTwoPi) angle -= kTwoPi;
          GeoDestination(e.point.lon, e.point.lat, r, -angle, p);
          if (points.Append(p) != S_OK) return E_OUTOFMEMORY;
        }
        GeoDestination(e.point.lon, e.point.lat, r, -e.end, p);
        if (points.Append(p) != S_OK) return E_OUTOFMEMORY;
        break;
      }
      default: break;
    }
  }
  return S_OK;
}

HRESULT FileReader::Store(ShapeWork& work, std::int32_t group) {
  AirspaceShape& shape = work.shape;
  if (work.elementMode) {
    shape.points.SetSize(0);
    if (HRESULT hr = ExpandElements(work.elements, shape.points, shape.labelPoints); hr != S_OK) return hr;
  }
  shape.pointCount = shape.points.Size();
  if (group >= kGroupClassB && group <= kGroupGliderProhibited && shape.pointCount > 0 &&
      !(shape.points[0] == shape.points[shape.pointCount - 1])) {
    if (shape.points.Append(shape.points[0]) != S_OK) return E_FAIL;
    shape.pointCount = shape.points.Size();
  }
  SetAirspacePointBox(shape);
  if (shape.labelRects.SetSize(shape.labelPoints.Size() > 0 ? shape.labelPoints.Size() : 1) != S_OK) return E_FAIL;
  try {
    load_.group[group].shapes.push_back(std::move(shape));
  } catch (...) {
    return E_FAIL;
  }
  return S_OK;
}

HRESULT FileReader::Run() {
  std::int32_t number = 0;
  std::int32_t from = 0;
  for (std::uint32_t shapes = 0;; ++shapes) {
    // A large file takes seconds: a thread told to end (the GPS thread at the program's exit) ends
    // here instead of reading on into a record that is about to go.
    if (shapes % 64 == 63) ce::kernel::TerminationCheck();
    Scan scan;
    const HRESULT scanned = ScanShape(from, scan);
    if (scanned == S_FALSE) return S_OK;
    if (scanned != S_OK) return scanned;
    previousGroup_ = scan.group;

    ShapeWork work;
    work.elementMode = scan.elementMode;
    work.shape.zoomLimit = 1000;
    work.shape.inView = 1;
    for (std::int32_t k = 0; k < scan.lineCount; ++k) {
      const HRESULT hr = ParseLine(Line(scan.header + k), work, scan.group);
      if (hr != S_OK) return hr;
    }

    // A shape gets an id and is kept only when it yields polygon points (label points alone
    // make no outline).
    bool hasOutline = work.elementMode ? false : work.shape.points.Size() > 0;
    if (work.elementMode) {
      const std::size_t taken = work.elements.size() < static_cast<std::size_t>(kAirspaceMaxElements)
                                    ? work.elements.size()
                                    : static_cast<std::size_t>(kAirspaceMaxElements);
      for (std::size_t k = 0; k < taken && !hasOutline; ++k) hasOutline = work.elements[k].kind != kElementLabel;
    }
    if (hasOutline) {
      AirspaceBounds& b = work.shape.bounds;
      if (work.elementMode) {
        const GeoPoint& first = work.elements.front().point;
        b = AirspaceBounds{first.lon, first.lat, first.lon, first.lat};
        for (const Element& e : work.elements) {
          if (e.kind == kElementCircle || e.kind == kElementArc)
            ExtendBoundsByRadius(b, e.point, e.radius);
          else
            ExtendBounds(b, e.point.lon, e.point.lat);
        }
      } else {
        const GeoPoint& first = work.shape.points[0];
        b = AirspaceBounds{first.lon, first.lat, first.lon, first.lat};
        for (const GeoPoint& p : work.shape.points) ExtendBounds(b, p.lon, p.lat);
      }
      work.shape.id = ++number;
      work.shape.switchedOffUntil = 0;
      for (std::int32_t id : load_.disabled)
        if (id == work.shape.id) work.shape.switchedOffUntil = kAirspaceOffForTheDay;
      if (scan.group != kGroupNone) {
        const HRESULT hr = Store(work, scan.group);
        if (hr != S_OK) return hr;
      }
    }
    if (scan.next < 0) return S_OK;
    from = scan.next;
  }
}

}  // namespace

AirspaceLoad::~AirspaceLoad() {
  for (AirspaceClassGroup& g : group) AirspaceClearFileStyles(g);
}

void AirspaceLoadBegin(AirspaceModule& module, AirspaceLoad& load) {
  for (int i = 0; i < kAirspaceGroupCount; ++i) {
    AirspaceClassGroup& g = load.group[i];
    AirspaceClearFileStyles(g);
    g.shapes.clear();
    g.enabled = i == 0 ? 0 : 1;
  }
  AirspaceApplyClassStyles(load.group, module.fillMode);
  std::lock_guard guard(module.lock);
  load.disabled = module.disabled;
}

HRESULT AirspaceReadText(AirspaceModule& module, AirspaceLoad& load, const void* data, std::int32_t size) {
  const TextLines lines = SplitTextLines(data, size);
  if (!lines.Loaded()) return E_FAIL;
  try {
    return FileReader(module, load, lines).Run();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT AirspaceReadFile(AirspaceModule& module, AirspaceLoad& load, const WCHAR* path) {
  const TextLines lines = ReadWholeFile(path);
  if (!lines.Loaded()) return E_FAIL;
  try {
    return FileReader(module, load, lines).Run();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void AirspaceLoadCommit(AirspaceModule& module, AirspaceLoad& load) {
  if (module.ui.enterMainLock) module.ui.enterMainLock();
  {
    std::lock_guard guard(module.lock);
    AirspaceFreeAll(module);
    for (int i = 1; i < kAirspaceGroupCount; ++i) {
      AirspaceClassGroup& to = module.group[i];
      AirspaceClassGroup& from = load.group[i];
      to.shapes.swap(from.shapes);
      to.enabled = 1;
      to.fill = from.fill;
      to.fillFromFile = from.fillFromFile;
      to.outline = from.outline;
      to.outlineFromFile = from.outlineFromFile;
      to.labelColour = from.labelColour;
    }
  }
  if (module.ui.leaveMainLock) module.ui.leaveMainLock();
  std::vector<AirspaceMessage> messages;
  messages.swap(load.messages);
  if (module.ui.messageBox)
    for (const AirspaceMessage& m : messages) module.ui.messageBox(m.text, m.caption, m.owned);
}

HRESULT AirspaceLoadFiles(AirspaceModule& module, const std::vector<std::u16string>& paths) {
  std::lock_guard serial(module.loadLock);
  AirspaceLoad load;
  AirspaceLoadBegin(module, load);
  for (const std::u16string& path : paths) AirspaceReadFile(module, load, path.c_str());
  AirspaceLoadCommit(module, load);
  return S_OK;
}

namespace {

std::vector<std::u16string> SelectedAirspacePaths() {
  std::vector<std::u16string> paths;
  const PathList& list = SelectedDataFiles()[kFilesUserAirspace].selected;
  for (const DataFileEntry& entry : list) paths.emplace_back(GetDataFileFullPath(entry));
  return paths;
}

// Each path followed by its size and write time ("-" for a file that is not there).
std::vector<std::u16string> FileStamps(const std::vector<std::u16string>& paths) {
  std::vector<std::u16string> stamps;
  for (const std::u16string& path : paths) {
    stamps.push_back(path);
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      stamps.emplace_back(u"-");
      continue;
    }
    FindClose(find);
    const std::string text = std::to_string(data.nFileSizeHigh) + ":" + std::to_string(data.nFileSizeLow) + ":" +
                             std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" +
                             std::to_string(data.ftLastWriteTime.dwLowDateTime);
    stamps.emplace_back(text.begin(), text.end());
  }
  return stamps;
}

}  // namespace

HRESULT AirspaceLoadAll(AirspaceModule& module) {
  const std::vector<std::u16string> paths = SelectedAirspacePaths();
  std::vector<std::u16string> stamps = FileStamps(paths);
  const HRESULT hr = AirspaceLoadFiles(module, paths);
  std::lock_guard serial(module.loadLock);
  module.loadedFiles.swap(stamps);
  module.loadedAll = true;
  return hr;
}

HRESULT AirspaceLoadAllIfChanged(AirspaceModule& module) {
  {
    std::lock_guard serial(module.loadLock);
    if (module.loadedAll && module.loadedFiles == FileStamps(SelectedAirspacePaths())) return S_FALSE;
  }
  return AirspaceLoadAll(module);
}

HRESULT ParseAirspaceDistance(std::string_view text, std::int32_t& metres) {
  const std::size_t star = text.find('*');
  if (star != std::string_view::npos) text = text.substr(0, star);
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  const char* begin = upper.c_str();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value)) {
    metres = -1;
    return E_FAIL;
  }
  const std::string_view rest(end);
  double result;
  if (rest.find("KM") != std::string_view::npos)
    result = value * 1000.0;
  else if (rest.find("SM") != std::string_view::npos)
    result = value * 1609;
  else if (rest.find("NM") != std::string_view::npos)
    result = value * 1852;
  else if (rest.find('M') != std::string_view::npos)
    result = value;
  else
    result = value * 1852;
  if (!(result < 2147483648.0 && result > -2147483649.0)) {
    metres = -1;
    return E_FAIL;
  }
  metres = static_cast<std::int32_t>(result);
  return S_OK;
}

HRESULT ParseAirspaceAltitude(std::string_view text, std::int32_t& feet) {
  std::size_t pos = 0;
  const std::optional<std::int32_t> number = ScanInt(text, pos);
  std::int64_t value = feet;
  if (number) value = *number;
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (upper.find("SFC") != std::string::npos) {
    value = 0;
  } else if (const std::size_t fl = upper.find("FL"); fl != std::string::npos) {
    std::size_t at = 0;
    const std::string_view after = std::string_view(upper).substr(fl + 2);
    const std::optional<std::int32_t> level = ScanInt(after, at);
    value = std::int64_t{level ? *level : 0} * -100;
  } else if (number) {
    const std::size_t m = upper.find('M');
    if (m != std::string::npos && (m + 1 >= upper.size() || upper[m + 1] != 'S'))
      value = static_cast<std::int64_t>(static_cast<double>(value) * 3.2808);
  }
  if (upper.find("STD") != std::string::npos) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < -INT32_MAX) value = -INT32_MAX;
  feet = static_cast<std::int32_t>(value);
  return S_OK;
}

int PointInPolygon(const GeoPoint& point, const GeoPoint* points, std::int32_t count) {
  if (!points || count < 1) return 0;
  bool inside = false;
  const std::int64_t x = point.lon;
  const std::int64_t y = point.lat;
  for (std::int32_t i = 0; i < count; ++i) {
    const GeoPoint& a = points[i];
    const GeoPoint& b = points[i == 0 ? count - 1 : i - 1];
    const std::int64_t ya = a.lat;
    const std::int64_t yb = b.lat;
    if ((ya > y) != (yb > y)) {
      const std::int64_t xAt = a.lon + (std::int64_t{b.lon} - a.lon) * (y - ya) / (yb - ya);
      if (x < xAt) inside = !inside;
    }
  }
  return inside ? 1 : 0;
}

}  // namespace cumulor
