// Fonts and text: font creation and mapping to installed faces (fontconfig), metrics, text output
// (TextOutW, ExtTextOutW, DrawTextW) and measurement.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/text/utf.h"

using namespace ce::gdi;

namespace ce::gdi {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool FamilyInstalled(const std::string& family) {
  static std::vector<std::pair<std::string, bool>> cache;
  for (auto& [name, found] : cache)
    if (name == family) return found;
  bool found = false;
  if (FcPattern* pattern = FcPatternCreate()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
      FcChar8* got = nullptr;
      if (FcPatternGetString(match, FC_FAMILY, 0, &got) == FcResultMatch && got)
        found = Lower(reinterpret_cast<const char*>(got)) == Lower(family);
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  cache.emplace_back(family, found);
  return found;
}

int Round(double v) { return static_cast<int>(std::lround(v)); }

// The text of a call: up to `count` characters, never past the terminating zero (a count longer
// than the text reads no further); all of it for a negative count.
std::u16string TextOf(LPCWSTR text, int count) {
  if (!text) return {};
  if (count < 0) return std::u16string(ce::text::WideView(text));
  std::size_t n = 0;
  while (n < static_cast<std::size_t>(count) && text[n]) ++n;
  return std::u16string(text, n);
}

double Advance(const Font& f, const std::string& utf8) {
  if (utf8.empty()) return 0;
  cairo_text_extents_t e;
  cairo_scaled_font_text_extents(f.scaled, utf8.c_str(), &e);
  return e.x_advance;
}
double Advance(const Font& f, const std::u16string& text) { return f.RunOf(text).advance; }

int CellHeight(const Font& f) { return Round(f.ascent) + Round(f.descent); }

// Draws one run of text with its top-left (before alignment) at (x, y) in DC coordinates.
// Returns the advance in pixels.
int DrawRun(DC& dc, double x, double y, const std::u16string& text, const int* dx, const RECT* opaque,
            const RECT* clip) {
  Font& f = *dc.st.font;
  const Font::Run* run = dx ? nullptr : &f.RunOf(text);
  double width = 0;
  if (dx) {
    for (std::size_t i = 0; i < text.size(); ++i) width += dx[i];
  } else {
    width = run->advance;
  }
  int height = CellHeight(f);
  UINT align = dc.st.text_align;
  double ox = x, oy = y;  // reference point
  double left = 0, top = 0;
  if ((align & TA_CENTER) == TA_CENTER) left = -width / 2;
  else if (align & TA_RIGHT) left = -width;
  if ((align & TA_BASELINE) == TA_BASELINE) top = -Round(f.ascent);
  else if (align & TA_BOTTOM) top = -height;
  auto near = [](double v) { return Near(static_cast<long long>(std::clamp(v, -1e18, 1e18))); };
  RECT extent{near(ox - width - height - 2), near(oy - 2 * height - 2), near(ox + width + height + 2),
              near(oy + 2 * height + 2)};
  if (opaque) extent = *opaque;
  // Straight text without a clip of its own is placed by its coordinates alone (no
  // transformation), with the kept glyphs: the context's state needs no save and restore then.
  const bool plain = !clip && !dx && f.angle == 0 && (!run->glyphs.empty() || text.empty());
  const double tx = plain ? ox : 0, ty = plain ? oy : 0;  // DC coordinates of the reference point
  auto draw = [&](cairo_t* cr) {
    if (clip) {
      cairo_rectangle(cr, clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top);
      cairo_clip(cr);
    }
    if (opaque) {
      SetSourceColor(cr, dc.st.bk_color);
      cairo_rectangle(cr, opaque->left, opaque->top, opaque->right - opaque->left, opaque->bottom - opaque->top);
      cairo_fill(cr);
    }
    if (!plain) {
      cairo_translate(cr, ox, oy);
      if (f.angle != 0) cairo_rotate(cr, -f.angle);
    }
    if (dc.st.bk_mode == OPAQUE && !opaque) {
      SetSourceColor(cr, dc.st.bk_color);
      cairo_rectangle(cr, left + tx, top + ty, std::ceil(width), height);
      cairo_fill(cr);
    }
    cairo_set_scaled_font(cr, f.scaled);
    SetSourceColor(cr, dc.st.text_color);
    double base = top + Round(f.ascent);
    if (dx) {
      double pen_x = left;
      for (std::size_t i = 0; i < text.size(); ++i) {
        std::string one = ce::text::ToUtf8(text.substr(i, 1));
        cairo_move_to(cr, pen_x, base);
        cairo_show_text(cr, one.c_str());
        pen_x += dx[i];
      }
    } else if (f.angle == 0 && !run->glyphs.empty()) {
      // The kept glyphs, moved to the run's place: what cairo_show_text would lay out.
      std::vector<cairo_glyph_t>& glyphs = dc.glyphs;
      glyphs.assign(run->glyphs.begin(), run->glyphs.end());
      for (auto& g : glyphs) g.x = (g.x + left) + tx, g.y = (g.y + base) + ty;
      cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    } else if (!plain) {
      cairo_move_to(cr, left, base);
      cairo_show_text(cr, ce::text::ToUtf8(text).c_str());
    }
    double line = std::max(1.0, std::round(f.em / 14));
    if (f.lf.lfUnderline) cairo_rectangle(cr, left + tx, (base + line) + ty, width, line);
    if (f.lf.lfStrikeOut) cairo_rectangle(cr, left + tx, (base - std::round(f.ascent / 3)) + ty, width, line);
    cairo_fill(cr);
  };
  Render(dc, extent, R2_COPYPEN, draw, plain ? DrawState::kPlain : DrawState::kScoped);
  return Round(width);
}

}  // namespace

Font::~Font() {
  if (scaled) cairo_scaled_font_destroy(scaled);
}

const Font::Run& Font::RunOf(const std::u16string& text) const {
  if (last_run && last_run->first == text) return last_run->second;
  auto it = runs.find(text);
  if (it != runs.end()) {
    last_run = &*it;
    return it->second;
  }
  if (runs.size() >= 4096) runs.clear();  // many different texts (measuring prefixes): start over
  Run run;
  const std::string utf8 = ce::text::ToUtf8(text);
  run.advance = Advance(*this, utf8);
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (!utf8.empty() && scaled &&
      cairo_scaled_font_text_to_glyphs(scaled, 0, 0, utf8.c_str(), static_cast<int>(utf8.size()), &glyphs, &count,
                                       nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS) {
    run.glyphs.assign(glyphs, glyphs + count);
    cairo_glyph_free(glyphs);
  }
  last_run = &*runs.emplace(text, std::move(run)).first;
  return last_run->second;
}

std::string InstalledFamilyFor(const std::u16string& face) {
  std::string name = Lower(ce::text::ToUtf8(face));
  static const char* const kSans[] = {"", "tahoma", "arial", "helvetica", "verdana", "segoe ui", "ms sans serif",
                                      "microsoft sans serif", "system", "segoe condensed", "nina", "frutiger linotype"};
  static const char* const kMono[] = {"courier new", "courier", "lucida console", "consolas"};
  static const char* const kSerif[] = {"times new roman", "times", "georgia", "bookdings"};
  for (const char* s : kSans)
    if (name == s) return "DejaVu Sans";
  for (const char* s : kMono)
    if (name == s) return "DejaVu Sans Mono";
  for (const char* s : kSerif)
    if (name == s) return "DejaVu Serif";
  std::string original = ce::text::ToUtf8(face);
  return FamilyInstalled(original) ? original : "DejaVu Sans";
}

void RealizeFont(Font& f) {
  std::u16string face(f.lf.lfFaceName, std::find(f.lf.lfFaceName, f.lf.lfFaceName + LF_FACESIZE, u'\0'));
  f.family = InstalledFamilyFor(face);
  cairo_font_face_t* cf = cairo_toy_font_face_create(
      f.family.c_str(), f.lf.lfItalic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
      f.lf.lfWeight >= FW_SEMIBOLD ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, f.lf.lfQuality == NONANTIALIASED_QUALITY ? CAIRO_ANTIALIAS_NONE
                                                                                     : CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  // Measure unhinted at a large size, then size: a negative height is the character (em) height,
  // a positive one the cell height (ascent + descent).
  constexpr double kProbe = 1000;
  cairo_matrix_t probe;
  cairo_matrix_init_scale(&probe, kProbe, kProbe);
  cairo_font_options_t* unhinted = cairo_font_options_copy(options);
  cairo_font_options_set_hint_metrics(unhinted, CAIRO_HINT_METRICS_OFF);
  cairo_scaled_font_t* unit = cairo_scaled_font_create(cf, &probe, &identity, unhinted);
  cairo_font_options_destroy(unhinted);
  cairo_font_extents_t ue;
  cairo_scaled_font_extents(unit, &ue);
  cairo_text_extents_t ux;
  cairo_scaled_font_text_extents(unit, "x", &ux);
  cairo_scaled_font_destroy(unit);
  ux.x_advance /= kProbe;
  double cell_per_em = ue.ascent + ue.descent > 0 ? (ue.ascent + ue.descent) / kProbe : 1.2;
  LONG h = f.lf.lfHeight;
  double em = h < 0 ? -static_cast<double>(h) : h > 0 ? h / cell_per_em : 12.0;
  em = std::clamp(em, 1.0, 2000.0);
  double sx = 1;
  if (f.lf.lfWidth > 0 && ux.x_advance > 0) sx = std::clamp(f.lf.lfWidth / (ux.x_advance * em), 0.05, 20.0);
  cairo_matrix_t fm;
  cairo_matrix_init_scale(&fm, em * sx, em);
  if (f.scaled) cairo_scaled_font_destroy(f.scaled);
  f.scaled = cairo_scaled_font_create(cf, &fm, &identity, options);
  cairo_font_options_destroy(options);
  cairo_font_face_destroy(cf);
  cairo_font_extents_t e;
  cairo_scaled_font_extents(f.scaled, &e);
  f.em = em;
  f.ascent = e.ascent;
  f.descent = e.descent;
  f.angle = (f.lf.lfEscapement % 3600) / 1800.0 * M_PI;
}

Font* DefaultFont() {
  static Font* font = [] {
    auto* f = new Font;
    f->lf.lfHeight = -12;
    f->lf.lfWeight = FW_NORMAL;
    f->lf.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(f->lf.lfFaceName, u"Tahoma", sizeof(u"Tahoma"));
    f->stock = true;
    RealizeFont(*f);
    Register(f);
    return f;
  }();
  return font;
}

}  // namespace ce::gdi

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (!font) return nullptr;
  auto lock = Lock();
  auto* f = new Font;
  f->lf = *font;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;  // a face name that fills the field is cut, never overrun
  RealizeFont(*f);
  Register(f);
  return reinterpret_cast<HFONT>(f);
}

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !tm) return FALSE;
  const Font& f = *dc->st.font;
  *tm = TEXTMETRICW{};
  tm->tmAscent = Round(f.ascent);
  tm->tmDescent = Round(f.descent);
  tm->tmHeight = tm->tmAscent + tm->tmDescent;
  tm->tmInternalLeading = std::max(0, tm->tmHeight - Round(f.em));
  tm->tmAveCharWidth = std::max(1, Round(Advance(f, std::string("x"))));
  tm->tmMaxCharWidth = std::max(tm->tmAveCharWidth, Round(Advance(f, std::string("W"))));
  tm->tmWeight = f.lf.lfWeight ? f.lf.lfWeight : FW_NORMAL;
  tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFFFC;
  tm->tmDefaultChar = u'?';
  tm->tmBreakChar = u' ';
  tm->tmItalic = f.lf.lfItalic;
  tm->tmUnderlined = f.lf.lfUnderline;
  tm->tmStruckOut = f.lf.lfStrikeOut;
  tm->tmPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  tm->tmCharSet = f.lf.lfCharSet;
  return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  const Font& f = *dc->st.font;
  size->cx = Round(Advance(f, TextOf(text, count)));
  size->cy = CellHeight(f);
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int max_extent, int* fit, int* dx, LPSIZE size) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  const Font& f = *dc->st.font;
  std::u16string s = TextOf(text, count);
  int fitted = 0;
  for (std::size_t i = 1; i <= s.size(); ++i) {
    int w = Round(Advance(f, s.substr(0, i)));
    if (dx) dx[i - 1] = w;
    if (w <= max_extent) fitted = static_cast<int>(i);
  }
  if (fit) *fit = fitted;
  size->cx = Round(Advance(f, s));
  size->cy = CellHeight(f);
  return TRUE;
}

int GetTextFaceW(HDC hdc, int count, LPWSTR face) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return 0;
  std::u16string name(dc->st.font->lf.lfFaceName);
  if (!face) return static_cast<int>(name.size()) + 1;
  if (count <= 0) return 0;
  std::size_t n = std::min<std::size_t>(name.size(), static_cast<std::size_t>(count - 1));
  std::copy_n(name.begin(), n, face);
  face[n] = 0;
  return static_cast<int>(n);
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return FALSE;
  std::u16string s = TextOf(text, count);
  GDI_RECORD(*dc, "TextOutW(" + std::to_string(x) + "," + std::to_string(y) + ",\"" + ce::text::ToUtf8(s) + "\")");
  bool cp = dc->st.text_align & TA_UPDATECP;
  if (cp) x = dc->st.position.x, y = dc->st.position.y;
  int advance = DrawRun(*dc, x, y, s, nullptr, nullptr, nullptr);
  if (cp) dc->st.position.x += advance;
  return TRUE;
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const int* dx) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || (!text && count > 0)) return FALSE;
  std::u16string s = TextOf(text, static_cast<int>(count));
  GDI_RECORD(*dc, "ExtTextOutW(" + std::to_string(x) + "," + std::to_string(y) + ",\"" + ce::text::ToUtf8(s) + "\")");
  const RECT* opaque = (options & ETO_OPAQUE) && rect ? rect : nullptr;
  const RECT* clip = (options & ETO_CLIPPED) && rect ? rect : nullptr;
  bool cp = dc->st.text_align & TA_UPDATECP;
  if (cp) x = dc->st.position.x, y = dc->st.position.y;
  int advance = DrawRun(*dc, x, y, s, dx, opaque, clip);
  if (cp) dc->st.position.x += advance;
  return TRUE;
}

namespace {

// The lines of a DrawTextW text after prefixes, tabs and line breaks.
std::vector<std::u16string> Lines(std::u16string s, UINT format) {
  if (!(format & DT_NOPREFIX)) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == u'&' && i + 1 < s.size()) ++i;  // "&&" is one '&'; "&x" underlines x (drawn plain)
      else if (s[i] == u'&') continue;
      out += s[i];
    }
    s = out;
  }
  std::u16string tab = (format & DT_EXPANDTABS) ? u"        " : u" ";
  std::u16string expanded;
  for (char16_t c : s) {
    if (c == u'\t') expanded += tab;
    else expanded += c;
  }
  s = expanded;
  std::vector<std::u16string> lines;
  if (format & DT_SINGLELINE) {
    std::replace(s.begin(), s.end(), u'\r', u' ');
    std::replace(s.begin(), s.end(), u'\n', u' ');
    lines.push_back(s);
  } else {
    std::u16string cur;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == u'\r' || s[i] == u'\n') {
        if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
        lines.push_back(cur);
        cur.clear();
      } else {
        cur += s[i];
      }
    }
    lines.push_back(cur);
  }
  return lines;
}

// The lines of DrawTextW after prefixes, tabs, breaks and ellipses.
std::vector<std::u16string> LayOut(const Font& f, std::u16string s, UINT format, int width) {
  std::vector<std::u16string> lines;
  if (s.find_first_of(u"&\t\r\n") == std::u16string::npos) {
    // Nothing to remove, expand or split: the text is the one line.
    lines.push_back(std::move(s));
  } else {
    lines = Lines(std::move(s), format);
  }
  if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && width > 0) {
    std::vector<std::u16string> wrapped;
    for (const auto& line : lines) {
      std::u16string cur;
      std::size_t i = 0;
      if (line.empty()) wrapped.push_back(line);
      while (i < line.size()) {
        std::size_t j = line.find(u' ', i);
        std::u16string word = line.substr(i, j == std::u16string::npos ? std::u16string::npos : j - i);
        std::u16string candidate = cur.empty() ? word : cur + u" " + word;
        if (!cur.empty() && Advance(f, candidate) > width) {
          wrapped.push_back(cur);
          cur = word;
        } else {
          cur = candidate;
        }
        if (j == std::u16string::npos) break;
        i = j + 1;
      }
      if (!line.empty()) wrapped.push_back(cur);
    }
    lines = wrapped;
  }
  if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) {
    for (auto& line : lines) {
      if (Advance(f, line) <= width) continue;
      bool path = (format & DT_PATH_ELLIPSIS) && !(format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS));
      std::u16string keep = line;
      while (!keep.empty()) {
        if (path) keep.erase(0, 1);
        else keep.pop_back();
        std::u16string candidate = path ? u"..." + keep : keep + u"...";
        if (Advance(f, candidate) <= width) break;
      }
      line = path ? u"..." + keep : keep + u"...";
    }
  }
  return lines;
}

}  // namespace

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !rect || (!text && count != 0)) return 0;
  std::u16string s = TextOf(text, count);
  GDI_RECORD(*dc, "DrawTextW(\"" + ce::text::ToUtf8(s) + "\"," + std::to_string(format) + ")");
  if (dc->recorder && dc->recorder->keepPoints) dc->recorder->styles.back().box = *rect;
  const Font& f = *dc->st.font;
  const RECT box = Near(*rect);
  int width = box.right - box.left;
  std::vector<std::u16string> lines = LayOut(f, std::move(s), format, width);
  int line_height = CellHeight(f);
  int total = line_height * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const auto& line : lines) widest = std::max(widest, Round(Advance(f, line)));
    if (!(format & DT_WORDBREAK) || widest > width) rect->right = box.left + widest;
    rect->bottom = box.top + total;
    return total;
  }
  int y = box.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = box.top + (box.bottom - box.top - line_height) / 2;
    else if (format & DT_BOTTOM) y = box.bottom - line_height;
  }
  UINT saved_align = dc->st.text_align;
  dc->st.text_align = TA_TOP | TA_LEFT;
  const RECT* clip = (format & DT_NOCLIP) ? nullptr : &box;
  for (const auto& line : lines) {
    int w = Round(Advance(f, line));
    int x = box.left;
    if (format & DT_CENTER) x = box.left + (width - w) / 2;
    else if (format & DT_RIGHT) x = box.right - w;
    DrawRun(*dc, x, y, line, nullptr, nullptr, clip);
    y += line_height;
  }
  dc->st.text_align = saved_align;
  return (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? y - box.top : total;
}

namespace {

// The device's own font faces, in the order it lists them. The drawing maps each to an installed
// face; the host's families are never listed, as a program would store their names for the device.
constexpr const char16_t* kDeviceFaces[] = {u"Courier New", u"Tahoma"};

int EnumFamilies(HDC hdc, LPCWSTR face, FONTENUMPROCW proc, LPARAM data) {
  if (!proc) return 0;
  std::string wanted = face ? Lower(ce::text::ToUtf8(ce::text::WideView(face))) : "";
  int result = 1;
  for (const char16_t* family : kDeviceFaces) {
    std::u16string wide(family);
    if (!wanted.empty() && Lower(ce::text::ToUtf8(wide)) != wanted) continue;
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::size_t n = std::min<std::size_t>(wide.size(), LF_FACESIZE - 1);
    std::copy_n(wide.begin(), n, lf.lfFaceName);
    TEXTMETRICW tm{};
    HFONT font = CreateFontIndirectW(&lf);
    HDC probe = hdc ? hdc : CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(probe, font);
    GetTextMetricsW(probe, &tm);
    SelectObject(probe, old);
    if (!hdc) DeleteDC(probe);
    DeleteObject(font);
    result = proc(&lf, &tm, 4 /* TrueType */, data);
    if (!result) break;
  }
  return result;
}

}  // namespace

int EnumFontsW(HDC hdc, LPCWSTR face, FONTENUMPROCW proc, LPARAM data) { return EnumFamilies(hdc, face, proc, data); }
int EnumFontFamiliesW(HDC hdc, LPCWSTR family, FONTENUMPROCW proc, LPARAM data) {
  return EnumFamilies(hdc, family, proc, data);
}
