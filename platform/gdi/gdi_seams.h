// Test seams of the drawing interface: pixels read back from any DC or bitmap, and a recorder of
// the calls made on a DC.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/gdi_types.h"

namespace ce::gdi {

// The colour of one pixel of a bitmap; CLR_INVALID (0xFFFFFFFF) outside it or for a bad handle.
COLORREF BitmapPixel(HBITMAP bitmap, int x, int y);
// Size of a bitmap; {0, 0} for a bad handle.
SIZE BitmapSize(HBITMAP bitmap);
// The bitmap a DC draws on (memory DC: the selected one; window DC: the screen's).
HBITMAP DCTarget(HDC hdc);
// Writes a bitmap, or the part `area` of it, as a PNG file. False on a bad handle or write error.
bool SaveBitmapPng(HBITMAP bitmap, const std::filesystem::path& file, const RECT* area = nullptr);

// Collects one line per drawing call made on the DCs it is attached to, such as
// "Rectangle(10,10,50,40)" or "TextOutW(2,3,\"Hello\")".
// With `keepPoints` set it also keeps the points of every Polyline and Polygon, in call order, and
// the pen, brush and font of every call (a frame drawn again elsewhere, such as a benchmark's peer).
class CallRecorder {
 public:
  // How a recorded call drew: the DC's pen (PS_NULL and width 0 when it outlines nothing), brush
  // (BS_NULL when it fills nothing; FillRect's own brush) and font height in pixels, and the
  // rectangle of a DrawTextW.
  struct Style {
    int penStyle = PS_NULL;
    int penWidth = 0;
    int brushStyle = BS_NULL;
    int fontHeight = 0;
    RECT box{};
  };
  std::vector<std::string> calls;
  bool keepPoints = false;
  std::vector<std::vector<POINT>> points;
  std::vector<Style> styles;  // with `keepPoints`: one per call, in call order
  void Clear() {
    calls.clear();
    points.clear();
    styles.clear();
  }
  // How many recorded calls begin with `name` followed by "(".
  int Count(const std::string& name) const;
};
// Attaches a recorder to a DC (null detaches). The recorder must outlive the attachment.
void AttachRecorder(HDC hdc, CallRecorder* recorder);

// Ellipses take their curves from those kept by size and lay their outlines from masks kept by
// size and pen (true, the default); false works every ellipse's arc out and strokes it again, for
// comparing the two.
void KeepEllipseShapes(bool keep);

}  // namespace ce::gdi

#define CLR_INVALID 0xFFFFFFFFu
