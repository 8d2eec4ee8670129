#include "velomar/ui/ButtonOwnDrawImage.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/gdi.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/managers/Mgr.h"
#include "velomar/ui/BaseWindow.h"
#include "velomar/ui/DomHelpers.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

using velomar::ui::Attribute;
using velomar::ui::IntAttribute;
using velomar::ui::Ref;
using velomar::ui::SelectElement;

namespace {

WNDPROC g_buttonProc = nullptr;  // the BUTTON class's procedure, saved from the first button window

CTranslator* Tr() { return CTranslator::GetInstance(); }

// GDI objects made while painting, deleted on every way out (after the DCs let them go).
class GdiScope {
 public:
  GdiScope() = default;
  GdiScope(const GdiScope&) = delete;
  GdiScope& operator=(const GdiScope&) = delete;
  ~GdiScope() {
    for (auto& [dc, old] : m_selected) SelectObject(dc, old);
    for (HDC dc : m_dcs) DeleteDC(dc);
    for (HGDIOBJ object : m_objects) DeleteObject(object);
  }
  template <class T>
  T Keep(T object) {
    if (object) m_objects.push_back(object);
    return object;
  }
  HDC KeepDC(HDC dc) {
    if (dc) m_dcs.push_back(dc);
    return dc;
  }
  // Selects `object` into `dc`, restoring the DC's first object at the end.
  void Select(HDC dc, HGDIOBJ object) {
    HGDIOBJ old = SelectObject(dc, object);
    if (std::none_of(m_selected.begin(), m_selected.end(), [&](const auto& s) { return s.first == dc && GetObjectType(s.second) == GetObjectType(old); }))
      m_selected.emplace_back(dc, old);
  }

 private:
  std::vector<HDC> m_dcs;
  std::vector<HGDIOBJ> m_objects;
  std::vector<std::pair<HDC, HGDIOBJ>> m_selected;
};

// The size of a bitmap; throws "ERROR BITMAP INFO" when it cannot be read.
BITMAP BitmapInfo(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) == 0)
    throw CBaseException(u"%s", Tr()->GetText(u"ERROR BITMAP INFO").c_str());
  return info;
}

// The key colour of a transparent image: the record's colour, else the bitmap's pixel (1, 1).
COLORREF KeyColour(HBITMAP bitmap, HDC compatible, int r, int g, int b) {
  if (r >= 0) return RGB(r, g, b);
  HDC dc = CreateCompatibleDC(compatible);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF key = GetPixel(dc, 1, 1);
  SelectObject(dc, old);
  DeleteDC(dc);
  return key;
}

// Copies (or stretches) the whole bitmap into the rectangle, plainly or leaving the key colour out.
void Blit(HDC dest, int x, int y, int cx, int cy, HBITMAP bitmap, const BITMAP& info, bool transparent, COLORREF key) {
  if (cx <= 0 || cy <= 0) return;
  if (transparent) {
    TransparentImage(dest, x, y, cx, cy, bitmap, 0, 0, info.bmWidth, info.bmHeight, key);
    return;
  }
  HDC src = CreateCompatibleDC(dest);
  HGDIOBJ old = SelectObject(src, bitmap);
  if (cx == info.bmWidth && cy == info.bmHeight)
    BitBlt(dest, x, y, cx, cy, src, 0, 0, SRCCOPY);
  else
    StretchBlt(dest, x, y, cx, cy, src, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
}

void CopyName(LOGFONTW& lf, const std::u16string& face) {
  const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
  std::copy_n(face.data(), n, lf.lfFaceName);
  lf.lfFaceName[n] = 0;
}

HFONT MakeFont(int height, int weight, const std::u16string& face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  CopyName(lf, face);
  return CreateFontIndirectW(&lf);
}

}  // namespace

CButtonOwnDrawImage::CButtonOwnDrawImage(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance,
                                         const WCHAR* off_unpressed, const WCHAR* off_pressed, const WCHAR* on_pressed,
                                         const WCHAR* on_unpressed, const WCHAR* disabled, const WCHAR* caption, int id,
                                         int image_mode, bool transparent, int creator_value, int margin,
                                         const WCHAR* overlay)
    : m_parent(parent),
      m_position{x, y, cx, cy},
      m_instance(instance),
      m_margin(margin),
      m_id(id),
      m_imageMode(image_mode),
      m_transparent(transparent),
      m_creatorValue(creator_value) {
  if (caption) {
    std::size_t n = 0;
    while (n < 98 && caption[n]) ++n;
    std::copy_n(caption, n, m_caption);
    m_caption[n] = 0;
  }
  auto name = [](const WCHAR* file) { return file ? std::u16string(file) : std::u16string(); };
  m_imgOffUnpressed.m_text = name(off_unpressed);
  m_imgOffPressed.m_text = name(off_pressed);
  m_imgOnPressed.m_text = name(on_pressed);
  m_imgOnUnpressed.m_text = name(on_unpressed);
  m_imgDisabled.m_text = name(disabled);
  m_imgOverlay.m_text = name(overlay);
}

CButtonOwnDrawImage::~CButtonOwnDrawImage() {
  if (m_node) m_node->Release();
  // A manager that is gone has left the manager list; one still there must not call this
  // button again.
  if (m_manager && CMgr::GetMgr(m_managerId) == m_manager) m_manager->RemoveStatusListener(this);
}

void CButtonOwnDrawImage::ListenTo(CMgr* manager) {
  if (!manager) return;
  if (m_manager && CMgr::GetMgr(m_managerId) == m_manager) m_manager->RemoveStatusListener(this);
  m_manager = manager;
  m_managerId = manager->GetId();
  manager->AddStatusListener(this);
}

void CButtonOwnDrawImage::StopListening() {
  if (m_manager && CMgr::GetMgr(m_managerId) == m_manager) m_manager->RemoveStatusListener(this);
  m_manager = nullptr;
}

void CButtonOwnDrawImage::StatusChanged(int status, int, int) {
  const int previous = m_status.exchange(status);
  if (previous == -1 && status != -1) EnableWindow(m_hwnd, TRUE);
  if (status == -1) EnableWindow(m_hwnd, FALSE);
  StatusChangedChild();
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

IXMLDOMElement* CButtonOwnDrawImage::Child(const std::u16string& query) { return SelectElement(m_node, query); }

void CButtonOwnDrawImage::ReadImage(const std::u16string& query, CTextHolder& image) {
  CSkin::GetInstance()->ReadTextHolder(image, Child(query));
}

void CButtonOwnDrawImage::GetConfigFromXML() {
  if (m_themeId.empty()) return;
  CSkin* skin = CSkin::GetInstance();
  if (m_node) m_node->Release();
  m_node = skin->GetButtonNode(m_themeId);
  if (!m_node) return;
  skin->ReadPosition(m_position, Child(u"./position"));
  skin->ReadTextState(m_topText, Child(u"./TopTextSate"));
  ReadImage(u"./image[@id='on_pressed']", m_imgOnPressed);
  ReadImage(u"./image[@id='on_unpressed']", m_imgOnUnpressed);
  ReadImage(u"./image[@id='off_pressed']", m_imgOffPressed);
  ReadImage(u"./image[@id='off_unpressed']", m_imgOffUnpressed);
  ReadImage(u"./image[@id='disabled']", m_imgDisabled);
  ReadImage(u"./image[@id='overlay']", m_imgOverlay);
  static const char16_t* const kBorders[4] = {
      u"./state[@id='focused']/border_color[@id='pressed']", u"./state[@id='focused']/border_color[@id='unpressed']",
      u"./state[@id='not_focused']/border_color[@id='pressed']",
      u"./state[@id='not_focused']/border_color[@id='unpressed']"};
  for (int i = 0; i < 4; ++i) {
    Ref<IXMLDOMElement> border(Child(kBorders[i]));
    if (auto width = IntAttribute(border.get(), u"width")) m_looks[i].m_width = *width;
  }
  for (int i = 0; i < 4; ++i) skin->ReadRgb(m_looks[i].m_border, Child(std::u16string(kBorders[i]) + u"/rgb"));
  skin->ReadRgb(m_looks[0].m_brush, Child(u"./state[@id='focused']/brush[@id='pressed']/rgb"));
  skin->ReadRgb(m_looks[1].m_brush, Child(u"./state[@id='focused']/brush[@id='unpressed']/rgb"));
  skin->ReadRgb(m_looks[3].m_brush, Child(u"./state[@id='not_focused']/brush[@id='unpressed']/rgb"));
  skin->ReadRgb(m_looks[2].m_brush, Child(u"./state[@id='not_focused']/brush[@id='pressed']/rgb"));
  skin->ReadFont(m_font, Child(u"./font"));
  // Only the exact value "no" is false; an absent attribute keeps the value.
  if (auto v = Attribute(m_node, u"border")) m_border = *v != u"no";
  if (auto v = Attribute(m_node, u"text")) m_text = *v != u"no";
  if (auto v = Attribute(m_node, u"autolocate")) m_autolocate = *v != u"no";
  if (auto v = Attribute(m_node, u"transparent")) m_transparent = *v != u"no";
  GetConfigFromXMLChild();
  m_node->Release();
  m_node = nullptr;
}

HWND CButtonOwnDrawImage::Create() {
  GetConfigFromXML();
  return CreateButtonWindow();
}

HWND CButtonOwnDrawImage::CreateButtonWindow() {
  ce::controls::EnsureControlClasses();  // the device always has its BUTTON class
  HWND parent = m_parent ? m_parent->GetHwnd() : nullptr;
  m_hwnd = CreateWindowExW(0, u"BUTTON", u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, m_position.x, m_position.y,
                           m_position.cx, m_position.cy, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_id)), m_instance, nullptr);
  if (!m_hwnd) throw CBaseException(u"Error al invocar en CButtonOwnDrawImage::Create()");
  // The class procedure cannot go through SetWindowLongW here (a 32-bit value holds no host
  // pointer): the pointer-sized calls do the same.
  if (!g_buttonProc) g_buttonProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hwnd, GWL_WNDPROC));
  SetWindowLongPtrW(m_hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ButtonSubclassProc));
  if (m_status.load() == -1) EnableWindow(m_hwnd, FALSE);
  if (!m_parent) throw CBaseException(u"%s", Tr()->GetText(u"ERROR REGISTERING BUTTON").c_str());
  m_parent->RegisterButton(m_hwnd, this);
  const std::pair<HBITMAP*, const CTextHolder*> images[] = {
      {&m_offUnpressed, &m_imgOffUnpressed}, {&m_offPressed, &m_imgOffPressed}, {&m_onUnpressed, &m_imgOnUnpressed},
      {&m_onPressed, &m_imgOnPressed},       {&m_disabled, &m_imgDisabled},     {&m_overlay, &m_imgOverlay}};
  for (const auto& [bitmap, image] : images) {
    if (image->m_text.empty()) continue;
    *bitmap = LoadImage(image->m_text);
    if (!*bitmap) throw CBaseException(u"%s %s", Tr()->GetText(u"ERROR LOADING").c_str(), image->m_text.c_str());
  }
  LoadImagesChild();
  return m_hwnd;
}

LRESULT CButtonOwnDrawImage::ButtonSubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_KEYUP) PostMessageW(GetParent(hwnd), WM_KEYUP, wparam, lparam);
  return g_buttonProc ? CallWindowProcW(g_buttonProc, hwnd, msg, wparam, lparam)
                      : DefWindowProcW(hwnd, msg, wparam, lparam);
}

HBITMAP CButtonOwnDrawImage::Loaded(HBITMAP& bitmap, const CTextHolder& image) {
  if (!bitmap) bitmap = LoadImage(image.m_text);
  return bitmap;
}

void CButtonOwnDrawImage::CopyPlacement(const CTextHolder& image, int& cx, int& cy, int& x, int& y, int& r, int& g,
                                        int& b) {
  cx = image.m_position.cx;
  cy = image.m_position.cy;
  x = image.m_position.x;
  y = image.m_position.y;
  r = image.m_rgb.r;
  g = image.m_rgb.g;
  b = image.m_rgb.b;
}

HBITMAP CButtonOwnDrawImage::Off(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  const CTextHolder& image = pressed ? m_imgOffPressed : m_imgOffUnpressed;
  CopyPlacement(image, cx, cy, x, y, r, g, b);
  return Loaded(pressed ? m_offPressed : m_offUnpressed, image);
}

HBITMAP CButtonOwnDrawImage::On(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  const CTextHolder& image = pressed ? m_imgOnPressed : m_imgOnUnpressed;
  CopyPlacement(image, cx, cy, x, y, r, g, b);
  return Loaded(pressed ? m_onPressed : m_onUnpressed, image);
}

HBITMAP CButtonOwnDrawImage::Disabled(int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  CopyPlacement(m_imgDisabled, cx, cy, x, y, r, g, b);
  return Loaded(m_disabled, m_imgDisabled);
}

HBITMAP CButtonOwnDrawImage::GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g,
                                                int& b) {
  return m_status.load() == 0 ? Off(pressed, cx, cy, x, y, r, g, b) : On(pressed, cx, cy, x, y, r, g, b);
}

HBITMAP CButtonOwnDrawImage::GetImagesForStatusAs(int status, bool pressed, int& cx, int& cy, int& x, int& y, int& r,
                                                  int& g, int& b) {
  const int saved = m_status.exchange(status);
  HBITMAP bitmap = GetImagesForStatus(pressed, cx, cy, x, y, r, g, b);
  m_status = saved;
  return bitmap;
}

std::u16string CButtonOwnDrawImage::GetTextStatus() {
  return m_status.load() == -1 ? Tr()->GetText(u"DISABLED") : std::u16string();
}

void CButtonOwnDrawImage::ChoosePenAndBrush(bool focused, bool pressed, HPEN& pen, HBRUSH& brush, bool& themed) {
  themed = m_looks[0].m_width >= 0;  // the focused+pressed width switches the theme look on
  if (!themed) return;
  const StateLook& look = m_looks[focused ? (pressed ? 0 : 1) : (pressed ? 2 : 3)];
  pen = CreatePen(PS_SOLID, std::max(look.m_width, 0), ToColorRef(look.m_border));
  brush = CreateSolidBrush(ToColorRef(look.m_brush));
}

void CButtonOwnDrawImage::DrawImage(HDC hdc, HBITMAP bitmap, const RECT& rc, int cx, int cy, int x, int y, int r,
                                    int g, int b) {
  const BITMAP info = BitmapInfo(bitmap);
  const int width = info.bmWidth;
  const int height = info.bmHeight;
  const bool transparent = IsTransparent();
  const COLORREF key = transparent ? KeyColour(bitmap, hdc, r, g, b) : 0;
  if (m_imageMode == 0) {
    const int left = ((rc.right - width) - rc.left) / 2;
    const int top = transparent ? ((rc.bottom - height) - rc.top) / 2 : rc.top + 5;
    Blit(hdc, left, top, width, height, bitmap, info, transparent, key);
    return;
  }
  const int target_cx = cx >= 0 ? cx : rc.right - 2 * m_margin - rc.left;
  const int offset_x = cx >= 0 ? ((rc.right - rc.left) - cx) / 2 : m_margin;
  const int target_cy = cy >= 0 ? cy : rc.bottom - 2 * m_margin - rc.top;
  const int offset_y = cy >= 0 ? ((rc.bottom - rc.top) - cy) / 2 : m_margin;
  const int target_x = x >= 0 ? x : rc.left + offset_x;
  const int target_y = y >= 0 ? y : rc.top + offset_y;
  Blit(hdc, target_x, target_y, target_cx, target_cy, bitmap, info, transparent, key);
}

void CButtonOwnDrawImage::DrawOverlay(HDC hdc, const RECT& rc) {
  if (!m_overlay) return;
  const BITMAP info = BitmapInfo(m_overlay);
  const ThemePosition& p = m_imgOverlay.m_position;
  const int cx = p.cx >= 0 ? p.cx : info.bmWidth;
  const int cy = p.cy >= 0 ? p.cy : info.bmHeight;
  const int x = p.x >= 0 ? p.x : ((rc.right - rc.left) - cx) / 2;
  const int y = p.y >= 0 ? p.y : ((rc.bottom - rc.top) - cy) / 2;
  const ThemeRgb& c = m_imgOverlay.m_rgb;
  Blit(hdc, x, y, cx, cy, m_overlay, info, true, KeyColour(m_overlay, hdc, c.r, c.g, c.b));
}

void CButtonOwnDrawImage::Draw(const DRAWITEMSTRUCT* item) {
  if (!item) return;
  const RECT& rc = item->rcItem;
  Paint(item, 8, RECT{3, rc.bottom - 10, rc.right - 3, rc.bottom - 3}, true);
}

void CButtonOwnDrawImage::Paint(const DRAWITEMSTRUCT* item, int default_font_height, RECT caption_rect,
                                bool status_text) {
  const bool focused = (item->itemState & ODS_FOCUS) != 0;
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  const RECT rc = item->rcItem;
  GdiScope gdi;

  HPEN pen1 = gdi.Keep(CreatePen(PS_SOLID, 1, RGB(100, 100, 200)));
  HPEN pen2 = gdi.Keep(CreatePen(PS_SOLID, 3, RGB(29, 184, 226)));
  HBRUSH brush1 = gdi.Keep(CreateSolidBrush(RGB(150, 150, 255)));
  HBRUSH brush2 = gdi.Keep(CreateSolidBrush(RGB(100, 100, 150)));
  HBRUSH brush3 = gdi.Keep(CreateSolidBrush(RGB(200, 255, 255)));
  HPEN themed_pen = nullptr;
  HBRUSH themed_brush = nullptr;
  bool themed = false;
  ChoosePenAndBrush(focused, pressed, themed_pen, themed_brush, themed);
  gdi.Keep(themed_pen);
  gdi.Keep(themed_brush);

  // Off-screen: a 16-bit bitmap holding what the item context shows.
  HDC mem = gdi.KeepDC(CreateCompatibleDC(item->hDC));
  HBITMAP off_screen = gdi.Keep(CreateBitmap(std::max<LONG>(rc.right, 1), std::max<LONG>(rc.bottom, 1), 1, 16, nullptr));
  gdi.Select(mem, off_screen);
  BitBlt(mem, 0, 0, rc.right, rc.bottom, item->hDC, 0, 0, SRCCOPY);

  HFONT font = gdi.Keep(MakeFont(m_font.m_size >= 0 ? m_font.m_size : default_font_height,
                                 m_font.m_weight >= 0 ? m_font.m_weight : 700,
                                 m_font.m_family.empty() ? u"Tahoma" : m_font.m_family));

  HPEN pen = pen1;
  HBRUSH brush = brush1;
  if (focused) {
    pen = pressed ? pen1 : pen2;
    brush = pressed ? brush2 : brush3;
    if (status_text) DrawStatusText(mem);
  }
  if (themed) {
    pen = themed_pen;
    brush = themed_brush;
  }
  HGDIOBJ chosen_pen = m_border ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN);
  gdi.Select(mem, chosen_pen);
  gdi.Select(mem, brush);
  Rectangle(mem, 0, 0, rc.right, rc.bottom);

  int cx = -1, cy = -1, x = -1, y = -1, r = -1, g = -1, b = -1;
  HBITMAP image = ChooseImage(pressed, cx, cy, x, y, r, g, b);
  DrawImage(mem, image, rc, cx, cy, x, y, r, g, b);
  if (focused) DrawOverlay(mem, rc);

  SetBkMode(mem, TRANSPARENT);
  if (IsGiven(m_font.m_rgb)) SetTextColor(mem, ToColorRef(m_font.m_rgb));
  if (m_text) {
    gdi.Select(mem, font);
    DrawTextW(mem, m_caption, -1, &caption_rect, DT_CENTER | DT_WORD_ELLIPSIS);
  }
  BitBlt(item->hDC, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
}

void CButtonOwnDrawImage::DrawStatusText(HDC) {
  HWND parent = m_parent ? m_parent->GetHwnd() : nullptr;
  if (!parent) return;
  const std::u16string status = GetTextStatus();
  const std::u16string text = status.empty() ? std::u16string(m_caption) : std::u16string(m_caption) + u" - " + status;
  RECT client{};
  GetClientRect(parent, &client);
  UpdateWindow(parent);
  HDC hdc = GetDC(parent);
  if (!hdc) return;
  RECT band = m_topText.m_position.x < 0
                  ? RECT{30, 2, client.right - 30, 20}
                  : RECT{m_topText.m_position.x, m_topText.m_position.y, m_topText.m_position.x + m_topText.m_position.cx,
                         m_topText.m_position.y + m_topText.m_position.cy};
  if (auto* main = dynamic_cast<CWindowMain*>(m_parent)) main->SetTitleText(m_lineText);
  HFONT font = MakeFont(m_topText.m_font.m_size >= 0 ? m_topText.m_font.m_size : 16,
                        m_topText.m_font.m_weight >= 0 ? m_topText.m_font.m_weight : 700, u"Tahoma");
  HGDIOBJ old_font = SelectObject(hdc, font);
  HGDIOBJ old_pen = SelectObject(hdc, GetStockObject(NULL_PEN));
  HGDIOBJ old_brush = SelectObject(hdc, GetStockObject(WHITE_BRUSH));
  Rectangle(hdc, band.left, band.top, band.right, band.bottom);
  SetBkMode(hdc, TRANSPARENT);
  DrawTextW(hdc, text.c_str(), -1, &band, DT_CENTER | DT_TOP);
  SelectObject(hdc, old_brush);
  SelectObject(hdc, old_pen);
  SelectObject(hdc, old_font);
  DeleteObject(font);
  ReleaseDC(parent, hdc);
}
