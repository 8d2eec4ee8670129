// The small records a theme element is read into: a position, a colour, a font, a text line, an
// image and a named text. Every integer field holds -1 for a value the theme does not give; each
// user of a record applies its own default for such a field.
#pragma once

#include <string>

#include "platform/base/types.h"

// x, y, cx (width), cy (height), from the attributes of the same names.
struct ThemePosition {
  int x = -1;
  int y = -1;
  int cx = -1;
  int cy = -1;
};
void ResetPosition(ThemePosition& position);

// r, g, b, from the attributes of the same names. A colour is given when r is not negative.
struct ThemeRgb {
  int r = -1;
  int g = -1;
  int b = -1;
};
void ResetRgb(ThemeRgb& rgb);
inline bool IsGiven(const ThemeRgb& rgb) { return rgb.r >= 0; }
// The colour value from the low byte of each component.
inline COLORREF ToColorRef(const ThemeRgb& rgb) {
  return static_cast<COLORREF>((rgb.r & 0xFF) | ((rgb.g & 0xFF) << 8) | ((rgb.b & 0xFF) << 16));
}

// A font: height, weight (700 bold; attribute "fontbold" read as a number), face and colour.
class CFontDescription {
 public:
  CFontDescription() = default;
  virtual ~CFontDescription() = default;
  CFontDescription(const CFontDescription&) = default;
  CFontDescription& operator=(const CFontDescription&) = default;

  int m_size = -1;
  int m_weight = -1;
  std::u16string m_family;
  ThemeRgb m_rgb;
};

// A line of text: where (a rectangle) and in which font.
class CTextState {
 public:
  CTextState() = default;
  ~CTextState() = default;

  ThemePosition m_position;
  CFontDescription m_font;
};

// A placed text: for an image, the file name, its placement inside its owner and its
// transparent colour (not given = the colour of the image's pixel (1, 1)).
struct CTextHolder {
  ThemePosition m_position;
  std::u16string m_text;
  ThemeRgb m_rgb;
};

// A named text of a button or bar: id, rectangle and font.
class CButtonText {
 public:
  CButtonText() = default;
  virtual ~CButtonText() = default;
  CButtonText(const CButtonText&) = default;
  CButtonText& operator=(const CButtonText&) = default;

  std::u16string m_id;
  ThemePosition m_position;
  CFontDescription m_font;
};
