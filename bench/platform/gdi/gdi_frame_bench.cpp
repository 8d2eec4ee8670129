// Frames per second of a map-like frame on a 480 x 640 memory DC: 2,000 polygon edges, 500 lines
// and 200 text labels. Usage: gdi_frame_bench [seconds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
  constexpr int kW = 480, kH = 640;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kW, kH);
  SelectObject(dc, bitmap);

  // 100 polygons of 20 edges, 500 lines, 200 labels, all fixed for every frame.
  std::mt19937 rng(42);
  auto coord = [&](int max) { return static_cast<int>(rng() % max); };
  std::vector<std::vector<POINT>> polygons(100);
  for (auto& poly : polygons) {
    int cx = coord(kW), cy = coord(kH);
    for (int i = 0; i < 20; ++i) poly.push_back({cx + coord(80) - 40, cy + coord(80) - 40});
  }
  std::vector<POINT> lines(1000);
  for (auto& p : lines) p = {coord(kW), coord(kH)};
  std::vector<std::u16string> labels(200);
  for (std::size_t i = 0; i < labels.size(); ++i) labels[i] = u"WPT" + std::u16string(1, u'A' + i % 26) + u"-" + std::u16string(1, u'0' + i % 10);

  LOGFONTW lf{};
  lf.lfHeight = -11;
  lf.lfWeight = FW_BOLD;
  std::u16string face = u"Tahoma";
  face.copy(lf.lfFaceName, face.size());
  HFONT font = CreateFontIndirectW(&lf);
  HPEN pens[3] = {CreatePen(PS_SOLID, 1, RGB(0, 0, 0)), CreatePen(PS_SOLID, 2, RGB(0xB4, 0, 0xB4)),
                  CreatePen(PS_DASH, 1, RGB(0x66, 0xCC, 0xFF))};
  HBRUSH brush = CreateSolidBrush(RGB(0xDF, 0xDF, 0xDF));
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);

  auto frame = [&](int n) {
    RECT all{0, 0, kW, kH};
    FillRect(dc, &all, white);
    SelectObject(dc, brush);
    for (std::size_t i = 0; i < polygons.size(); ++i) {
      SelectObject(dc, pens[i % 3]);
      SetROP2(dc, i % 4 == 0 ? R2_XORPEN : R2_COPYPEN);
      Polygon(dc, polygons[i].data(), static_cast<int>(polygons[i].size()));
    }
    SetROP2(dc, R2_COPYPEN);
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
      SelectObject(dc, pens[i % 3]);
      MoveToEx(dc, lines[i].x + n % 3, lines[i].y, nullptr);
      LineTo(dc, lines[i + 1].x, lines[i + 1].y);
    }
    for (std::size_t i = 0; i < labels.size(); ++i)
      TextOutW(dc, lines[i].x, lines[i].y, labels[i].c_str(), static_cast<int>(labels[i].size()));
  };

  frame(0);  // warm caches
  auto start = std::chrono::steady_clock::now();
  int frames = 0;
  double elapsed = 0;
  while (elapsed < seconds) {
    frame(frames++);
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::printf("gdi_frame_bench: %d frames in %.2f s = %.1f frames/s (480x640, 2000 polygon edges, 500 lines, 200 labels)\n",
              frames, elapsed, frames / elapsed);
  return 0;
}
