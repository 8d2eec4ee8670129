// A map-like frame on a 480 x 640 memory DC (100 polygons of 20 edges, 500 lines, 200 text
// labels) and the labels alone, in frames per second, beside plain Cairo drawing the same
// primitives on an image surface of the same size with one context (Cairo has no raster XOR: the
// peer draws the XOR polygons like the others).
#include <cairo.h>

#include <random>
#include <string>
#include <vector>

#include "bench/support/side_by_side.h"
#include "platform/gdi/gdi.h"
#include "platform/text/utf.h"

namespace {

constexpr int kW = 480, kH = 640;

struct Scene {
  std::vector<std::vector<POINT>> polygons = std::vector<std::vector<POINT>>(100);
  std::vector<POINT> lines = std::vector<POINT>(1000);
  std::vector<std::u16string> labels = std::vector<std::u16string>(200);
  std::vector<std::string> labels_utf8;
  Scene() {
    std::mt19937 rng(42);
    auto coord = [&](int max) { return static_cast<int>(rng() % max); };
    for (auto& poly : polygons) {
      int cx = coord(kW), cy = coord(kH);
      for (int i = 0; i < 20; ++i) poly.push_back({cx + coord(80) - 40, cy + coord(80) - 40});
    }
    for (auto& p : lines) p = {coord(kW), coord(kH)};
    for (std::size_t i = 0; i < labels.size(); ++i) {
      labels[i] = u"WPT" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"-" +
                  std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
      labels_utf8.push_back(ce::text::ToUtf8(labels[i]));
    }
  }
};

const COLORREF kPenColors[3] = {RGB(0, 0, 0), RGB(0xB4, 0, 0xB4), RGB(0x66, 0xCC, 0xFF)};
const int kPenWidths[3] = {1, 2, 1};

struct Ours {
  const Scene& s;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kW, kH);
  HFONT font;
  HPEN pens[3] = {CreatePen(PS_SOLID, 1, kPenColors[0]), CreatePen(PS_SOLID, 2, kPenColors[1]),
                  CreatePen(PS_DASH, 1, kPenColors[2])};
  HBRUSH brush = CreateSolidBrush(RGB(0xDF, 0xDF, 0xDF));
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  explicit Ours(const Scene& scene) : s(scene) {
    SelectObject(dc, bitmap);
    LOGFONTW lf{};
    lf.lfHeight = -11;
    lf.lfWeight = FW_BOLD;
    std::u16string face = u"Tahoma";
    face.copy(lf.lfFaceName, face.size());
    font = CreateFontIndirectW(&lf);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
  }
  ~Ours() {
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(font);
    for (HPEN p : pens) DeleteObject(p);
    DeleteObject(brush);
  }
  void Clear() {
    RECT all{0, 0, kW, kH};
    FillRect(dc, &all, white);
  }
  void Shapes(int n) {
    SelectObject(dc, brush);
    for (std::size_t i = 0; i < s.polygons.size(); ++i) {
      SelectObject(dc, pens[i % 3]);
      SetROP2(dc, i % 4 == 0 ? R2_XORPEN : R2_COPYPEN);
      Polygon(dc, s.polygons[i].data(), static_cast<int>(s.polygons[i].size()));
    }
    SetROP2(dc, R2_COPYPEN);
    for (std::size_t i = 0; i + 1 < s.lines.size(); i += 2) {
      SelectObject(dc, pens[i % 3]);
      MoveToEx(dc, s.lines[i].x + n % 3, s.lines[i].y, nullptr);
      LineTo(dc, s.lines[i + 1].x, s.lines[i + 1].y);
    }
  }
  void Labels() {
    for (std::size_t i = 0; i < s.labels.size(); ++i)
      TextOutW(dc, s.lines[i].x, s.lines[i].y, s.labels[i].c_str(), static_cast<int>(s.labels[i].size()));
  }
};

struct Peer {
  const Scene& s;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(surface);
  explicit Peer(const Scene& scene) : s(scene) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_select_font_face(cr, "Tahoma", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 11);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
  }
  ~Peer() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  void Color(COLORREF c) { cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0); }
  void Pen(std::size_t i) {
    Color(kPenColors[i % 3]);
    cairo_set_line_width(cr, kPenWidths[i % 3]);
    // Wide pens have round ends and joins, as a device pen does.
    const bool wide = kPenWidths[i % 3] > 1;
    cairo_set_line_cap(cr, wide ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, wide ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
    static const double dash[] = {6, 2};
    cairo_set_dash(cr, dash, i % 3 == 2 ? 2 : 0, 0);
  }
  void Clear() {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
  }
  void Shapes(int n) {
    for (std::size_t i = 0; i < s.polygons.size(); ++i) {
      const double off = kPenWidths[i % 3] % 2 ? 0.5 : 0;
      const auto& poly = s.polygons[i];
      cairo_move_to(cr, poly[0].x, poly[0].y);
      for (std::size_t k = 1; k < poly.size(); ++k) cairo_line_to(cr, poly[k].x, poly[k].y);
      cairo_close_path(cr);
      Color(RGB(0xDF, 0xDF, 0xDF));
      cairo_fill(cr);
      cairo_move_to(cr, poly[0].x + off, poly[0].y + off);
      for (std::size_t k = 1; k < poly.size(); ++k) cairo_line_to(cr, poly[k].x + off, poly[k].y + off);
      cairo_close_path(cr);
      Pen(i);
      cairo_stroke(cr);
    }
    for (std::size_t i = 0; i + 1 < s.lines.size(); i += 2) {
      Pen(i);
      const double off = kPenWidths[i % 3] % 2 ? 0.5 : 0;
      cairo_move_to(cr, s.lines[i].x + n % 3 + off, s.lines[i].y + off);
      cairo_line_to(cr, s.lines[i + 1].x + off, s.lines[i + 1].y + off);
      cairo_stroke(cr);
    }
  }
  void Labels() {
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (std::size_t i = 0; i < s.labels_utf8.size(); ++i) {
      cairo_move_to(cr, s.lines[i].x, s.lines[i].y + 11);
      cairo_show_text(cr, s.labels_utf8[i].c_str());
    }
  }
};

const Scene& TheScene() {
  static const Scene scene;
  return scene;
}

void BM_GdiFrame(benchmark::State& state) {
  Ours ours(TheScene());
  Peer peer(TheScene());
  bench::SideBySide side(state, "frames/s");
  int n = 0;
  for (auto _ : state) {
    side.Ours(1, [&] {
      ours.Clear();
      ours.Shapes(n);
      ours.Labels();
    });
    side.Peer(1, [&] {
      peer.Clear();
      peer.Shapes(n);
      peer.Labels();
    });
    ++n;
  }
}
BENCH(BM_GdiFrame);

void BM_GdiLabels(benchmark::State& state) {
  Ours ours(TheScene());
  Peer peer(TheScene());
  bench::SideBySide side(state, "frames/s");
  for (auto _ : state) {
    side.Ours(1, [&] { ours.Labels(); });
    side.Peer(1, [&] { peer.Labels(); });
  }
}
BENCH(BM_GdiLabels);

}  // namespace
