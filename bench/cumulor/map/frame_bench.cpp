// The flight computer's frame at 480 x 640 (and, built as cumulor_frame_bench_qvga, at 240 x 320)
// in frames per second: the application started in this
// process over southern England (the national airspace file of the test data, 2,571 blocks, its
// "AC MATZ" headers read as "AC D"; 300 waypoints; a task; a generated flight with an hour of
// trail), then one frame per fix along the flight through the new-fix handling (its re-centres
// and `PaintMapScreen`) at three zooms. Beside it, in the same run, the same frames' shapes and
// texts (recorded from the frame's own drawing calls, with the pen, brush and font of each) drawn
// with plain Cairo on an image surface of the same size, filled and outlined as ours were, without
// antialiasing as ours draws (texts keep the font's own, as ours do); a
// frame that takes the map's kept picture records a blit of the screen, which the peer replays as a
// paint of a picture of the screen's size. Counters: frames/s (mean) and the slowest 1 % of frames, ours and the peer's.
//
// Also the time from a fix arriving on the serial port to the new screen painted: the fixes of the
// same flight as NMEA (GGA, PGRMZ, RMC a second), written into a pseudo-terminal that "COM1:" of
// the application's GPS input reads; the figure ends when the new-fix handling that the RMC starts
// (on the GPS notify thread, as on the device) has painted the frame. Counters: the median, the
// 90th percentile and the slowest in ms, beside the limit of two frames at 60 Hz.
//
// The map files of the scene: .kv3 tiles with terrain, contours, rivers, roads, lakes and towns
// over the whole area ("Terrain"), and six shape layers written with shapelib's writer, about
// 5,000 shapes and 200,000 vertices in all ("Shape").
#include <cairo.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/side_by_side.h"
#include "cumulor/app/app_context.h"
#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/replay/igc_flight_reader.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/kernel/threads.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "tools/flightgen/flight_generator.h"
#include "tools/kv3gen/kv3_writer.h"
#include "tools/nmeaplayer/nmea_source.h"
#include "tools/shapegen/shape_writer.h"

namespace {

using namespace cumulor;
namespace fs = std::filesystem;

#ifndef FRAME_WIDTH
#define FRAME_WIDTH 480
#define FRAME_HEIGHT 640
#endif
constexpr int kW = FRAME_WIDTH, kH = FRAME_HEIGHT;
constexpr std::int32_t kTrailFixes = 3600;  // an hour at a fix a second
constexpr std::int32_t kFrames = 300;       // frames of one run, then again from the first
constexpr int kFixesTimed = 100;            // fixes of one repetition of the serial-to-screen figure

// The data folder's files: written once.
fs::path Docs() { return fs::path(bench::TemporaryDeviceFolder()) / "root" / "My Documents"; }

void Write(const std::string& name, const std::string& text) {
  std::ofstream(Docs() / name, std::ios::binary) << text;
}

std::string Coordinate(double degrees, bool latitude) {
  const char hemisphere = latitude ? (degrees < 0 ? 'S' : 'N') : (degrees < 0 ? 'W' : 'E');
  const double a = std::abs(degrees);
  const int whole = static_cast<int>(a);
  char text[32];
  std::snprintf(text, sizeof text, latitude ? "%02d:%06.3f%c" : "%03d:%06.3f%c", whole, (a - whole) * 60.0, hemisphere);
  return text;
}

// The task: a triangle of about 300 km from a field in Hampshire, flown anticlockwise.
struct Point {
  const char* code;
  const char* name;
  double lat, lon;
};
const Point kTask[] = {{"HOME", "Bench Field", 51.19, -1.03},
                       {"TPA", "Bench North", 51.95, -1.60},
                       {"TPB", "Bench West", 51.20, -2.60},
                       {"HOME", "Bench Field", 51.19, -1.03}};

std::string Waypoints() {
  std::string out;
  std::mt19937 random(3);
  for (int i = 0; i < 4; ++i)
    if (i < 3) out += std::string(kTask[i].code) + "," + Coordinate(kTask[i].lat, true) + "," +
                      Coordinate(kTask[i].lon, false) + ",400F,T,"  + kTask[i].name + ",\r\n";
  for (int i = 0; i < 297; ++i) {
    const double lat = 50.6 + (random() % 20000) / 10000.0;
    const double lon = -3.2 + (random() % 36000) / 10000.0;
    out += "W" + std::to_string(i) + "," + Coordinate(lat, true) + "," + Coordinate(lon, false) + "," +
           std::to_string(100 + random() % 900) + "F," + (i % 5 == 0 ? "ATL" : "T") + ",Waypoint " +
           std::to_string(i) + ",\r\n";
  }
  return out;
}

std::string Tasks() {
  std::string out = "<Tasks><Task nr=\"0\">";
  for (const Point& p : kTask) {
    char row[256];
    std::snprintf(row, sizeof row,
                  "<Turnpoint><name>%s</name><type>user waypoint</type><lat>%.6f</lat><lon>%.6f</lon></Turnpoint>",
                  p.name, p.lat, p.lon);
    out += row;
  }
  return out + "</Task></Tasks>";
}

// The national file with its military zones read as class D (a class the reader refuses).
std::string Airspace() {
  std::ifstream in(fs::path(OPENAIR_DIR) / "uk-asselect-2025.txt", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::string text = s.str();
  for (std::size_t at = 0; (at = text.find("AC MATZ", at)) != std::string::npos;) text.replace(at, 7, "AC D");
  return text;
}

// The "Files" entries of the scene.
std::string SceneFiles(const std::vector<shapegen::WrittenLayer>& layers) {
  std::string files = "<Terrain><File1>bench.kv3</File1></Terrain>"
                      "<UserWaypoints><File1>bench.dat</File1></UserWaypoints>"
                      "<UserAirspace><File1>uk.txt</File1></UserAirspace><Shape>";
  for (std::size_t i = 0; i < layers.size(); ++i) {
    const std::string tag = "File" + std::to_string(i + 1);
    files += "<" + tag + ">" + layers[i].name + ".shp</" + tag + ">";
  }
  return files + "</Shape>";
}

// Tiles of a degree from 4 W to 1 E and 50 N to 53 N: every fix of the flight is over them.
void WriteMapFiles(std::vector<shapegen::WrittenLayer>& layers) {
  kv3gen::SaveBytes((Docs() / "bench.kv3").string(), kv3gen::WriteTiled(kv3gen::DemoArea(-4, 50, 5, 3)));
  shapegen::Area area;
  area.west = -3.5;
  area.south = 50.5;
  area.east = 0.5;
  area.north = 52.3;
  shapegen::LayerSizes sizes;
  constexpr int kScale = 44;  // 114 shapes of the default sizes each
  sizes.rivers *= kScale;
  sizes.roads *= kScale;
  sizes.lakes *= kScale;
  sizes.places *= kScale;
  sizes.contours *= kScale;
  sizes.verticesPerLine = 40;
  layers = shapegen::WriteLayers(Docs().string(), area, sizes, 11);
}

void WriteScene() {
  fs::create_directories(Docs());
  Write("bench.dat", Waypoints());
  Write("uk.txt", Airspace());
  Write("KV_TASKS.xml", Tasks());
  std::vector<shapegen::WrittenLayer> layers;
  WriteMapFiles(layers);
  Write("KV_SETTINGS.xml", "<Settings><Files>" + SceneFiles(layers) +
                               "</Files><Home><Turnpoint><name>Bench Field</name><type>user waypoint</type>"
                               "<lat>51.19</lat><lon>-1.03</lon></Turnpoint></Home><TimeZone>0</TimeZone></Settings>");
  flightgen::Options o;
  o.interval = 1;
  o.minutes = 240;
  o.startSeconds = 10 * 3600;
  o.seed = 17;
  for (const Point& p : kTask) o.task.push_back({p.lat, p.lon});
  Write("bench.igc", flightgen::GenerateFlight(o));
}

// One frame's drawing calls, for the peer, each with how ours drew it.
struct Op {
  enum Kind { kPolyline, kPolygon, kLine, kRect, kEllipse, kText, kImage } kind;
  std::vector<POINT> points;  // polyline, polygon; line: two; rectangles: two corners; text: its top left
  std::string text;
  int penWidth = 0;        // 0: no outline
  bool dashed = false;
  enum Fill { kNoFill, kSolid, kPattern } fill = kNoFill;
  bool outlined = true;    // rectangles: Rectangle outlines with the pen, FillRect does not
  int fontHeight = 12;
};
using Frame = std::vector<Op>;

std::vector<long> Numbers(const std::string& call) {
  std::vector<long> out;
  const char* p = call.c_str() + call.find('(') + 1;
  while (*p && *p != ')' && *p != '"') {
    char* end = nullptr;
    out.push_back(std::strtol(p, &end, 10));
    if (end == p) break;
    p = *end == ',' ? end + 1 : end;
  }
  return out;
}

std::string Quoted(const std::string& call) {
  const std::size_t a = call.find('"'), b = call.rfind('"');
  return a == std::string::npos || b <= a ? std::string() : call.substr(a + 1, b - a - 1);
}

Frame ToFrame(const ce::gdi::CallRecorder& r, int& skipped) {
  Frame f;
  std::size_t shape = 0;
  auto starts = [](const std::string& c, const char* name) { return c.rfind(std::string(name) + "(", 0) == 0; };
  for (std::size_t i = 0; i < r.calls.size(); ++i) {
    const std::string& c = r.calls[i];
    const ce::gdi::CallRecorder::Style style = i < r.styles.size() ? r.styles[i] : ce::gdi::CallRecorder::Style{};
    const std::vector<long> n = Numbers(c);
    // The op with the pen, brush and font ours drew the call with.
    auto styled = [&](Op::Kind k, std::vector<POINT> points, std::string text = {}) {
      Op op{k, std::move(points), std::move(text)};
      op.penWidth = style.penWidth;
      op.dashed = style.penStyle != PS_SOLID && style.penStyle != PS_NULL;
      op.fill = style.brushStyle == BS_NULL ? Op::kNoFill : style.brushStyle == BS_SOLID ? Op::kSolid : Op::kPattern;
      if (style.fontHeight > 0) op.fontHeight = style.fontHeight;
      f.push_back(std::move(op));
      return &f.back();
    };
    auto corners = [&](Op::Kind k, long l, long t, long rr, long b) {
      return styled(k, {{static_cast<LONG>(l), static_cast<LONG>(t)}, {static_cast<LONG>(rr), static_cast<LONG>(b)}});
    };
    if ((starts(c, "Polyline") || starts(c, "Polygon")) && shape < r.points.size()) {
      Op* op = styled(starts(c, "Polygon") ? Op::kPolygon : Op::kPolyline, r.points[shape++]);
      if (op->kind == Op::kPolyline) op->fill = Op::kNoFill;
    } else if (starts(c, "LineTo") && n.size() == 4) {
      corners(Op::kLine, n[0], n[1], n[2], n[3]);
    } else if ((starts(c, "Rectangle") || starts(c, "RoundRect")) && n.size() >= 4) {
      corners(Op::kRect, n[0], n[1], n[2], n[3]);
    } else if ((starts(c, "FillRect") || starts(c, "FrameRect")) && n.size() >= 4) {
      // FillRect fills with its own brush; FrameRect frames with it (a one-pixel frame, filled
      // as a stroke of the pen would).
      Op* op = corners(Op::kRect, n[0], n[1], n[2], n[3]);
      if (starts(c, "FrameRect")) {
        op->fill = Op::kNoFill;
        op->penWidth = 1;
        op->dashed = false;
      } else {
        op->outlined = false;
      }
    } else if ((starts(c, "Ellipse") || starts(c, "Arc") || starts(c, "Pie")) && n.size() >= 4) {
      Op* op = corners(Op::kEllipse, n[0], n[1], n[2], n[3]);
      if (starts(c, "Arc")) op->fill = Op::kNoFill;
    } else if ((starts(c, "TextOutW") || starts(c, "ExtTextOutW")) && n.size() >= 2) {
      styled(Op::kText, {{static_cast<LONG>(n[0]), static_cast<LONG>(n[1])}}, Quoted(c));
    } else if (starts(c, "DrawTextW")) {
      // A measuring call (DT_CALCRECT) draws nothing.
      const std::size_t comma = c.rfind(',');
      const long format = comma == std::string::npos ? 0 : std::strtol(c.c_str() + comma + 1, nullptr, 10);
      if (format & DT_CALCRECT) continue;
      styled(Op::kText, {{style.box.left, style.box.top}}, Quoted(c));
    } else if ((starts(c, "BitBlt") || starts(c, "StretchBlt") || starts(c, "TransparentImage") ||
                starts(c, "AlphaBlend") || starts(c, "DrawIconEx")) && n.size() >= 4) {
      corners(Op::kImage, n[0], n[1], n[0] + n[2], n[1] + n[3]);
    } else {
      ++skipped;
    }
  }
  return f;
}

// The peer: plain Cairo, one context on an image surface, a few colours, shapes without
// antialiasing; each shape filled and outlined as ours was (no fill, a colour, or an 8 x 8 check
// tile repeated; no outline, or the pen's width, dashed where ours was), texts in the same face
// and size.
class CairoPeer {
 public:
  CairoPeer()
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH)),
        icon_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 32, 32)),
        picture_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH)),
        tile_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8)),
        cr_(cairo_create(surface_)) {
    cairo_t* c = cairo_create(icon_);
    cairo_set_source_rgba(c, 0.2, 0.4, 0.8, 0.8);
    cairo_arc(c, 16, 16, 12, 0, 6.283);
    cairo_fill(c);
    cairo_destroy(c);
    // The check: every other pixel coloured, the rest white.
    cairo_surface_flush(tile_);
    unsigned char* bits = cairo_image_surface_get_data(tile_);
    const int stride = cairo_image_surface_get_stride(tile_);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        reinterpret_cast<std::uint32_t*>(bits + y * stride)[x] = (x + y) % 2 ? 0xFFFFFFu : 0xC040C0u;
    cairo_surface_mark_dirty(tile_);
    pattern_ = cairo_pattern_create_for_surface(tile_);
    cairo_pattern_set_extend(pattern_, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern_, CAIRO_FILTER_NEAREST);
    cairo_select_font_face(cr_, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, fontHeight_);
    cairo_set_line_width(cr_, 1);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  }
  ~CairoPeer() {
    cairo_destroy(cr_);
    cairo_pattern_destroy(pattern_);
    cairo_surface_destroy(tile_);
    cairo_surface_destroy(picture_);
    cairo_surface_destroy(icon_);
    cairo_surface_destroy(surface_);
  }
  void Draw(const Frame& frame) {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    int colour = 0;
    for (const Op& op : frame) {
      static const double kColours[4][3] = {{0, 0, 0}, {0.7, 0, 0.7}, {0.4, 0.8, 1}, {0.2, 0.6, 0.2}};
      const double* rgb = kColours[colour++ & 3];
      cairo_set_source_rgb(cr_, rgb[0], rgb[1], rgb[2]);
      switch (op.kind) {
        case Op::kPolyline:
        case Op::kPolygon:
          cairo_move_to(cr_, op.points[0].x + 0.5, op.points[0].y + 0.5);
          for (std::size_t i = 1; i < op.points.size(); ++i) cairo_line_to(cr_, op.points[i].x + 0.5, op.points[i].y + 0.5);
          if (op.kind == Op::kPolygon) cairo_close_path(cr_);
          FillAndOutline(op);
          break;
        case Op::kLine:
          cairo_move_to(cr_, op.points[0].x + 0.5, op.points[0].y + 0.5);
          cairo_line_to(cr_, op.points[1].x + 0.5, op.points[1].y + 0.5);
          FillAndOutline(op);
          break;
        case Op::kRect:
          if (op.outlined && op.penWidth > 0) {
            cairo_rectangle(cr_, op.points[0].x + 0.5, op.points[0].y + 0.5, op.points[1].x - op.points[0].x - 1,
                            op.points[1].y - op.points[0].y - 1);
          } else {
            cairo_rectangle(cr_, op.points[0].x, op.points[0].y, op.points[1].x - op.points[0].x,
                            op.points[1].y - op.points[0].y);
          }
          FillAndOutline(op, op.outlined);
          break;
        case Op::kEllipse: {
          const double cx = (op.points[0].x + op.points[1].x) / 2.0, cy = (op.points[0].y + op.points[1].y) / 2.0;
          const double rx = std::max(1.0, (op.points[1].x - op.points[0].x) / 2.0);
          const double ry = std::max(1.0, (op.points[1].y - op.points[0].y) / 2.0);
          cairo_save(cr_);
          cairo_translate(cr_, cx, cy);
          cairo_scale(cr_, rx, ry);
          cairo_arc(cr_, 0, 0, 1, 0, 6.283185307);
          cairo_restore(cr_);
          FillAndOutline(op);
          break;
        }
        case Op::kText:
          if (op.fontHeight != fontHeight_) {
            fontHeight_ = op.fontHeight;
            cairo_set_font_size(cr_, fontHeight_);
          }
          cairo_move_to(cr_, op.points[0].x, op.points[0].y + fontHeight_);
          cairo_show_text(cr_, op.text.c_str());
          break;
        case Op::kImage:
          cairo_save(cr_);
          cairo_rectangle(cr_, op.points[0].x, op.points[0].y, op.points[1].x - op.points[0].x,
                          op.points[1].y - op.points[0].y);
          cairo_clip(cr_);
          // An icon, or a picture as large as the screen (a blit of a kept picture).
          cairo_set_source_surface(cr_, Large(op) ? picture_ : icon_, op.points[0].x, op.points[0].y);
          cairo_paint(cr_);
          cairo_restore(cr_);
          break;
      }
    }
    cairo_surface_flush(surface_);
  }

 private:
  static bool Large(const Op& op) {
    return op.points[1].x - op.points[0].x > 32 || op.points[1].y - op.points[0].y > 32;
  }

  // Fills the path as ours did (the colour set, or the check), then outlines it with the pen.
  void FillAndOutline(const Op& op, bool outline = true) {
    const bool stroke = outline && op.penWidth > 0;
    if (op.fill != Op::kNoFill) {
      if (op.fill == Op::kPattern) cairo_set_source(cr_, pattern_);
      if (stroke) {
        cairo_fill_preserve(cr_);
      } else {
        cairo_fill(cr_);
      }
      cairo_set_source_rgb(cr_, 0, 0, 0);
    }
    if (!stroke) {
      cairo_new_path(cr_);
      return;
    }
    if (op.penWidth != lineWidth_) {
      lineWidth_ = op.penWidth;
      cairo_set_line_width(cr_, lineWidth_);
    }
    if (op.dashed != dashed_) {
      static const double kDash[] = {6, 2};
      dashed_ = op.dashed;
      cairo_set_dash(cr_, kDash, dashed_ ? 2 : 0, 0);
    }
    cairo_stroke(cr_);
  }

  cairo_surface_t* surface_;
  cairo_surface_t* icon_;
  cairo_surface_t* picture_;
  cairo_surface_t* tile_;
  cairo_pattern_t* pattern_ = nullptr;
  cairo_t* cr_;
  int fontHeight_ = 12;
  int lineWidth_ = 1;
  bool dashed_ = false;
};

// The application of this process, started once: the start-up runs to its last command, the
// simulator's input thread is stopped (the benchmark gives the fixes), the trail holds an hour.
struct Scene {
  AppContext* app = nullptr;
  DynArray<GpsFix> fixes;
  bool ready = false;
};

Scene& TheScene() {
  static Scene scene = [] {
    Scene s;
    bench::TemporaryDeviceFolder();
    ce::display::SetScreenSize(ce::display::ScreenSize{kW, kH});
    WriteScene();
    FlightInfo info;
    if (ReadIgcFlight(u"\\My Documents\\bench.igc", s.fixes, info) != 1 || s.fixes.Size() < kTrailFixes + kFrames)
      return s;
    static bool started = false;
    SetStartupDoneHook([](AppContext& app) {
      GpsStop(app.gps);
      started = true;
    });
    s.app = new AppContext;
    AppContextInit(s.app, 1, 1);
    AppRecord() = s.app;
    if (!InitInstance(*s.app, nullptr)) return s;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    MSG msg;
    while (!started && std::chrono::steady_clock::now() < end) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(1);
    }
    if (!started) return s;
    for (std::int32_t i = 0; i < kTrailFixes; ++i) TrailAddFix(s.fixes[i], false);
    s.ready = true;
    return s;
  }();
  return scene;
}

void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

GpsStatus StatusOf(const GpsFix& fix) {
  GpsStatus s;
  s.timeOfDay = fix.timeOfDay;
  s.positionValid = 1;
  s.position = fix.position;
  s.groundSpeedKn = fix.groundSpeed;
  s.groundSpeedMs = fix.groundSpeed * 0.514444f;
  s.track = fix.track;
  s.altitudeValid = 1;
  s.altitude = fix.gpsAltitude;
  return s;
}

// The benchmark is the GPS input (the reader thread is stopped): the fix is published as the
// reader would before the new-fix handling runs, so that the frame sees the position.
LRESULT NewFix(AppContext& app, const GpsStatus& status) {
  {
    std::lock_guard<std::mutex> lock(app.gps.dataLock);
    app.gps.publishedStatus = status;
  }
  return HandleGpsUpdate(app, &status, S_OK, true);
}

double Slowest1PercentFps(std::vector<double> seconds) {
  if (seconds.empty()) return 0;
  std::sort(seconds.begin(), seconds.end());
  const double p99 = seconds[std::min(seconds.size() - 1, seconds.size() * 99 / 100)];
  return p99 > 0 ? 1.0 / p99 : 0;
}

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// Argument: the zoom table's index (2: 5 km, 4: 20 km, 6: 100 km across the scale bar).
void BM_MapFrame(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ready) {
    state.SkipWithError("the application did not start over the scene");
    return;
  }
  AppContext& app = *scene.app;
  SendMessageW(app.mainWindow, WM_COMMAND, kCmdZoomFirst + static_cast<WPARAM>(state.range(0)), 0);
  Drain();

  // The frames' own drawing calls, recorded once along the same fixes.
  std::vector<Frame> frames;
  int skipped = 0;
  std::size_t ops = 0;
  ce::gdi::CallRecorder recorder;
  recorder.keepPoints = true;
  for (std::int32_t k = 0; k < kFrames; ++k) {
    recorder.Clear();
    ce::gdi::AttachRecorder(app.map.dc, &recorder);
    const GpsStatus status = StatusOf(scene.fixes[kTrailFixes + k]);
    NewFix(app, status);
    ce::gdi::AttachRecorder(app.map.dc, nullptr);
    frames.push_back(ToFrame(recorder, skipped));
    ops += frames.back().size();
    Drain();
  }
  if (ops == 0) {
    // A frame that draws nothing would be timed as a frame: no figure rather than a wrong one.
    state.SkipWithError("the new-fix handling drew nothing on the map's DC");
    return;
  }

  CairoPeer peer;
  bench::SideBySide side(state, "frames/s");
  std::vector<double> ours, theirs;
  std::int32_t k = 0;
  for (auto _ : state) {
    const GpsStatus status = StatusOf(scene.fixes[kTrailFixes + k]);
    double start = ThreadSeconds();
    side.Ours(1, [&] { NewFix(app, status); });
    ours.push_back(ThreadSeconds() - start);
    start = ThreadSeconds();
    side.Peer(1, [&] { peer.Draw(frames[static_cast<std::size_t>(k)]); });
    theirs.push_back(ThreadSeconds() - start);
    state.PauseTiming();
    Drain();
    state.ResumeTiming();
    k = (k + 1) % kFrames;
  }
  state.counters["slowest1%_fps"] = Slowest1PercentFps(ours);
  state.counters["peer_slowest1%_fps"] = Slowest1PercentFps(theirs);
  state.counters["calls/frame"] = static_cast<double>(ops) / kFrames;
  state.counters["unreplayed/frame"] = static_cast<double>(skipped) / kFrames;
}
BENCH(BM_MapFrame)->Name("BM_MapFrame" + std::to_string(kW) + "x" + std::to_string(kH))->Arg(2)->Arg(4)->Arg(6);

// The new-fix handling as the GPS notify thread runs it, with the time it ended and a count.
std::atomic<std::uint64_t> handled{0};
std::atomic<std::int64_t> handledAtNs{0};

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int TimedGpsCallback(HRESULT status, const GpsStatus* fix) {
  const int result = GpsDataCallback(status, fix);
  handledAtNs.store(NowNs());
  handled.fetch_add(1);
  return result;
}

double Percentile(std::vector<double> v, double part) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(static_cast<double>(v.size()) * part))];
}

// Argument: the zoom table's index, as for the frames.
void BM_FixToScreen(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ready) return state.SkipWithError("the application did not start over the scene");
  AppContext& app = *scene.app;
  SendMessageW(app.mainWindow, WM_COMMAND, kCmdZoomFirst + static_cast<WPARAM>(state.range(0)), 0);
  Drain();
  std::ifstream in(Docs() / "bench.igc", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::vector<nmeaplayer::Epoch> epochs = nmeaplayer::EpochsFromIgc(text.str());
  if (epochs.size() < static_cast<std::size_t>(kTrailFixes + kFrames)) return state.SkipWithError("no NMEA epochs");

  // "COM1:" on the slave side of a new pseudo-terminal, read by the GPS input's threads.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return state.SkipWithError("no pseudo-terminal");
  RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\SerialPorts", u"COM1", ce::text::FromUtf8(ptsname(master)).c_str());
  GpsStop(app.gps);
  GpsPortClose(app.gps);
  if (FAILED(GpsPortOpen(app.gps, u"COM1:", 4800)) ||
      FAILED(GpsStart(app.gps, TimedGpsCallback, 0, app.mainWindow))) {
    ::close(master);
    return state.SkipWithError("the GPS input did not open COM1:");
  }
  auto write = [&](const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
      const ssize_t n = ::write(master, bytes.data() + at, bytes.size() - at);
      if (n <= 0) return false;
      at += static_cast<std::size_t>(n);
    }
    return true;
  };
  // Waits (pumping this thread's messages: the handling may send to the main window) until the
  // handling has run `count` times; false after 5 s.
  auto wait_for = [&](std::uint64_t count) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (handled.load() < count) {
      if (std::chrono::steady_clock::now() > limit) return false;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      std::this_thread::yield();
    }
    return true;
  };
  // The first RMC after the start sets no event: two epochs before the timed ones.
  write(epochs[kTrailFixes - 2].bytes);
  write(epochs[kTrailFixes - 1].bytes);
  wait_for(handled.load() + 1);

  std::vector<double> ms;
  std::int32_t k = 0;
  for (auto _ : state) {
    ms.clear();
    for (int i = 0; i < kFixesTimed; ++i) {
      const std::uint64_t before = handled.load();
      const std::int64_t sent = NowNs();
      if (!write(epochs[static_cast<std::size_t>(kTrailFixes + k)].bytes) || !wait_for(before + 1)) {
        state.SkipWithError("a fix was not taken");
        break;
      }
      ms.push_back(static_cast<double>(handledAtNs.load() - sent) / 1e6);
      Drain();
      k = (k + 1) % kFrames;
    }
  }
  GpsStop(app.gps);
  GpsPortClose(app.gps);
  ::close(master);
  state.counters["p50_ms"] = Percentile(ms, 0.5);
  state.counters["p90_ms"] = Percentile(ms, 0.9);
  state.counters["slowest_ms"] = Percentile(ms, 1.0);
  state.counters["limit_p90_ms"] = 1000.0 / 30;  // two frames at 60 Hz
}
BENCHMARK(BM_FixToScreen)
    ->Name("BM_FixToScreen" + std::to_string(kW) + "x" + std::to_string(kH))
    ->Arg(4)
    ->Arg(6)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
