#include "velomar/ui/ButtonOwnCurrentLocation.h"

#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/text/format.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

namespace {

CTranslator* Tr() { return CTranslator::GetInstance(); }

HFONT MakeFont(const CFontDescription& font, int default_height) {
  LOGFONTW lf{};
  lf.lfHeight = font.m_size >= 0 ? font.m_size : default_height;
  lf.lfWeight = font.m_weight >= 0 ? font.m_weight : 700;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  const std::u16string face = font.m_family.empty() ? u"Tahoma" : font.m_family;
  const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
  std::copy_n(face.data(), n, lf.lfFaceName);
  return CreateFontIndirectW(&lf);
}

// The theme's rectangle of a text when it gives one, else `fallback`.
RECT TextRect(const CButtonText& text, RECT fallback) {
  if (text.m_id.empty()) return fallback;
  const ThemePosition& p = text.m_position;
  return RECT{p.x, p.y, p.x + p.cx, p.y + p.cy};
}

}  // namespace

CButtonOwnCurrentLocation::CButtonOwnCurrentLocation(CBaseWindow* parent, const WCHAR* caption, int id,
                                                     HINSTANCE instance)
    : CButtonOwnDrawImage(parent, 0, 0, 60, 60, instance, nullptr, nullptr, nullptr, nullptr, nullptr, caption, id, 1,
                          true, 0, 5, nullptr) {
  m_listenerName = u"CButtonOwnCurrentLocation";
  m_autolocate = false;
}

void CButtonOwnCurrentLocation::GetConfigFromXMLChild() {
  CSkin* skin = CSkin::GetInstance();
  skin->ReadTextHolder(m_placeImage, Child(u"./image[@id='place']"));
  skin->ReadTextHolder(m_backgroundImage, Child(u"./image[@id='background']"));
  skin->ReadLabel(m_lacText, Child(u"./ButtonText[@id='lac_id']"));
  skin->ReadLabel(m_cellText, Child(u"./ButtonText[@id='cell_id']"));
  skin->ReadLabel(m_modeText, Child(u"./ButtonText[@id='mode']"));
  skin->ReadLabel(m_lockText, Child(u"./ButtonText[@id='lock']"));
}

void CButtonOwnCurrentLocation::LoadImagesChild() {
  m_fallbackBitmap = LoadImage(u"unknown.png");
  if (!m_fallbackBitmap) throw CBaseException(u"%s %s", Tr()->GetText(u"ERROR LOADING").c_str(), u"unknown.png");
  m_placeBitmap = m_fallbackBitmap;
}

void CButtonOwnCurrentLocation::StatusChanged(int, int, int) {
  CRilMgr* ril = CRilMgr::GetInstance();
  if (!ril) return;
  const DWORD lac = ril->GetLac();
  const DWORD cell = ril->GetCellId();
  if (lac == m_lac.load() && cell == m_cellId.load()) return;
  m_lac = lac;
  m_cellId = cell;
  RefreshPlace();
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void CButtonOwnCurrentLocation::RefreshPlace() {
  CScheduleEngine* engine = CScheduleEngine::GetExisting();
  CRilMgr* ril = CRilMgr::GetInstance();
  CDB* db = CDB::GetInstance();
  CStrPlace place;
  if (engine && engine->IsLocked()) {
    place = engine->GetCurrentPlace();
  } else if (db && db->GetPlacesTable() && db->GetLocationTable()) {
    std::lock_guard<std::recursive_mutex> lock(db->GetLock());
    std::unique_ptr<CStrLocation> location = CreateLocationRecord();
    const DWORD key = ril && ril->UseCellId() ? m_cellId.load() : m_lac.load();
    int place_key = 0;
    if (key == 0) {
      place_key = static_cast<int>(CConfig::GetInstance()->GetDWORD(u"last_place"));
    } else {
      location->SetValue(static_cast<int>(key));
      if (db->GetLocationTable()->FindAndFill(*location)) {
        place_key = location->GetPlace();
        place.SetIdPlace(place_key);
        if (!db->GetPlacesTable()->FindAndFill(place)) {
          // A location whose place is gone: reported, and the default place shown.
          ProcesarError(u"%s", Tr()->GetFormatted(u"LAC ASSIGNED BUT NO PLACE", location->GetValue(), place_key).c_str());
          place_key = 0;
        }
      }
    }
    place.Reset();
    place.SetIdPlace(place_key);
    if (!db->GetPlacesTable()->FindAndFill(place)) place.SetIdPlace(place_key);
  }
  std::u16string frame;
  CStrPeriod period;
  if (engine && engine->GetCurrentFrame(period)) {
    const SYSTEMTIME begin = period.GetBegin();
    const SYSTEMTIME end = period.GetEnd();
    frame = ce::text::Format(u"%s(%02d:%02d-%02d:%02d)", period.GetName().c_str(), int{begin.wHour},
                             int{begin.wMinute}, int{end.wHour}, int{end.wMinute});
    if (frame.size() > 49) frame.resize(49);
  }
  {
    std::lock_guard<std::mutex> lock(m_placeLock);
    m_place = place;
    m_placeName = place.GetName();
    m_frameText = frame;
  }
  if (auto* window = dynamic_cast<CWindowMain*>(m_parent)) window->SetCurrentPlaceAndFrame(place.GetName(), frame);
}

CStrPlace CButtonOwnCurrentLocation::GetPlace() {
  std::lock_guard<std::mutex> lock(m_placeLock);
  return m_place;
}

std::u16string CButtonOwnCurrentLocation::GetPlaceName() {
  std::lock_guard<std::mutex> lock(m_placeLock);
  return m_placeName;
}

std::u16string CButtonOwnCurrentLocation::GetFrameText() {
  std::lock_guard<std::mutex> lock(m_placeLock);
  return m_frameText;
}

std::u16string CButtonOwnCurrentLocation::GetTextStatus() {
  const CStrPlace place = GetPlace();
  const std::u16string& name = place.GetName();
  const std::size_t n = std::min<std::size_t>(name.size(), 98);
  std::copy_n(name.data(), n, m_caption);
  m_caption[n] = 0;
  CScheduleEngine* engine = CScheduleEngine::GetExisting();
  CStrPeriod period;
  if (engine && engine->FindFrameNow(period, place.GetIdPlace())) return period.GetName();
  return std::u16string();
}

HBITMAP CButtonOwnCurrentLocation::GetPlaceImage(bool, int& cx, int& cy, int& x, int& y) {
  RefreshPlace();
  const CStrPlace place = GetPlace();
  HBITMAP bitmap = place.GetImage().empty() ? nullptr : LoadImage(place.GetImage());
  if (!bitmap) {
    ProcesarError(u"%s", Tr()->GetFormatted(u"ERROR CURRENT PLACE NOT FOUND", place.GetImage().c_str()).c_str());
    bitmap = m_fallbackBitmap;
  }
  m_placeBitmap = bitmap;
  cx = m_placeImage.m_position.cx;
  cy = m_placeImage.m_position.cy;
  x = m_placeImage.m_position.x;
  y = m_placeImage.m_position.y;
  return bitmap;
}

void CButtonOwnCurrentLocation::Draw(const DRAWITEMSTRUCT* item) {
  if (!item) return;
  const bool focused = (item->itemState & ODS_FOCUS) != 0;
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  const RECT rc = item->rcItem;
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;

  HPEN pen1 = CreatePen(PS_SOLID, 1, RGB(100, 100, 200));
  HPEN pen2 = CreatePen(PS_SOLID, 3, RGB(29, 184, 226));
  HBRUSH brush1 = CreateSolidBrush(RGB(150, 150, 255));
  HBRUSH brush2 = CreateSolidBrush(RGB(100, 100, 150));
  HBRUSH brush3 = CreateSolidBrush(RGB(200, 255, 255));
  HPEN themed_pen = nullptr;
  HBRUSH themed_brush = nullptr;
  bool themed = false;
  ChoosePenAndBrush(focused, pressed, themed_pen, themed_brush, themed);

  HDC mem = CreateCompatibleDC(item->hDC);
  HBITMAP off_screen = CreateBitmap(std::max<LONG>(rc.right, 1), std::max<LONG>(rc.bottom, 1), 1, 16, nullptr);
  HGDIOBJ old_bitmap = SelectObject(mem, off_screen);
  BitBlt(mem, 0, 0, rc.right, rc.bottom, item->hDC, 0, 0, SRCCOPY);
  HFONT font = MakeFont(m_font, 12);
  HGDIOBJ old_font = SelectObject(mem, font);

  HPEN pen = pen1;
  HBRUSH brush = brush1;
  if (m_transparent && !pressed) brush = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  if (focused) {
    pen = pressed ? pen1 : pen2;
    brush = pressed ? brush2 : brush3;
    DrawStatusText(mem);
  }
  if (themed) {
    pen = themed_pen;
    brush = themed_brush;
  }
  HGDIOBJ old_pen = SelectObject(mem, m_border ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
  HGDIOBJ old_brush = SelectObject(mem, brush);
  Rectangle(mem, 0, 0, rc.right, rc.bottom);

  if (!m_backgroundImage.m_text.empty()) {
    if (HBITMAP background = LoadImage(m_backgroundImage.m_text)) {
      BITMAP info{};
      if (GetObjectW(background, sizeof(info), &info) != 0) {
        HDC src = CreateCompatibleDC(mem);
        HGDIOBJ old = SelectObject(src, background);
        const ThemePosition& p = m_backgroundImage.m_position;
        StretchBlt(mem, p.x, p.y, p.cx, p.cy, src, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(src, old);
        DeleteDC(src);
      }
    }
  }

  // The memory DC's selections put back, the DC and every object made for this drawing freed.
  const auto release = [&] {
    SelectObject(mem, old_brush);
    SelectObject(mem, old_pen);
    SelectObject(mem, old_font);
    SelectObject(mem, old_bitmap);
    DeleteDC(mem);
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(off_screen), static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(pen1),
                      static_cast<HGDIOBJ>(pen2), static_cast<HGDIOBJ>(brush1), static_cast<HGDIOBJ>(brush2),
                      static_cast<HGDIOBJ>(brush3), static_cast<HGDIOBJ>(themed_pen), static_cast<HGDIOBJ>(themed_brush)})
      if (o) DeleteObject(o);
  };

  int cx = -1, cy = -1, x = -1, y = -1;
  HBITMAP place_bitmap = GetPlaceImage(pressed, cx, cy, x, y);
  BITMAP info{};
  if (!place_bitmap || GetObjectW(place_bitmap, sizeof(info), &info) == 0) {
    release();
    throw CBaseException(u"%s", Tr()->GetText(u"ERROR BITMAP INFO").c_str());
  }
  const int w = cx >= 0 ? cx : info.bmWidth;

  // The four texts.
  CScheduleEngine* engine = CScheduleEngine::GetExisting();
  const bool locked = engine && engine->IsLocked();
  CRilMgr* ril = CRilMgr::GetInstance();
  const bool cell_mode = ril && ril->UseCellId() != 0;
  SetBkMode(mem, TRANSPARENT);
  const std::u16string lac_line =
      locked ? Tr()->GetText(u"LAC LOCKED") : Tr()->GetText(u"LAC INTRO") + ce::text::Format(u"%u", m_lac.load());
  const std::u16string cell_line = locked ? Tr()->GetText(u"CELL LOCKED")
                                          : Tr()->GetText(u"CELL INTRO") + ce::text::Format(u"%u", m_cellId.load());
  struct Line {
    std::u16string text;
    COLORREF colour;
    RECT rect;
  };
  const Line lines[] = {
      {lac_line, cell_mode ? RGB(0, 0, 0) : RGB(255, 0, 0),
       TextRect(m_lacText, RECT{2, 2, width / 2 - w / 2 - 3, height / 2})},
      {cell_line, cell_mode ? RGB(255, 0, 0) : RGB(0, 0, 0),
       TextRect(m_cellText, RECT{2, height / 2, width / 2 - w / 2 - 3, height})},
      {Tr()->GetText(cell_mode ? u"CELL MODE" : u"LAC MODE"), RGB(0, 0, 0),
       TextRect(m_modeText, RECT{width / 2 + w / 2 + 3, 2, width - 3, height - 2})},
      {Tr()->GetText(locked ? u"LOCK ON" : u"LOCK OFF"), RGB(0, 0, 0),
       TextRect(m_lockText, RECT{width / 2 + w / 2 + 3, height / 2, width - 3, height})},
  };
  for (const Line& line : lines) {
    RECT r = line.rect;
    SetTextColor(mem, line.colour);
    DrawTextW(mem, line.text.c_str(), -1, &r, DT_CENTER);
  }
  m_lineText = cell_line;

  int r = -1, g = -1, b = -1;
  if (IsGiven(m_placeImage.m_rgb)) {
    r = m_placeImage.m_rgb.r;
    g = m_placeImage.m_rgb.g;
    b = m_placeImage.m_rgb.b;
  }
  DrawImage(mem, place_bitmap, rc, cx, cy, x, y, r, g, b);
  if (focused) {
    DrawOverlay(mem, rc);
    if (pressed) DrawOverlay(mem, rc);
  }
  BitBlt(item->hDC, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);

  release();
}
