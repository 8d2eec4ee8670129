// The main window's painting: the skin's background, the power and signal images, the battery and
// signal bars (gradient or image fill with the percentage), the debug line, the title text and
// the place line under the location button.
#include <algorithm>
#include <atomic>

#include "platform/gdi/gdi.h"
#include "platform/text/format.h"
#include "velomar/core/Config.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/managers/Mgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/ui/ButtonOwnCurrentLocation.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

namespace {

std::atomic<void (*)()> g_shownPaintHook{nullptr};

HFONT MakeFont(int height, int weight, const std::u16string& face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
  std::copy_n(face.data(), n, lf.lfFaceName);
  return CreateFontIndirectW(&lf);
}

// The size of a bitmap; throws "ERROR BITMAP INFO" when it cannot be read.
BITMAP BitmapInfo(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) == 0)
    throw CBaseException(u"%s", CTranslator::GetInstance()->GetText(u"ERROR BITMAP INFO").c_str());
  return info;
}

COLOR16 Channel(int value) { return static_cast<COLOR16>((value & 0xFF) << 8); }

// A skin may place an image or a bar anywhere, up to the limits of its numbers: the rectangle is
// worked out wide and kept within one window's size around the window, so that nothing computed
// from it can overflow (what lies further out is not seen either way).
RECT KeptNearWindow(const RECT& client, long long left, long long top, long long right, long long bottom) {
  const long long margin = std::max<long long>({client.right - client.left, client.bottom - client.top, 1});
  const auto keep = [margin](long long value, long long low, long long high) {
    return static_cast<LONG>(std::clamp(value, low - margin, high + margin));
  };
  return RECT{keep(left, client.left, client.right), keep(top, client.top, client.bottom),
              keep(right, client.left, client.right), keep(bottom, client.top, client.bottom)};
}

// Ends the paint on every way out.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : m_hwnd(hwnd) { m_hdc = BeginPaint(hwnd, &m_ps); }
  ~PaintScope() { EndPaint(m_hwnd, &m_ps); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return m_hdc; }

 private:
  HWND m_hwnd;
  PAINTSTRUCT m_ps{};
  HDC m_hdc = nullptr;
};

// An image drawn at a rectangle leaving out its key colour.
void DrawKeyed(HDC hdc, HBITMAP bitmap, const BITMAP& info, const RECT& at, COLORREF key) {
  TransparentImage(hdc, at.left, at.top, at.right - at.left, at.bottom - at.top, bitmap, 0, 0, info.bmWidth,
                   info.bmHeight, key);
}

}  // namespace

void CWindowMain::SetShownPaintHook(void (*hook)()) { g_shownPaintHook = hook; }

LRESULT CWindowMain::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  {
    PaintScope paint(hwnd);
    HDC hdc = paint.dc();
    SetBkMode(hdc, TRANSPARENT);
    RECT client{};
    GetClientRect(hwnd, &client);

    // 1. The skin's background.
    if (!m_backgroundImage.m_text.empty()) {
      HBITMAP background = CButtonOwnDrawImage::LoadImage(m_backgroundImage.m_text);
      const BITMAP info = BitmapInfo(background);
      HDC src = CreateCompatibleDC(hdc);
      HGDIOBJ old = SelectObject(src, background);
      const ThemePosition& p = m_backgroundImage.m_position;
      StretchBlt(hdc, p.x, p.y, p.cx, p.cy, src, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
      SelectObject(src, old);
      DeleteDC(src);
    }

    // 2. The power image: on external power the "AC" one.
    CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance();
    const bool external = phone && phone->IsExternalPower() != 0;
    const CTextHolder& power_record = external && !m_batteryBar.m_acImage.m_text.empty() ? m_batteryBar.m_acImage
                                                                                          : m_batteryBar.m_batteryImage;
    HBITMAP power = CButtonOwnDrawImage::LoadImage(power_record.m_text);
    const BITMAP power_info = BitmapInfo(power);
    const int power_w = power_record.m_position.cx >= 0 ? power_record.m_position.cx : power_info.bmWidth;
    const int power_h = power_record.m_position.cy >= 0 ? power_record.m_position.cy : power_info.bmHeight;
    const ThemePosition& power_at = power_record.m_position;
    const RECT power_rect =
        power_at.x < 0 ? KeptNearWindow(client, 1, m_layoutTop - 1LL - power_h, 1LL + power_w, m_layoutTop - 1LL)
                       : KeptNearWindow(client, power_at.x, power_at.y, 1LL * power_at.x + power_w,
                                        1LL * power_at.y + power_h);
    DrawKeyed(hdc, power, power_info, power_rect,
              IsGiven(power_record.m_rgb) ? ToColorRef(power_record.m_rgb) : RGB(255, 255, 255));
    {
      std::lock_guard<std::mutex> lock(m_rectLock);
      m_powerRect = power_rect;
    }

    // 3. The signal image.
    const CTextHolder& signal_record = m_signalBar.m_signalImage;
    HBITMAP signal = CButtonOwnDrawImage::LoadImage(signal_record.m_text);
    const BITMAP signal_info = BitmapInfo(signal);
    const int signal_w = signal_record.m_position.cx >= 0 ? signal_record.m_position.cx : signal_info.bmWidth;
    const int signal_h = signal_record.m_position.cy >= 0 ? signal_record.m_position.cy : signal_info.bmHeight;
    const ThemePosition& signal_at = signal_record.m_position;
    m_signalRect = signal_at.x < 0 ? KeptNearWindow(client, client.right - 1LL - signal_w, m_layoutTop - 1LL - signal_h,
                                                    client.right - 1LL, m_layoutTop - 1LL)
                                   : KeptNearWindow(client, signal_at.x, signal_at.y, 1LL * signal_at.x + signal_w,
                                                    1LL * signal_at.y + signal_h);
    DrawKeyed(hdc, signal, signal_info, m_signalRect,
              IsGiven(signal_record.m_rgb) ? ToColorRef(signal_record.m_rgb) : RGB(255, 255, 255));

    CRilMgr* ril = CRilMgr::GetInstance();
    // 4. The battery bar.
    PaintBar(hdc, m_batteryBar, power_record, ril ? ril->GetBatteryPercent() : 0, false, m_batteryBarRect);
    // 5. The debug line to the right of the power image.
    m_debugRect = RECT{power_rect.right + 1, power_rect.top, power_rect.right + 151, power_rect.bottom - 15};
    DrawDebugInfo(hdc);
    // 6. The signal bar along the right edge.
    PaintBar(hdc, m_signalBar, signal_record, ril ? ril->GetSignalPercent() : 0, true, m_signalBarRect);
    // 7. The title text.
    DrawTitleText(hdc);
    // 8. The place line: the place and the period the location button works out.
    if (m_locationButton) {
      // No period in force: the place alone, without a dash hanging after it.
      const std::u16string frame = m_locationButton->GetFrameText();
      const std::u16string text = m_locationButton->GetPlaceName() + (frame.empty() ? u"" : u" - " + frame);
      const ThemePosition& p = m_downText.m_position;
      RECT rect{};
      HFONT font = nullptr;
      if (p.x == -1) {
        RECT button{};
        GetWindowRect(m_locationButton->GetHwnd(), &button);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&button), 2);
        rect = button;
        font = MakeFont(16, 700, u"Tahoma");
      } else {
        rect = RECT{p.x, p.y, p.x + p.cx, p.y + p.cy};
        const CFontDescription& f = m_downText.m_font;
        font = MakeFont(f.m_size >= 0 ? f.m_size : 12, f.m_weight >= 0 ? f.m_weight : 700,
                        f.m_family.empty() ? u"Tahoma" : f.m_family);
      }
      HGDIOBJ old_font = SelectObject(hdc, font);
      COLORREF old_colour = SetTextColor(hdc, IsGiven(m_downText.m_font.m_rgb) ? ToColorRef(m_downText.m_font.m_rgb)
                                                                               : RGB(0, 0, 0));
      DrawTextW(hdc, text.c_str(), -1, &rect, DT_CENTER);
      SetTextColor(hdc, old_colour);
      SelectObject(hdc, old_font);
      DeleteObject(font);
    }
  }
  // The first paint of the shown window, with its buttons drawn too.
  if (!m_shownPaintDone && IsWindowVisible(hwnd)) {
    if (void (*hook)() = g_shownPaintHook.load()) {
      m_shownPaintDone = true;
      for (CButtonOwnDrawImage* button : m_buttonList)
        if (button) UpdateWindow(button->GetHwnd());
      hook();
    }
  }
  return 0;
}

void CWindowMain::PaintBar(HDC hdc, const CBarConfigXML& bar, const CTextHolder& image_record, int percent,
                           bool right_edge, RECT& stored) {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  HBITMAP image = CButtonOwnDrawImage::LoadImage(image_record.m_text);
  const BITMAP info = BitmapInfo(image);
  const int image_w = image_record.m_position.cx >= 0 ? image_record.m_position.cx : info.bmWidth;
  const int image_h = image_record.m_position.cy >= 0 ? image_record.m_position.cy : info.bmHeight;
  long long left = 0, top = 0, right = 0, bottom = 0;
  if (bar.m_position.x >= 0) {
    left = bar.m_position.x;
    top = bar.m_position.y;
    right = left + bar.m_position.cx;
    bottom = top + bar.m_position.cy;
  } else if (right_edge) {
    left = client.right - 1LL - image_w;
    top = 1;
    right = client.right - 1LL;
    bottom = m_layoutTop - 2LL - image_h;
  } else {
    left = 1;
    top = 1;
    right = image_w;
    bottom = m_layoutTop - 2LL - image_h;
  }
  const RECT rect = KeptNearWindow(client, left, top, right, bottom);
  stored = rect;

  HPEN pen = nullptr;
  if (bar.m_border && bar.m_borderWidth >= 0 && IsGiven(bar.m_borderRgb))
    pen = CreatePen(PS_SOLID, bar.m_borderWidth, ToColorRef(bar.m_borderRgb));
  HGDIOBJ old_pen = SelectObject(hdc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
  HGDIOBJ old_brush = SelectObject(hdc, GetStockObject(HOLLOW_BRUSH));
  Rectangle(hdc, rect.left, rect.top, rect.right, rect.bottom);

  // The filled part, from the bottom, proportional to the percentage.
  const int shown = std::clamp(percent, 0, 100);
  const RECT inside{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  const int inside_h = std::max<int>(inside.bottom - inside.top, 0);
  const int filled = inside_h * shown / 100;
  if (filled > 0 && inside.right > inside.left) {
    if (bar.m_barImage.m_text.empty()) {
      const ThemeRgb begin = IsGiven(bar.m_gradientBegin) ? bar.m_gradientBegin : ThemeRgb{0, 200, 0};
      const ThemeRgb end = IsGiven(bar.m_gradientEnd) ? bar.m_gradientEnd : ThemeRgb{200, 0, 0};
      TRIVERTEX vertices[2] = {
          {inside.left, inside.bottom - filled, Channel(begin.r), Channel(begin.g), Channel(begin.b), 0},
          {inside.right, inside.bottom, Channel(end.r), Channel(end.g), Channel(end.b), 0}};
      GRADIENT_RECT mesh{0, 1};
      GradientFill(hdc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
    } else {
      HBITMAP fill = CButtonOwnDrawImage::LoadImage(bar.m_barImage.m_text);
      const BITMAP fill_info = BitmapInfo(fill);
      const int part = fill_info.bmHeight * shown / 100;
      HDC src = CreateCompatibleDC(hdc);
      HGDIOBJ old = SelectObject(src, fill);
      StretchBlt(hdc, inside.left, inside.bottom - filled, inside.right - inside.left, filled, src, 0,
                 fill_info.bmHeight - part, fill_info.bmWidth, part, SRCCOPY);
      SelectObject(src, old);
      DeleteDC(src);
    }
  }
  SelectObject(hdc, old_brush);
  SelectObject(hdc, old_pen);
  if (pen) DeleteObject(pen);

  HFONT font = MakeFont(12, 700, u"Tahoma");
  HGDIOBJ old_font = SelectObject(hdc, font);
  const ThemeRgb& colour = IsGiven(bar.m_percentage.m_font.m_rgb) ? bar.m_percentage.m_font.m_rgb : bar.m_font.m_rgb;
  COLORREF old_colour = SetTextColor(hdc, IsGiven(colour) ? ToColorRef(colour) : RGB(0, 0, 0));
  const std::u16string text = ce::text::Format(u"%d", percent);
  RECT text_rect{rect.left - 10, (rect.top + rect.bottom) / 2 - 7, rect.right + 10, (rect.top + rect.bottom) / 2 + 8};
  DrawTextW(hdc, text.c_str(), -1, &text_rect, DT_CENTER);
  SetTextColor(hdc, old_colour);
  SelectObject(hdc, old_font);
  DeleteObject(font);
}

void CWindowMain::DrawTitleText(HDC hdc) {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  RECT band{30, 5, client.right - 30, 40};
  HFONT font = MakeFont(16, 700, u"Tahoma");
  HGDIOBJ old = SelectObject(hdc, font);
  DrawTextW(hdc, m_titleText.c_str(), -1, &band, DT_CENTER);
  SelectObject(hdc, old);
  DeleteObject(font);
}

void CWindowMain::DrawDebugInfo(HDC hdc) {
  if (CConfig::GetInstance()->GetDWORD(u"debug_info") != 1) return;
  HDC dc = hdc;
  HFONT font = nullptr;
  HGDIOBJ old_font = nullptr;
  if (!dc) {
    if (!m_hwnd) return;
    dc = GetDC(m_hwnd);
    font = MakeFont(12, 700, u"Tahoma");
    old_font = SelectObject(dc, font);
  }
  std::u16string text = ce::text::Format(u"%d-%d-%d[%02d-%02d:%02d:%02d]", m_pendingTotal, m_executedTotal,
                                         m_thirdCounter, int{m_debugTime.wDay}, int{m_debugTime.wHour},
                                         int{m_debugTime.wMinute}, int{m_debugTime.wSecond});
  if (text.size() > 19) text.resize(19);  // the line's 20-character buffer
  HGDIOBJ old_brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, m_debugRect.left, m_debugRect.top, m_debugRect.right, m_debugRect.bottom);
  SetBkMode(dc, TRANSPARENT);
  RECT rect = m_debugRect;
  DrawTextW(dc, text.c_str(), -1, &rect, DT_CENTER);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  if (font) {
    SelectObject(dc, old_font);
    DeleteObject(font);
    ReleaseDC(m_hwnd, dc);
  }
}

LRESULT CWindowMain::RefreshNotificationsDebugInfo() {
  DrawDebugInfo(nullptr);
  CMgr::RefreshAll();
  if (CRilMgr* ril = CRilMgr::GetInstance()) ril->RefreshMainWindow();
  return 0;
}

void CWindowMain::UpdateNotificationsDebugInfo() { Trace(0, u"CWindowMain::UpdateNotificationsDebugInfo()"); }

LRESULT CWindowMain::OnWorkersPending(WPARAM total) {
  m_pendingTotal = static_cast<int>(total);
  DrawDebugInfo(nullptr);
  return 0;
}

LRESULT CWindowMain::OnWorkersExecuted(WPARAM total) {
  m_executedTotal = static_cast<int>(total);
  DrawDebugInfo(nullptr);
  return 0;
}
